#include "setup/parameters.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "setup/files.h"
#include "setup/method_settings.h"

#include "setup/line_reader.h"

namespace fractan {

void AnalysisParameters::Reset() {
    inputFileType = -1;
    inputFileMode = -1;
    computationType = -1;
    dataSize = 0;
    dfaOrder = DefaultOf<int32_t>(kUsesOrder);
    dmaWeight = DefaultOf<int32_t>(kUsesWeight);
    filePrefix.clear();
    inputFilesPath.clear();
    inputFileName.clear();
    dataOffset = 0;
    outputPath.clear();
    dmaLambda = DefaultOf<double>(kUsesLambda);
    shiftPercentage = DefaultOf<double>(kUsesShift);
    windowSize = 0;
    testName.clear();
    distributionType = 0;
    distributionStep = 1.0;
    movingAverageType = 0;
    averageProgression = ScaleProgression{};
    fileProgression = ScaleProgression{};
    globalStatisticsOnly = 1;
    generateMovingAverageFiles = 0;
    dynamicStep = DefaultOf<int32_t>(kUsesStep);
    integrate = 0;
    jobs = 0;
    badAbove = kDefaultBadAbove;
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

// The header of line 36; a reader of the 35 lines before it ignores it and line 37.
constexpr const char* kIntegrateHeader = "[Integrate the values (0-no, 1-yes)]";

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

// The lines of a configuration file, counted from 1.
class ConfigLines {
public:
    explicit ConfigLines(std::FILE* file) : file_(file) {}
    int Number() const { return number_; }

    // The next line, trimmed; false when the file has ended (a byte of 255
    // ends it too).
    bool Next(std::string& line) {
        line.clear();
        if (ended_) return false;
        int c = std::fgetc(file_);
        if (c == EOF || c == 255) return End();
        while (c != EOF && c != 255 && c != '\n') {
            line.push_back(static_cast<char>(c));
            c = std::fgetc(file_);
        }
        ended_ = c == 255;
        ++number_;
        line = Trim(line);
        return true;
    }

private:
    bool End() {
        ended_ = true;
        return false;
    }

    std::FILE* file_;
    int number_ = 0;
    bool ended_ = false;
};

std::string Shown(const std::string& text) {
    return "\"" + (text.size() > 40 ? text.substr(0, 40) + "..." : text) + "\"";
}

// Reads lines 1 … 35 in order and keeps the first problem. A value line holds
// exactly its numbers; blank lines after a number line are skipped, as the
// file's number reads always did.
class ConfigReader {
public:
    explicit ConfigReader(std::FILE* file) : lines_(file) {}
    const std::string& Problem() const { return problem_; }

    void Header() { Line("its header line"); }
    // True, with the line taken, when the next one is a header that starts so
    // (a hand-edited header still counts); lines that are not read stay free text.
    bool OptionalHeader(std::string_view start) {
        if (!problem_.empty() || !hasPending_ || !pending_.starts_with(start)) return false;
        hasPending_ = false;
        return true;
    }
    void Text(std::string& target, const char* what) {
        std::string line;
        if (Line(what, &line)) target = line;
    }
    // One character, or none (not set); `skipBlank` as for a number line.
    void Letter(int& target, const char* what, bool skipBlank) {
        std::string line;
        if (!Line(what, &line)) return;
        if (line.size() > 1) return Fail(std::string(what) + ", one letter");
        target = line.empty() ? '\n' : line[0];
        if (skipBlank) SkipBlankLines();
    }
    template <typename... Targets>
    void Numbers(const char* what, Targets&... targets) {
        std::string line;
        if (!Line(what, &line)) return;
        std::istringstream words(line);
        std::string word;
        const bool read = (Parse(words, targets) && ...) && !(words >> word);
        if (!read) return Fail(what);
        SkipBlankLines();
    }

private:
    bool Line(const char* what, std::string* line = nullptr) {
        if (!problem_.empty()) return false;
        std::string text;
        if (hasPending_) {
            text = std::move(pending_);
            hasPending_ = false;
        } else if (!lines_.Next(text)) {
            problem_ = lines_.Number() == 0
                           ? std::string("the file is empty; a configuration file has 35 lines")
                           : "the file ends after line " + std::to_string(lines_.Number()) + "; line " +
                                 std::to_string(lines_.Number() + 1) + " should hold " + what;
            return false;
        }
        current_ = text;
        // No name or number holds a NUL byte, and a name cut at one would
        // save as another record.
        if (text.find('\0') != std::string::npos) {
            problem_ = "line " + std::to_string(lines_.Number()) + " should hold " + what + "; it holds a NUL byte";
            return false;
        }
        if (line) *line = text;
        return true;
    }
    void Fail(const std::string& what) {
        problem_ = "line " + std::to_string(lines_.Number()) + " should hold " + what + "; it holds " + Shown(current_);
    }
    void SkipBlankLines() {
        std::string text;
        while (lines_.Next(text))
            if (!text.empty()) {
                pending_ = text;
                hasPending_ = true;
                return;
            }
    }
    static bool Parse(std::istringstream& words, int32_t& target) {
        std::string word;
        if (!(words >> word)) return false;
        const char* first = word.data() + (word.size() > 1 && word[0] == '+' ? 1 : 0);
        const auto [end, error] = std::from_chars(first, word.data() + word.size(), target);
        return error == std::errc() && end == word.data() + word.size();
    }
    static bool Parse(std::istringstream& words, double& target) {
        std::string word;
        if (!(words >> word)) return false;
        char* end = nullptr;
        target = std::strtod(word.c_str(), &end);
        return end == word.c_str() + word.size();
    }

    ConfigLines lines_;
    std::string current_, pending_, problem_;
    bool hasPending_ = false;
};

}  // namespace

bool AnalysisParameters::LoadConfig(const std::string& path, std::string* problem) {
    std::string ignored;
    std::string& why = problem ? *problem : ignored;
    why.clear();
    const FilePtr file(std::fopen(path.c_str(), "r"));
    if (!file) {
        why = "it cannot be opened";
        return false;
    }
    if (StartsAsUtf16(file.get())) {
        why = "it is UTF-16 text; a configuration file is plain text (ASCII or UTF-8)";
        return false;
    }
    SkipByteOrderMark(file.get());
    AnalysisParameters read;  // the record after Reset, then what the file holds
    ConfigReader in(file.get());
    int mode = 0, type = 0;
    ScaleProgression& avg = read.averageProgression;
    ScaleProgression& files = read.fileProgression;
    in.Header();  // 1
    // 2: not followed by a skip of blank lines, so that an empty name on
    // line 3 is read as the name.
    in.Letter(mode, "the input file mode letter (S or M)", false);
    in.Text(read.inputFileName, "the input file name");                      // 3
    in.Letter(type, "the input file type letter (T or B)", true);            // 4
    in.Header();                                                             // 5
    in.Text(read.outputPath, "the output path");                             // 6
    in.Header();                                                             // 7
    in.Numbers("the computation type, a whole number", read.computationType);  // 8
    in.Header();                                                             // 9
    in.Numbers("the data size and offset, two whole numbers", read.dataSize, read.dataOffset);  // 10
    in.Header();                                                             // 11
    in.Numbers("the window size, a whole number", read.windowSize);          // 12
    in.Header();                                                             // 13
    in.Numbers("the progression type, a whole number", avg.type);            // 14
    in.Numbers("the progression start, end and step, three whole numbers", avg.start, avg.end,
               avg.step);                                                    // 15
    in.Header();                                                             // 16
    in.Text(avg.customFile, "the custom progression file");                  // 17
    in.Header();                                                             // 18
    in.Numbers("the file start, end and step, three whole numbers", files.start, files.end,
               files.step);                                                  // 19
    in.Header();                                                             // 20
    in.Text(read.inputFilesPath, "the input files path");                    // 21
    in.Header();                                                             // 22
    in.Text(read.filePrefix, "the file prefix");                             // 23
    in.Header();                                                             // 24
    in.Numbers("the moving average type, a whole number", read.movingAverageType);  // 25
    in.Header();                                                             // 26
    in.Numbers("the distribution type and step, a whole number and a number", read.distributionType,
               read.distributionStep);                                       // 27
    in.Header();                                                             // 28
    in.Text(read.testName, "the test name");                                 // 29
    in.Header();                                                             // 30
    in.Numbers("the DMA weight and lambda, a whole number and a number", read.dmaWeight,
               read.dmaLambda);                                              // 31
    in.Header();                                                             // 32
    in.Numbers("the DFA order, a whole number", read.dfaOrder);              // 33
    in.Header();                                                             // 34
    in.Numbers("the shift percentage, a number", read.shiftPercentage);      // 35
    // 36 and 37, which files of 35 lines lack (no integration).
    if (in.OptionalHeader("[Integrate")) in.Numbers("whether to integrate the values, 0 or 1", read.integrate);
    if (!in.Problem().empty()) {
        why = in.Problem();
        return false;
    }
    read.inputFileMode = ModeFromLetter(mode);
    read.inputFileType = TypeFromLetter(type);
    // A geometric progression is stored as linear with the same numbers.
    if (avg.type == kGeometric) avg.type = kLinear;
    // The fields the file does not hold get their defaults.
    *this = std::move(read);
    if (ExpandInputFiles()) return true;
    why = "it names no input file: the files list [" + inputFileName +
          "] cannot be read or its first line is empty";
    return false;
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
    // Earlier files have "File prefix]", without its '[': headers are not compared.
    Append(text, "[File prefix]\n%s\n", filePrefix.c_str());
    Append(text, "[Moving average type (0-normal 1-extended)]\n%d\n", movingAverageType);
    Append(text, "[Distribution Type (0-linear 1-log), step]\n%d\t%lf\n", distributionType,
           distributionStep);
    Append(text, "[Test custom name]\n%s\n", testName.c_str());
    Append(text, "[DMA weight, Lambda]\n%d\t%lf\n", dmaWeight, dmaLambda);
    Append(text, "[DFA order (0-constant, 1-linear)]\n%d\n", dfaOrder);
    Append(text, "[DMA shift percentage]\n%lf\n", shiftPercentage);
    Append(text, "%s\n%d\n", kIntegrateHeader, integrate != 0 ? 1 : 0);
    return text;
}

bool AnalysisParameters::SaveConfig(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    const std::string text = ConfigText();
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool AnalysisParameters::ExpandInputFiles(std::string* note) {
    inputFiles.clear();
    if (note) note->clear();
    if (inputFileMode == 1) {
        ReadFilesList(inputFileName, inputFiles, note);
    } else {
        inputFiles.push_back(inputFileName);
    }
    return !inputFiles.empty();
}

bool ReadFilesList(const std::string& path, std::vector<std::string>& files, std::string* note) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return false;
    SkipByteOrderMark(file);
    std::string line;
    int64_t read = 0;
    while (ReadTrimmedLine(file, line)) {
        files.push_back(line);
        ++read;
    }
    if (note) {
        // The list ends at its first blank line: say what that leaves out.
        int64_t after = 0;
        while (!std::feof(file) && !std::ferror(file))
            if (ReadTrimmedLine(file, line)) ++after;
        if (after > 0)
            *note = "Files list [" + path + "]: the list ends at line " + std::to_string(read + 1) + ", which is blank or unreadable; the " +
                    std::to_string(after) + " files named after it are not analysed.";
    }
    std::fclose(file);
    return true;
}

}  // namespace fractan
