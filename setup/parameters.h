#pragma once
// The record of one analysis and its configuration file.

#include <cstdint>
#include <string>
#include <vector>

#include "setup/progression.h"

namespace fractan {

// A cluster analysis takes samples above this for bad data, unless told another.
inline constexpr double kDefaultBadAbove = 100000.0;

class AnalysisParameters {
public:
    AnalysisParameters() { Reset(); }
    virtual ~AnalysisParameters() = default;

    int32_t inputFileType;   // 0 text, 1 binary, −1 not set
    int32_t inputFileMode;   // 0 single file, 1 files list, −1 not set
    int32_t computationType; // 0 … 9, −1 not set
    int32_t dataSize;
    int32_t dfaOrder;
    int32_t dmaWeight;
    std::string filePrefix;
    std::string inputFilesPath;
    std::string inputFileName;
    int32_t dataOffset;
    std::string outputPath;
    double dmaLambda;
    double shiftPercentage;
    int32_t windowSize;
    std::string testName;
    int32_t distributionType;
    double distributionStep;
    int32_t movingAverageType;
    std::vector<std::string> inputFiles;
    ScaleProgression averageProgression;
    ScaleProgression fileProgression;
    int32_t integrate;  // flag: each series is replaced by its cumulative sum less its mean
    // Not stored in the configuration file.
    int32_t globalStatisticsOnly;
    int32_t generateMovingAverageFiles;
    int32_t dynamicStep;
    int32_t jobs;       // the files of a list analysed at once; 0 or less: one per core
    double badAbove;    // cluster analysis: samples above it are bad data

    // Every field back to its default; `inputFiles` is left as it is.
    void Reset();

    // Reads a configuration file. False, with the record unchanged, when the
    // file cannot be opened or a line cannot be read; false too, with the
    // record read, when it gives no input file. `problem`, when given, says
    // which (the first line that could not be read and what it should hold).
    bool LoadConfig(const std::string& path, std::string* problem = nullptr);
    // False when the file cannot be written.
    bool SaveConfig(const std::string& path) const;
    // The lines that SaveConfig writes: the 35 of the format, then the
    // integration's header and flag, which a reader of 35 lines ignores.
    std::string ConfigText() const;

    // The input files: the one file, or the lines of the files-list file.
    // `note`, when given, says when a blank line leaves files of the list out.
    bool ExpandInputFiles(std::string* note = nullptr);
};

// Appends the trimmed lines of a files-list file up to its first empty line.
// False, with the list untouched, when the file cannot be opened. `note`, when
// given, names the blank line when files are named after it (empty otherwise).
bool ReadFilesList(const std::string& path, std::vector<std::string>& files, std::string* note = nullptr);

// The configuration file's mode and type letters.
char ModeLetter(int32_t mode);
char TypeLetter(int32_t type);

}  // namespace fractan
