// `fractan clusters`: a series or a files list with its options, or a
// configuration file run as it stands.

#include <map>

#include "cli/subcommands.h"

namespace fractan::cli {
namespace {

AnalysisOptions clusters;

void DeclareClusters(CLI::App& cmd) {
    AnalysisOptions& o = clusters;
    o.family = Family::kClusters;
    cmd.add_option("input", o.input,
                   "Series file (one number per line, a table with a header line, a .npy array, or 8-byte "
                   "doubles); with --mode multi, a files-list file; or a configuration file (one that starts "
                   "with '['), run as it stands")
        ->required();
    AddColumnOption(cmd, o.column);
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

int RunClusters(const CLI::App& cmd) {
    if (!LooksLikeConfiguration(clusters.input)) return RunClustersCommand(clusters, std::cout, std::cerr);
    size_t given = 0;  // options besides the configuration file itself and those it does not hold
    for (const CLI::Option* option : cmd.get_options())
        if (option->get_name() != "input" && option->get_name() != "--jobs" && option->get_name() != "--column" &&
            option->count() > 0)
            ++given;
    if (given > 0) {
        std::cerr << "fractan: [" << clusters.input
                  << "] is a configuration file, which is run as it stands: give no options with it.\n";
        return kExitUsage;
    }
    return RunClustersConfigCommand(clusters.input, std::cout, std::cerr, clusters.jobs, clusters.column);
}

}  // namespace

const Subcommand kClustersCommand{
    "clusters",
    "Cluster analysis: the stretches between crossings of a series and its moving averages, and the "
    "distributions of their lifetimes, areas, lengths and diameters",
    DeclareClusters, RunClusters, true};

}  // namespace fractan::cli
