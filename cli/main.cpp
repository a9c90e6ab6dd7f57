// The `fractan` command. Only this file includes CLI11.

#include <csignal>
#include <iostream>
#include <map>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "engine/methods.h"
#include "setup/stop.h"
#ifdef FRACTAN_MPI
#include "cli/mpi_spread.h"
#endif

namespace {

fractan::StopSource interruptStop;

extern "C" void OnInterrupt(int signal) {
    interruptStop.RequestStop();
    std::signal(signal, SIG_DFL);  // a second Ctrl-C ends the program at once
}

// A whole number of at least `least`; its refusal says so in words (CLI11's
// own range checks print the largest double in full).
CLI::Validator AtLeast(int least) {
    return CLI::Validator(
        [least](std::string& text) -> std::string {
            long long value = 0;
            size_t used = 0;
            try {
                value = std::stoll(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != text.size() || used == 0) return "[" + text + "] is not a whole number";
            if (value < least) return "[" + text + "] must be " + std::to_string(least) + " or more";
            return {};
        },
        ">= " + std::to_string(least));
}

// The input and the data window, common to both families.
void AddInputOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o, const char* windowHelp) {
    cmd.add_option("input", o.input,
                   "Series file (one number per line, or 8-byte doubles); with --mode multi, a "
                   "files-list file naming one series per line")
        ->required();
    cmd.add_option("-m,--mode", o.mode, "Input mode: single or multi")->capture_default_str();
    cmd.add_option("-f,--file-type", o.fileType,
                   "Input file type: text, binary, or auto (binary for .dat and .bin)")
        ->capture_default_str();
    cmd.add_option("-n,--size", o.dataSize,
                   "Data size: samples to load from each file (default: all from the offset on)");
    cmd.add_option("--offset", o.dataOffset, "Index (from 0) of the first sample to load")
        ->capture_default_str()
        ->check(AtLeast(0));
    cmd.add_option("-w,--window", o.windowSize, windowHelp);
}

// The progression of the moving-average windows (DMA) or box sizes (DFA).
void AddScaleOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o, const std::string& noun,
                     const char* endHelp) {
    cmd.add_option("--start", o.start, "First " + noun)->capture_default_str();
    cmd.add_option("--step", o.step, "Progression step (added when linear, multiplied when geometric)")
        ->capture_default_str();
    cmd.add_option("--end", o.end, endHelp);
    cmd.add_option("-p,--progression", o.progression, "Progression type: linear, geometric or custom")
        ->capture_default_str();
    cmd.add_option("--custom-file", o.customFile,
                   "Custom progression file: a count N, then N " + noun + "s (the last is taken as the largest)");
}

// The files of a list analysed at once.
void AddJobsOption(CLI::App& cmd, int32_t& jobs) {
    cmd.add_option("-j,--jobs", jobs,
                   "Files of a files list analysed at once (default: one per core; 1: one after another). "
                   "The files written are the same whatever the number")
        ->check(AtLeast(1));
}

// The option of a setting that only some methods read, as the method table describes it.
template <typename T>
CLI::Option* AddSettingOption(CLI::App& cmd, fractan::MethodSetting setting, T& value) {
    return cmd.add_option(fractan::DescriptionOf(setting).option, value, fractan::SettingHelp(setting))
        ->capture_default_str();
}

void AddRunOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o, fractan::MethodFamily family) {
    AddJobsOption(cmd, o.jobs);
    cmd.add_option("-t,--type", o.computationType, "Computation type: " + fractan::MethodList(family))
        ->capture_default_str();
    AddSettingOption(cmd, fractan::kUsesStep, o.dynamicStep)->check(AtLeast(1));
    cmd.add_option("-o,--output", o.outputPath, "Folder for the result files (must exist)")
        ->capture_default_str();
    cmd.add_option("--test-name", o.testName,
                   "Test name: first part of every result file name (default: the input file's name up "
                   "to its last dot)");
    cmd.add_flag("--integrate", o.integrate,
                 "Analyse the cumulative sum of the values less their mean: for a series of increments "
                 "(returns, noise) rather than of its profile (a walk)");
    cmd.add_option("--save-config", o.saveConfig,
                   "Also write these parameters as a configuration file for `fractan run`");
    cmd.add_flag("--no-run", o.noRun, "With --save-config: only write the file, compute nothing");
}

// Fields that other pages use; accepted so that a saved configuration holds them.
void AddStoredOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o) {
    cmd.add_option("--moving-average-type", o.movingAverageType,
                   "Cluster analysis: 0 standard, 1 extended (stored in the configuration)")
        ->capture_default_str();
    cmd.add_option("--distribution-type", o.distributionType,
                   "Cluster analysis: 0 linear, 1 logarithmic (stored in the configuration)")
        ->capture_default_str();
    cmd.add_option("--distribution-step", o.distributionStep,
                   "Cluster analysis: distribution step (stored in the configuration)")
        ->capture_default_str();
    cmd.add_option("--files-path", o.inputFilesPath, "Files-list builder: folder (stored in the configuration)");
    cmd.add_option("--file-prefix", o.filePrefix, "Files-list builder: name prefix (stored in the configuration)");
    cmd.add_option("--file-start", o.fileStart, "Files-list builder: first number (stored in the configuration)");
    cmd.add_option("--file-end", o.fileEnd, "Files-list builder: last number (stored in the configuration)");
    cmd.add_option("--file-step", o.fileStep, "Files-list builder: step (stored in the configuration)");
}

void AddDmaOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o) {
    AddInputOptions(cmd, o,
                    "Window size W: points over which deviations are averaged (default: the "
                    "largest that fits, data size - 2*M - 1, for static types; a quarter of it "
                    "for dynamic ones)");
    AddScaleOptions(cmd, o, "moving-average window size",
                    "Largest window size M (default: an eighth of the data size)");
    AddRunOptions(cmd, o, fractan::MethodFamily::kDma);
    AddSettingOption(cmd, fractan::kUsesWeight, o.dmaWeight);
    AddSettingOption(cmd, fractan::kUsesLambda, o.dmaLambda);
    AddSettingOption(cmd, fractan::kUsesShift, o.shiftPercentage);
    AddStoredOptions(cmd, o);
}

void AddDfaOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o) {
    o.family = fractan::cli::Family::kDfa;
    o.computationType = fractan::DefaultType(fractan::MethodFamily::kDfa);
    AddInputOptions(cmd, o,
                    "Window size W: samples tiled by the boxes (default: every sample but the "
                    "first for Static DFA; a quarter of that for Dynamic DFA)");
    AddScaleOptions(cmd, o, "box size", "Largest box size (default: an eighth of the window size)");
    AddRunOptions(cmd, o, fractan::MethodFamily::kDfa);
    AddSettingOption(cmd, fractan::kUsesOrder, o.dfaOrder)->check(CLI::Range(0, 1));
    AddStoredOptions(cmd, o);
}

void AddClustersOptions(CLI::App& cmd, fractan::cli::AnalysisOptions& o) {
    o.family = fractan::cli::Family::kClusters;
    cmd.add_option("input", o.input,
                   "Series file (one number per line, or 8-byte doubles); with --mode multi, a "
                   "files-list file; or a configuration file (one that starts with '['), run "
                   "as it stands")
        ->required();
    cmd.add_option("-m,--mode", o.mode, "Input mode: single or multi")->capture_default_str();
    cmd.add_option("-f,--file-type", o.fileType,
                   "Input file type: text, binary, or auto (binary for .dat and .bin)")
        ->capture_default_str();
    cmd.add_option("--offset", o.dataOffset, "Index (from 0) of the first sample to take")
        ->capture_default_str()
        ->check(AtLeast(0));
    cmd.add_option("-w,--window", o.windowSize,
                   "Window size: samples taken from each file (default: all from the offset on)");
    AddScaleOptions(cmd, o, "moving-average window size",
                    "Largest moving-average window (default: an eighth of the window size)");
    const std::map<std::string, int32_t> averages{{"standard", 0}, {"extended", 1}};
    cmd.add_option("-a,--average", o.movingAverageType,
                   "Moving average: standard (trailing mean) or extended (first-order fit)")
        ->transform(CLI::CheckedTransformer(averages, CLI::ignore_case))
        ->default_str("standard");
    const std::map<std::string, int32_t> forms{{"linear", 0}, {"log", 1}, {"logarithmic", 1}};
    cmd.add_option("-d,--distribution", o.distributionType,
                   "Distribution form: linear, or log (of decimal logarithms)")
        ->transform(CLI::CheckedTransformer(forms, CLI::ignore_case))
        ->default_str("linear");
    cmd.add_option("--distribution-step", o.distributionStep, "Bin width (in log10 units for log)")
        ->capture_default_str();
    cmd.add_flag("--global-only,!--per-window", o.globalOnly,
                 "Only the distributions over all windows (default); --per-window also writes "
                 "one set per moving-average window");
    cmd.add_flag("--moving-average-files", o.movingAverageFiles,
                 "Write the series and each moving average (TEST.clusters.average(n).txt)");
    cmd.add_option("--bad-above", o.badAbove,
                   "Samples above this (and values that are not numbers) are bad data, each replaced "
                   "by the sample before (0.0 for the first); not stored in a configuration file")
        ->capture_default_str();
    cmd.add_option("-o,--output", o.outputPath, "Folder for the result files (must exist)")
        ->capture_default_str();
    cmd.add_option("--test-name", o.testName, "Test name: first part of every result file name (default: fractan)");
    cmd.add_option("--prefix", o.filePrefix,
                   "File prefix: second part of the distribution file names (default: the input "
                   "file's name up to its last dot)");
    AddJobsOption(cmd, o.jobs);
    cmd.add_option("--save-config", o.saveConfig,
                   "Also write these parameters as a configuration file");
    cmd.add_flag("--no-run", o.noRun, "With --save-config: only write the file, compute nothing");
}

// The fields of the series generator page.
void AddGenerateOptions(CLI::App& cmd, fractan::cli::GenerateOptions& o) {
    cmd.add_option("--count", o.count, "Number of series for each Hurst exponent")->capture_default_str();
    cmd.add_option("--levels", o.levels, "Length exponent N: each series has 2^N + 1 values")
        ->capture_default_str();
    cmd.add_option("--hurst-start", o.hurstStart, "First Hurst exponent, in (0, 1]")->capture_default_str();
    cmd.add_option("--hurst-end", o.hurstEnd,
                   "Last Hurst exponent (inclusive): the exponents stop at or before it, each in (0, 1]")
        ->capture_default_str();
    cmd.add_option("--hurst-step", o.hurstStep, "Step of the Hurst exponent")->capture_default_str();
    cmd.add_option("-o,--output", o.output, "Folder of the series files (must exist)")->capture_default_str();
    cmd.add_option("--prefix", o.prefix, "First part of each file name, before H=<H>-<number>")
        ->capture_default_str();
    cmd.add_option("--kind", o.kind, "Files to write: text (.txt), binary (.dat, 8-byte doubles) or both")
        ->capture_default_str();
    cmd.add_option("--precision", o.precision, "Decimals of each value in the text file")->capture_default_str();
    cmd.add_option("--method", o.method,
                   "Generator: rmd (random midpoint displacement, both ends 0) or fft (exact fractional "
                   "Brownian motion from 0 by circulant embedding, Davies and Harte)")
        ->capture_default_str();
    cmd.add_option("--seed", o.seed,
                   "Seed: negative, every series is the same, on every run; 0 or positive, a run "
                   "that repeats exactly, each seed and every series of the run, at every H, with draws "
                   "of their own; default: the calendar time, a different run each second");
}

// The fields of the files-list page.
void AddFilesListOptions(CLI::App& cmd, fractan::cli::FilesListOptions& o) {
    cmd.add_option("--path", o.path, "Folder of the listed files")->capture_default_str();
    cmd.add_option("--prefix", o.prefix, "First part of each file name, before its number");
    cmd.add_option("--start", o.start, "First number")->capture_default_str();
    cmd.add_option("--step", o.step, "Step between numbers (greater than 0)")->capture_default_str();
    cmd.add_option("--end", o.end, "Last number (inclusive)")->capture_default_str();
    cmd.add_option("--ext", o.ext, "Extension of the listed files (txt, dat, ...)")->capture_default_str();
    cmd.add_option("-o,--output", o.output, "The files-list file to write")->required();
    cmd.add_flag("--force", o.force, "Write a list of more than a million lines");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace fractan::cli;
#ifdef FRACTAN_MPI
    std::optional<MpiRun> mpi;
    if (MpiRun::Launched()) mpi.emplace(argc, argv);
#endif
    CLI::App app{
        "FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and "
        "detrended fluctuation analysis.\nProgress lines, and the lines saying why a file was not "
        "analysed, go to standard output; the command's own errors and its closing summary of "
        "failures go to standard error. Ctrl-C stops a calculation; files already written are kept."};
    app.require_subcommand(1);

    auto* run = app.add_subcommand("run", "Run the analysis that a configuration file describes");
    std::string configPath;
    run->add_option("config", configPath, "Configuration file (see `fractan config template`)")->required();
    int32_t runJobs = 0;
    AddJobsOption(*run, runJobs);

    auto* dma = app.add_subcommand("dma", "Run a DMA analysis of one series or a files list");
    AnalysisOptions dmaOptions;
    AddDmaOptions(*dma, dmaOptions);

    auto* dfa = app.add_subcommand("dfa", "Run a detrended fluctuation analysis of one series or a files list");
    AnalysisOptions dfaOptions;
    AddDfaOptions(*dfa, dfaOptions);

    auto* clusters = app.add_subcommand(
        "clusters", "Cluster analysis: the stretches between crossings of a series and its moving "
                    "averages, and the distributions of their lifetimes, areas, lengths and diameters");
    AnalysisOptions clustersOptions;
    AddClustersOptions(*clusters, clustersOptions);

    auto* config = app.add_subcommand("config", "Configuration file helpers");
    config->require_subcommand(1);
    auto* configTemplate = config->add_subcommand("template", "Print a commented example configuration file");

    auto* demo = app.add_subcommand(
        "demo", "Generate a series with H = 0.7 by random midpoint displacement, estimate its H by static "
                "DMA and static DFA, and print them");
    DemoOptions demoOptions;
    demo->add_option("--folder", demoOptions.folder, "Folder for the series and the results")
        ->capture_default_str();
    demo->add_option("--levels", demoOptions.levels, "Length exponent N: the series has 2^N + 1 samples")
        ->capture_default_str()
        ->check(CLI::Range(kMinDemoLevels, kMaxDemoLevels));
    demo->add_option("--seed", demoOptions.seed,
                     "Seed of the generator (negative: the same series on every run)")
        ->capture_default_str();

    auto* generate = app.add_subcommand(
        "generate", "Generate fractional series with prescribed Hurst exponents by random midpoint displacement or FFT");
    GenerateOptions generateOptions;
    AddGenerateOptions(*generate, generateOptions);

    auto* localSlope = app.add_subcommand(
        "localslope", "Write the local slope of a chart file to CHART.localslope.txt");
    LocalSlopeOptions localSlopeOptions;
    localSlope->add_option("chart", localSlopeOptions.chart, "Chart file: lines beginning with two positive numbers")
        ->required();
    localSlope->add_option("--width", localSlopeOptions.width, "Window width, in decades of the first column")
        ->capture_default_str();
    localSlope->add_option("--delta", localSlopeOptions.delta, "Step between window centres, in decades")
        ->capture_default_str();

    auto* filesList = app.add_subcommand("fileslist", "Write a files-list file naming a run of numbered files");
    FilesListOptions filesListOptions;
    AddFilesListOptions(*filesList, filesListOptions);

    auto* countLines = app.add_subcommand("countlines", "Print the number of line feeds in a file");
    std::string countPath;
    countLines->add_option("file", countPath, "The file to count")->required();

    auto* sample = app.add_subcommand("sample", "Copy the beginning of a file to FILE.sample");
    SampleOptions sampleOptions;
    sample->add_option("file", sampleOptions.input, "The file to copy from")->required();
    sample->add_option("--bytes", sampleOptions.bytes, "Characters to copy")->capture_default_str();
    sample->add_option("--skip", sampleOptions.skip, "Characters to leave out first")->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end well; every other parse error is a usage error.
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }

    fractan::ScopedStopSource stopScope(interruptStop);
    std::signal(SIGINT, OnInterrupt);

    auto command = [&]() -> int {
        if (*run) return RunConfigCommand(configPath, std::cout, std::cerr, runJobs);
        if (*dma) return RunAnalysisCommand(dmaOptions, std::cout, std::cerr);
        if (*dfa) return RunAnalysisCommand(dfaOptions, std::cout, std::cerr);
        if (*clusters) {
            if (!LooksLikeConfiguration(clustersOptions.input))
                return RunClustersCommand(clustersOptions, std::cout, std::cerr);
            size_t given = 0;  // options besides the configuration file itself
            for (const CLI::Option* option : clusters->get_options())
                if (option->get_name() != "input" && option->get_name() != "--jobs" && option->count() > 0) ++given;
            if (given > 0) {
                std::cerr << "fractan: [" << clustersOptions.input
                          << "] is a configuration file, which is run as it stands: give no options with it.\n";
                return kExitUsage;
            }
            return RunClustersConfigCommand(clustersOptions.input, std::cout, std::cerr, clustersOptions.jobs);
        }
        if (*configTemplate) {
            std::cout << ConfigTemplate() << std::flush;
            if (std::cout) return kExitOk;
            std::cerr << "fractan: cannot write the template to standard output.\n";
            return kExitFailure;
        }
        if (*demo) return RunDemoCommand(demoOptions, std::cout, std::cerr);
        if (*generate) return RunGenerateCommand(generateOptions, std::cout, std::cerr);
        if (*localSlope) return RunLocalSlopeCommand(localSlopeOptions, std::cout, std::cerr);
        if (*filesList) return RunFilesListCommand(filesListOptions, std::cout, std::cerr);
        if (*countLines) return RunCountLinesCommand(countPath, std::cout, std::cerr);
        if (*sample) return RunSampleCommand(sampleOptions, std::cout, std::cerr);
        return kExitFailure;
    };
#ifdef FRACTAN_MPI
    if (mpi) {
        // mpirun passes Ctrl-C on as SIGTERM; commands without a files list run on rank 0 alone.
        std::signal(SIGTERM, OnInterrupt);
        const bool spreads = *run || *dma || *dfa || *clusters;
        return mpi->AgreedExitCode(spreads || mpi->Root() ? command() : kExitOk);
    }
#endif
    return command();
}
