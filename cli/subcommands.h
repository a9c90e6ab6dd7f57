#pragma once
// The `fractan` subcommands as main.cpp's table lists them: a row each,
// defined with its options and its run in a file of its own (config_commands.cpp,
// analysis_commands.cpp, clusters_command.cpp, demo.cpp, generate.cpp,
// local_slope.cpp, file_tools.cpp), and the option helpers several share.
// The files are compiled as one unit: each keeps its names in a namespace of
// its own.

#include <cstdint>
#include <iostream>  // where the rows run print
#include <string>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace fractan::cli {

struct Subcommand {
    const char* name;
    const char* help;                 // its line in `fractan --help`
    void (*declare)(CLI::App& cmd);   // its options, bound to variables of its file
    int (*run)(const CLI::App& cmd);  // after the parse; returns the exit code
    bool spreadsFiles;  // under mpirun, every process runs it, sharing a files list; otherwise rank 0 alone
};

extern const Subcommand kRunCommand, kDmaCommand, kDfaCommand, kClustersCommand, kConfigCommand,
    kDemoCommand, kGenerateCommand, kLocalSlopeCommand, kFilesListCommand, kCountLinesCommand,
    kSampleCommand, kMultifractalCommand, kXcorrCommand;

// A whole number of at least `least`; its refusal says so in words (CLI11's
// own range checks print the largest double in full).
inline CLI::Validator AtLeast(int least) {
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

// The column of every input file, which the configuration file does not hold.
inline void AddColumnOption(CLI::App& cmd, std::string& column) {
    cmd.add_option("--column", column,
                   "Column of every input file that has several (a text table, a 2-D .npy array): its number "
                   "from 1, or its name in the file's header line (default: the first, said when there are more)");
}

// The files of a list analysed at once.
inline void AddJobsOption(CLI::App& cmd, int32_t& jobs) {
    cmd.add_option("-j,--jobs", jobs,
                   "Files of a files list analysed at once, or threads sharing the scales of one file's DFA or "
                   "DMA, static or dynamic (default: one per core; 1: one after another). "
                   "The files written are the same whatever the number")
        ->check(AtLeast(1));
}

// The progression of the moving-average windows (DMA) or box sizes (DFA).
inline void AddScaleOptions(CLI::App& cmd, AnalysisOptions& o, const std::string& noun, const char* endHelp) {
    cmd.add_option("--start", o.start, "First " + noun + " (default: 4" +
                                           (o.family == Family::kDfa ? ", or order + 2 when above)" : ")"));
    cmd.add_option("--step", o.step, "Progression step (added when linear, multiplied when geometric)")
        ->capture_default_str();
    cmd.add_option("--end", o.end, endHelp);
    cmd.add_option("-p,--progression", o.progression, "Progression type: linear, geometric or custom")
        ->capture_default_str();
    cmd.add_option("--custom-file", o.customFile,
                   "Custom progression file: a count N, then N " + noun + "s (the last is taken as the largest)");
}

}  // namespace fractan::cli
