#include "setup/parameters.h"

#include <cstdarg>
#include <cstdio>

#include "setup/line_reader.h"

namespace fractan {

void AnalysisParameters::Reset() {
    inputFileType = -1;
    inputFileMode = -1;
    computationType = -1;
    dataSize = 0;
    dfaOrder = 0;
    dmaWeight = 0;
    filePrefix.clear();
    inputFilesPath.clear();
    inputFileName.clear();
    dataOffset = 0;
    outputPath.clear();
    dmaLambda = 0.0;
    shiftPercentage = 0.0;
    windowSize = 0;
    testName.clear();
    distributionType = 0;
    distributionStep = 1.0;
    movingAverageType = 0;
    averageProgression = ScaleProgression{};
    fileProgression = ScaleProgression{};
    globalStatisticsOnly = 1;
    generateMovingAverageFiles = 0;
    dynamicStep = 100;
}

char ModeLetter(int32_t mode) {
    switch (mode) {
        case 0: return 'S';
        case 1: return 'M';
        default: return '-';  // reads back as "not set"
    }
}

char TypeLetter(int32_t type) {
    switch (type) {
        case 0: return 'T';
        case 1: return 'B';
        default: return '-';
    }
}

namespace {

int32_t ModeFromLetter(int c) {
    if (c == 'S' || c == 's') return 0;
    if (c == 'M' || c == 'm') return 1;
    return -1;
}

int32_t TypeFromLetter(int c) {
    if (c == 'T' || c == 't') return 0;
    if (c == 'B' || c == 'b') return 1;
    return -1;
}

// Scans one format into the targets; a field that does not parse keeps its value.
template <typename... Targets>
void Scan(std::FILE* file, const char* format, Targets*... targets) {
    (void)std::fscanf(file, format, targets...);
}

}  // namespace

bool AnalysisParameters::LoadConfig(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return false;
    Reset();

    SkipLine(file);  // 1
    // 2: the mode letter takes its own line only, so that an empty name on
    // line 3 is read as the name and not swallowed as white space.
    int letter = std::fgetc(file);
    if (letter != '\n') SkipLine(file);
    inputFileMode = ModeFromLetter(letter);
    ReadTrimmedLine(file, inputFileName);  // 3
    char typeLetter = 0;
    Scan(file, "%c\n", &typeLetter);  // 4
    inputFileType = TypeFromLetter(static_cast<unsigned char>(typeLetter));
    SkipLine(file);  // 5
    ReadTrimmedLine(file, outputPath);  // 6
    SkipLine(file);  // 7
    Scan(file, "%d\n", &computationType);  // 8
    SkipLine(file);  // 9
    Scan(file, "%d\t%d\n", &dataSize, &dataOffset);  // 10
    SkipLine(file);  // 11
    Scan(file, "%d\n", &windowSize);  // 12
    SkipLine(file);  // 13
    Scan(file, "%d\n", &averageProgression.type);  // 14
    Scan(file, "%d\t%d\t%d\n", &averageProgression.start, &averageProgression.end,
         &averageProgression.step);  // 15
    SkipLine(file);  // 16
    ReadTrimmedLine(file, averageProgression.customFile);  // 17
    SkipLine(file);  // 18
    Scan(file, "%d\t%d\t%d\n", &fileProgression.start, &fileProgression.end,
         &fileProgression.step);  // 19
    SkipLine(file);  // 20
    ReadTrimmedLine(file, inputFilesPath);  // 21
    SkipLine(file);  // 22
    ReadTrimmedLine(file, filePrefix);  // 23
    SkipLine(file);  // 24
    Scan(file, "%d\n", &movingAverageType);  // 25
    SkipLine(file);  // 26
    Scan(file, "%d\t%lf\n", &distributionType, &distributionStep);  // 27
    SkipLine(file);  // 28
    ReadTrimmedLine(file, testName);  // 29
    SkipLine(file);  // 30
    Scan(file, "%d\t%lf\n", &dmaWeight, &dmaLambda);  // 31
    SkipLine(file);  // 32
    Scan(file, "%d\n", &dfaOrder);  // 33
    SkipLine(file);  // 34
    Scan(file, "%lf\n", &shiftPercentage);  // 35
    std::fclose(file);

    // A geometric progression is stored as linear with the same numbers.
    if (averageProgression.type == kGeometric) averageProgression.type = kLinear;
    return ExpandInputFiles();
}

namespace {

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& text, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        const size_t old = text.size();
        text.resize(old + static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data() + old, static_cast<size_t>(length) + 1, format, copy);
        text.resize(old + static_cast<size_t>(length));
    }
    va_end(copy);
}

}  // namespace

std::string AnalysisParameters::ConfigText() const {
    const ScaleProgression& avg = averageProgression;
    std::string text;
    Append(text, "[Input file mode (S-single, M-multi), name and type (T-text, B-binary)]\n");
    Append(text, "%c\n", ModeLetter(inputFileMode));
    Append(text, "%s\n", inputFileName.c_str());
    Append(text, "%c\n", TypeLetter(inputFileType));
    Append(text, "[Output path]\n%s\n", outputPath.c_str());
    Append(text, "[Computation type (see below)]\n%d\n", computationType);
    Append(text, "[Data size and offset (see below)]\n%d\t%d\n", dataSize, dataOffset);
    Append(text, "[Window size (see below)]\n%d\n", windowSize);
    Append(text,
           "[Average progression type (0-linear, 1-geometric, 2-custom), Average start, "
           "end, step (see below)]\n");
    Append(text, "%d\n%d\t%d\t%d\n", avg.type, avg.start, avg.end, avg.step);
    Append(text, "[Custom progression file (see below)]\n%s\n", avg.customFile.c_str());
    Append(text, "[File start, end, step (see below)]\n%d\t%d\t%d\n", fileProgression.start,
           fileProgression.end, fileProgression.step);
    Append(text, "[Input files path]\n%s\n", inputFilesPath.c_str());
    Append(text, "File prefix]\n%s\n", filePrefix.c_str());
    Append(text, "[Moving average type (0-normal 1-extended)]\n%d\n", movingAverageType);
    Append(text, "[Distribution Type (0-linear 1-log), step]\n%d\t%lf\n", distributionType,
           distributionStep);
    Append(text, "[Test custom name]\n%s\n", testName.c_str());
    Append(text, "[DMA weight, Lambda]\n%d\t%lf\n", dmaWeight, dmaLambda);
    Append(text, "[DFA order (0-constant, 1-linear)]\n%d\n", dfaOrder);
    Append(text, "[DMA shift percentage]\n%lf\n", shiftPercentage);
    return text;
}

bool AnalysisParameters::SaveConfig(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    const std::string text = ConfigText();
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool AnalysisParameters::ExpandInputFiles() {
    inputFiles.clear();
    if (inputFileMode == 1) {
        ReadFilesList(inputFileName, inputFiles);
    } else {
        inputFiles.push_back(inputFileName);
    }
    return !inputFiles.empty();
}

bool ReadFilesList(const std::string& path, std::vector<std::string>& files) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return false;
    SkipByteOrderMark(file);
    std::string line;
    while (ReadTrimmedLine(file, line)) files.push_back(line);
    std::fclose(file);
    return true;
}

}  // namespace fractan
