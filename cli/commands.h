#pragma once
// The `fractan` subcommands, apart from the parsing of the command line, so
// that they can be tested directly. Each returns the process's exit code.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "engine/driver.h"
#include "engine/methods.h"
#include "setup/method_settings.h"
#include "setup/parameters.h"
#include "setup/series_loader.h"

namespace fractan::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 130;

// The command that the options are for: its types and defaults.
enum class Family { kDma, kDfa, kClusters };

// Every field of the parameter record, as the command line spells it.
struct AnalysisOptions {
    Family family = Family::kDma;
    std::string input;
    std::string mode = "single";      // single | multi
    std::string fileType = "auto";    // text | binary | auto (by extension)
    std::string column;               // of every input file with several: its number from 1 or its header name
    std::optional<int32_t> dataSize;  // default: every sample from the offset on
    int32_t dataOffset = 0;
    std::optional<int32_t> windowSize;  // default: derived from the data size and the family
    std::optional<int32_t> start;  // default: DefaultFirstScale
    int32_t step = 2;
    std::optional<int32_t> end;  // default: an eighth of the data size (DMA) or of the window (DFA)
    std::string progression = "geometric";  // linear | geometric | custom | 0 | 1 | 2
    std::string customFile;
    int32_t computationType = DefaultType(MethodFamily::kDma);
    int32_t dynamicStep = DefaultOf<int32_t>(kUsesStep);
    std::string outputPath = ".";
    // Default: the input file's name up to its last dot for dma and dfa, so
    // that runs on other inputs do not empty its result file; "fractan" for clusters.
    std::optional<std::string> testName;
    int32_t dmaWeight = DefaultOf<int32_t>(kUsesWeight);
    double dmaLambda = DefaultOf<double>(kUsesLambda);
    double shiftPercentage = DefaultOf<double>(kUsesShift);
    int32_t dfaOrder = DefaultOf<int32_t>(kUsesOrder);
    std::string dfaBoxes = DefaultOf<std::string>(kUsesBoxes);
    int32_t movingAverageType = 0;
    int32_t distributionType = 0;
    double distributionStep = 1.0;
    std::string inputFilesPath;
    std::string filePrefix;  // clusters: default the input file's name up to its last dot
    int32_t fileStart = 0;
    int32_t fileEnd = 0;
    int32_t fileStep = 0;
    bool integrate = false;           // dma, dfa: analyse the cumulative sum of the values less their mean
    int32_t jobs = 0;                 // files of a list analysed at once; 0: one per core
    bool interval = false;            // dma, dfa: an interval on every H by parametric bootstrap
    IntervalRequest intervalRequest;  // its level, series and seed
    bool globalOnly = true;           // clusters: only the distributions over all windows
    bool movingAverageFiles = false;  // clusters: the series and each moving average
    double badAbove = kDefaultBadAbove;  // clusters: samples above it are bad data
    std::string saveConfig;  // write the configuration file
    bool noRun = false;      // with saveConfig: only write it
};

// `fractan run CONFIG`
// `jobs`: the files of a list analysed at once (0: one per core); `column`:
// that of every input file (--column), which the configuration does not hold.
int RunConfigCommand(const std::string& configPath, std::ostream& out, std::ostream& err, int32_t jobs = 0,
                     const std::string& column = {});

// `fractan dma INPUT [options]` and `fractan dfa INPUT [options]`
int RunAnalysisCommand(const AnalysisOptions& options, std::ostream& out, std::ostream& err);

// `fractan clusters INPUT [options]`
int RunClustersCommand(const AnalysisOptions& options, std::ostream& out, std::ostream& err);

// `fractan clusters CONFIG`
int RunClustersConfigCommand(const std::string& configPath, std::ostream& out, std::ostream& err,
                             int32_t jobs = 0, const std::string& column = {});

// True when the file starts like a configuration file (a bracketed header),
// not like a series.
bool LooksLikeConfiguration(const std::string& path);

// Fills a record from the options, with the defaults that depend on the data.
// False, after a line on err, when an option cannot be used. With `loaded`, a
// single text file whose length the defaults need is loaded there, to be run
// without reading it again.
bool BuildParameters(const AnalysisOptions& options, AnalysisParameters& params, std::ostream& out,
                     std::ostream& err, LoadedSeries* loaded = nullptr);

// Checks the record (for a method of `family`, when given), runs it and
// reports how it went; `code` is set to the exit code.
RunSummary RunCheckedAnalysis(const AnalysisParameters& record, std::ostream& out, std::ostream& err, int* code,
                              std::optional<MethodFamily> family = {}, bool reportResultPath = true,
                              LoadedSeries* loaded = nullptr);

// `fractan config template`
std::string ConfigTemplate();

}  // namespace fractan::cli
