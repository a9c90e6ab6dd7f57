// `fractan dma` and `fractan dfa`: the same options, but for the family's
// types, settings and help texts.

#include "cli/subcommands.h"
#include "engine/methods.h"

namespace fractan::cli {
namespace {

AnalysisOptions dma, dfa;

// The input and the data window.
void AddInputOptions(CLI::App& cmd, AnalysisOptions& o, const char* windowHelp) {
    cmd.add_option("input", o.input,
                   "Series file (one number per line, a table with a header line, a .npy array, or 8-byte "
                   "doubles); with --mode multi, a files-list file naming one series per line")
        ->required();
    AddColumnOption(cmd, o.column);
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

// The option of a setting that only some methods read, as the method table
// describes it; its range is the check's, as in every front end.
template <typename T>
CLI::Option* AddSettingOption(CLI::App& cmd, MethodSetting setting, T& value) {
    return cmd.add_option(DescriptionOf(setting).option, value, SettingHelp(setting))->capture_default_str();
}

void AddRunOptions(CLI::App& cmd, AnalysisOptions& o, MethodFamily family) {
    AddJobsOption(cmd, o.jobs);
    cmd.add_option("-t,--type", o.computationType, "Computation type: " + MethodList(family))
        ->capture_default_str();
    AddSettingOption(cmd, kUsesStep, o.dynamicStep);
    cmd.add_option("-o,--output", o.outputPath, "Folder for the result files (must exist)")
        ->capture_default_str();
    cmd.add_option("--test-name", o.testName,
                   "Test name: first part of every result file name (default: the input file's name up "
                   "to its last dot)");
    cmd.add_flag("--integrate", o.integrate,
                 "Analyse the cumulative sum of the values less their mean: for a series of increments "
                 "(returns, noise) rather than of its profile (a walk)");
    cmd.add_flag("--ci", o.interval,
                 "Static types: an interval on H by parametric bootstrap (exact fractional Brownian motions of "
                 "the series' length at the H found, analysed alike), in the closing lines and in the file "
                 "<result>.interval.txt");
    cmd.add_option("--ci-level", o.intervalRequest.level, "The interval's level")->capture_default_str();
    cmd.add_option("--bootstrap", o.intervalRequest.replicates, "The interval's number of series B")
        ->capture_default_str();
    cmd.add_option("--ci-seed", o.intervalRequest.seed,
                   "The interval's seed, 0 or more: the same interval every time (default: drawn anew)");
    cmd.add_option("--save-config", o.saveConfig,
                   "Also write these parameters as a configuration file for `fractan run`");
    cmd.add_flag("--no-run", o.noRun, "With --save-config: only write the file, compute nothing");
}

// Fields that other pages use; accepted so that a saved configuration holds them.
void AddStoredOptions(CLI::App& cmd, AnalysisOptions& o) {
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

void DeclareDma(CLI::App& cmd) {
    AddInputOptions(cmd, dma,
                    "Window size W: points over which deviations are averaged (default: the "
                    "largest that fits, data size - 2*M - 1, for static types; a quarter of it "
                    "for dynamic ones)");
    AddScaleOptions(cmd, dma, "moving-average window size",
                    "Largest window size M (default: an eighth of the data size)");
    AddRunOptions(cmd, dma, MethodFamily::kDma);
    AddSettingOption(cmd, kUsesWeight, dma.dmaWeight);
    AddSettingOption(cmd, kUsesLambda, dma.dmaLambda);
    AddSettingOption(cmd, kUsesShift, dma.shiftPercentage);
    AddStoredOptions(cmd, dma);
}

void DeclareDfa(CLI::App& cmd) {
    dfa.family = Family::kDfa;
    dfa.computationType = DefaultType(MethodFamily::kDfa);
    AddInputOptions(cmd, dfa,
                    "Window size W: samples tiled by the boxes (default: every sample but the "
                    "first for Static DFA; a quarter of that for Dynamic DFA)");
    AddScaleOptions(cmd, dfa, "box size", "Largest box size (default: an eighth of the window size)");
    AddRunOptions(cmd, dfa, MethodFamily::kDfa);
    AddSettingOption(cmd, kUsesOrder, dfa.dfaOrder);
    AddSettingOption(cmd, kUsesBoxes, dfa.dfaBoxes);
    AddStoredOptions(cmd, dfa);
}

}  // namespace

const Subcommand kDmaCommand{"dma", "Run a DMA analysis of one series or a files list", DeclareDma,
                             [](const CLI::App&) { return RunAnalysisCommand(dma, std::cout, std::cerr); }, true};

const Subcommand kDfaCommand{"dfa", "Run a detrended fluctuation analysis of one series or a files list", DeclareDfa,
                             [](const CLI::App&) { return RunAnalysisCommand(dfa, std::cout, std::cerr); }, true};

}  // namespace fractan::cli
