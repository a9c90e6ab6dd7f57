#pragma once
// The record of one analysis and its configuration file.

#include <cstdint>
#include <string>
#include <vector>

#include "setup/method_settings.h"
#include "setup/progression.h"

namespace fractan {

// A cluster analysis takes samples above this for bad data, unless told another.
inline constexpr double kDefaultBadAbove = 100000.0;

// What an interval on H by parametric bootstrap is asked with (engine/interval.h).
struct IntervalRequest {
    double level = 0.95;      // the share of intervals that cover the true H
    int32_t replicates = 50;  // B: 20 covers as well, with noisier widths
    int32_t seed = -1;        // 0 or more: the same interval every time; less: drawn anew
    int32_t jobs = 0;         // threads for the replicates; 0: one per core
};

class AnalysisParameters {
public:
    int32_t inputFileType = -1;    // 0 text, 1 binary, −1 not set
    int32_t inputFileMode = -1;    // 0 single file, 1 files list, −1 not set
    int32_t computationType = -1;  // 0 … 9, −1 not set
    int32_t dataSize = 0;
    int32_t dfaOrder = DefaultOf<int32_t>(kUsesOrder);
    int32_t dmaWeight = DefaultOf<int32_t>(kUsesWeight);
    std::string filePrefix;
    std::string inputFilesPath;
    std::string inputFileName;
    int32_t dataOffset = 0;
    std::string outputPath;
    double dmaLambda = DefaultOf<double>(kUsesLambda);
    double shiftPercentage = DefaultOf<double>(kUsesShift);
    int32_t windowSize = 0;
    std::string testName;
    int32_t distributionType = 0;
    double distributionStep = 1.0;
    int32_t movingAverageType = 0;
    std::vector<std::string> inputFiles;
    ScaleProgression averageProgression;
    ScaleProgression fileProgression;
    int32_t integrate = 0;  // flag: each series is replaced by its cumulative sum less its mean
    std::string dfaBoxes = DefaultOf<std::string>(kUsesBoxes);  // where DFA's boxes lie: end, both, overlap[:step]
    // Not stored in the configuration file.
    int32_t globalStatisticsOnly = 1;
    int32_t generateMovingAverageFiles = 0;
    int32_t dynamicStep = DefaultOf<int32_t>(kUsesStep);
    int32_t jobs = 0;  // the files of a list analysed at once; 0 or less: one per core
    double badAbove = kDefaultBadAbove;  // cluster analysis: samples above it are bad data
    int32_t interval = 0;  // flag: static types give an interval on every H, as `intervalRequest` asks
    IntervalRequest intervalRequest;
    // The column read of every input file that has several (a table, a 2-D
    // .npy array): its number from 1 or its header name; empty for the first.
    std::string column;

    // Every field back to its default; `inputFiles` is left as it is.
    void Reset();

    // Reads a configuration file. False, with the record unchanged, when the
    // file cannot be opened or a line cannot be read; false too, with the
    // record read, when it gives no input file. `problem`, when given, says
    // which (the first line that could not be read and what it should hold).
    bool LoadConfig(const std::string& path, std::string* problem = nullptr);
    // False when the file cannot be written.
    bool SaveConfig(const std::string& path) const;
    // Why the record is not saved as it stands, or empty: a configuration
    // file reads a geometric progression back as linear.
    std::string SaveRefusal() const;
    // The lines that SaveConfig writes: the 35 of the format, then the
    // integration's header and flag and the DFA box placement's header and
    // text, which a reader of 35 lines ignores.
    std::string ConfigText() const;

    // The input files: the one file, or the lines of the files-list file.
    // `note`, when given, says when a blank line leaves files of the list out.
    bool ExpandInputFiles(std::string* note = nullptr);
};

// Appends the trimmed lines of a files-list file up to its first empty line.
// False, with the list untouched, when the file cannot be opened. `note`, when
// given, names the blank line when files are named after it (empty otherwise).
bool ReadFilesList(const std::string& path, std::vector<std::string>& files, std::string* note = nullptr);

}  // namespace fractan
