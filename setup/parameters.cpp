#include "setup/parameters.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>

#include "setup/files.h"
#include "setup/line_reader.h"

namespace fractan {

void AnalysisParameters::Reset() {
    std::vector<std::string> files = std::move(inputFiles);
    *this = AnalysisParameters();
    inputFiles = std::move(files);
}

namespace {

// The configuration file line by line, for its reader and its writer alike:
// Header stands for a header line (read, not compared), and every value line
// names its fields and what it should hold.
template <class Format, class Record>
void DescribeConfig(Format& f, Record& p) {
    auto& avg = p.averageProgression;
    auto& files = p.fileProgression;
    f.Header("[Input file mode (S-single, M-multi), name and type (T-text, B-binary)]");
    // Not followed by a skip of blank lines, so that an empty name on line 3
    // is read as the name.
    f.Letter(p.inputFileMode, "SM", "the input file mode letter (S or M)", false);
    f.Text(p.inputFileName, "the input file name");
    f.Letter(p.inputFileType, "TB", "the input file type letter (T or B)", true);
    f.Header("[Output path]");
    f.Text(p.outputPath, "the output path");
    f.Header("[Computation type (see below)]");
    f.Numbers("the computation type, a whole number", p.computationType);
    f.Header("[Data size and offset (see below)]");
    f.Numbers("the data size and offset, two whole numbers", p.dataSize, p.dataOffset);
    f.Header("[Window size (see below)]");
    f.Numbers("the window size, a whole number", p.windowSize);
    f.Header("[Average progression type (0-linear, 1-geometric, 2-custom), Average start, end, step (see below)]");
    f.Numbers("the progression type, a whole number", avg.type);
    f.Numbers("the progression start, end and step, three whole numbers", avg.start, avg.end, avg.step);
    f.Header("[Custom progression file (see below)]");
    f.Text(avg.customFile, "the custom progression file");
    f.Header("[File start, end, step (see below)]");
    f.Numbers("the file start, end and step, three whole numbers", files.start, files.end, files.step);
    f.Header("[Input files path]");
    f.Text(p.inputFilesPath, "the input files path");
    // Earlier files have "File prefix]", without its '[': headers are not compared.
    f.Header("[File prefix]");
    f.Text(p.filePrefix, "the file prefix");
    f.Header("[Moving average type (0-normal 1-extended)]");
    f.Numbers("the moving average type, a whole number", p.movingAverageType);
    f.Header("[Distribution Type (0-linear 1-log), step]");
    f.Numbers("the distribution type and step, a whole number and a number", p.distributionType,
              p.distributionStep);
    f.Header("[Test custom name]");
    f.Text(p.testName, "the test name");
    f.Header("[DMA weight, Lambda]");
    f.Numbers("the DMA weight and lambda, a whole number and a number", p.dmaWeight, p.dmaLambda);
    f.Header("[DFA order (0-constant, 1-linear, 2-quadratic, ...)]");
    f.Numbers("the DFA order, a whole number", p.dfaOrder);
    f.Header("[DMA shift percentage]");
    f.Numbers("the shift percentage, a number", p.shiftPercentage);
    // Lines 36 and 37, which files of 35 lines lack (no integration): a reader
    // of the 35 lines ignores them.
    if (f.OptionalHeader("[Integrate the values (0-no, 1-yes)]"))
        f.Flag(p.integrate, "whether to integrate the values, 0 or 1");
    // Lines 38 and 39, which files of 35 or 37 lines lack (boxes from the end).
    if (f.OptionalHeader("[Boxes of DFA (end, both, overlap, overlap:step)]"))
        f.Text(p.dfaBoxes, "where the boxes of DFA lie");
}

// Reads the lines in order and keeps the first problem. A value line holds
// exactly its numbers; blank lines after a number line are skipped, as the
// file's number reads always did.
class ConfigReader {
public:
    explicit ConfigReader(std::FILE* file) : file_(file) {}
    const std::string& Problem() const { return problem_; }

    void Header(const char*) { Line("its header line"); }
    // True, with the line taken, when the next one is a header that starts
    // with the first word of this one (a hand-edited header still counts);
    // lines that are not read stay free text.
    bool OptionalHeader(const char* header) {
        const std::string_view start(header, std::strcspn(header, " "));
        if (!problem_.empty() || !hasPending_ || !pending_.starts_with(start)) return false;
        hasPending_ = false;
        return true;
    }
    void Text(std::string& target, const char* what) {
        if (const std::optional<std::string> line = Line(what)) target = *line;
    }
    // One of the two letters (0 or 1, in either case), or none (−1, not set);
    // `skipBlank` as for a number line.
    void Letter(int32_t& target, const char* letters, const char* what, bool skipBlank) {
        const std::optional<std::string> line = Line(what);
        if (!line) return;
        if (line->size() > 1) return Fail(std::string(what) + ", one letter");
        const int c = line->empty() ? '\n' : std::toupper(static_cast<unsigned char>((*line)[0]));
        target = c == letters[0] ? 0 : c == letters[1] ? 1 : -1;
        if (skipBlank) SkipBlankLines();
    }
    void Flag(int32_t& target, const char* what) { Numbers(what, target); }
    template <typename... Targets>
    void Numbers(const char* what, Targets&... targets) {
        const std::optional<std::string> line = Line(what);
        if (!line) return;
        std::istringstream words(*line);
        std::string word;
        const bool read = ((words >> word && Parse(word, targets)) && ...) && !(words >> word);
        if (!read) return Fail(what);
        SkipBlankLines();
    }

private:
    // The next line of the file, trimmed; false when the file has ended (a
    // byte of 255 ends it too).
    bool NextLine(std::string& line) {
        line.clear();
        int c = ended_ ? EOF : std::fgetc(file_);
        if (c == EOF || c == 255) {
            ended_ = true;
            return false;
        }
        for (; c != EOF && c != 255 && c != '\n'; c = std::fgetc(file_)) line.push_back(static_cast<char>(c));
        ended_ = c == 255;
        ++number_;
        line = Trim(line);
        return true;
    }
    // The next line, which should hold `what`; none after a problem.
    std::optional<std::string> Line(const char* what) {
        if (!problem_.empty()) return std::nullopt;
        std::string text;
        if (hasPending_) {
            text = std::move(pending_);
            hasPending_ = false;
        } else if (!NextLine(text)) {
            problem_ = number_ == 0 ? std::string("the file is empty; a configuration file has 35 lines")
                                    : "the file ends after line " + std::to_string(number_) + "; line " +
                                          std::to_string(number_ + 1) + " should hold " + what;
            return std::nullopt;
        }
        current_ = text;
        // No name or number holds a NUL byte, and a name cut at one would
        // save as another record.
        if (text.find('\0') != std::string::npos) {
            problem_ = "line " + std::to_string(number_) + " should hold " + what + "; it holds a NUL byte";
            return std::nullopt;
        }
        return text;
    }
    void Fail(const std::string& what) {
        problem_ = "line " + std::to_string(number_) + " should hold " + what + "; it holds " + Shown(current_);
    }
    void SkipBlankLines() {
        std::string text;
        while (NextLine(text))
            if (!text.empty()) {
                pending_ = text;
                hasPending_ = true;
                return;
            }
    }
    static bool Parse(const std::string& word, int32_t& target) {
        const std::optional<int32_t> value = WholeNumber(word);
        target = value.value_or(target);
        return value.has_value();
    }
    static bool Parse(const std::string& word, double& target) {
        char* end = nullptr;
        target = std::strtod(word.c_str(), &end);
        return end == word.c_str() + word.size();
    }

    std::FILE* file_;
    int number_ = 0;  // the lines read, counted from 1
    bool ended_ = false;
    std::string current_, pending_, problem_;
    bool hasPending_ = false;
};

// Writes the lines DescribeConfig names.
class ConfigWriter {
public:
    std::string text;

    void Header(const char* header) { Line(header); }
    bool OptionalHeader(const char* header) {
        Line(header);
        return true;
    }
    // Up to a NUL byte, as the file always held it.
    void Text(const std::string& value, const char*) { Line(value.c_str()); }
    // '-' reads back as "not set".
    void Letter(int32_t value, const char* letters, const char*, bool) {
        Line(std::string(1, value == 0 || value == 1 ? letters[value] : '-'));
    }
    void Flag(int32_t value, const char* what) { Numbers(what, value != 0 ? 1 : 0); }
    // Tab-separated, whole numbers as "%d" writes them and numbers as "%lf".
    template <typename... Values>
    void Numbers(const char*, const Values&... values) {
        std::string line;
        ((line += line.empty() ? "" : "\t", line += std::to_string(values)), ...);
        Line(line);
    }

private:
    void Line(std::string_view line) { text.append(line).push_back('\n'); }
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
    DescribeConfig(in, read);
    if (!in.Problem().empty()) {
        why = in.Problem();
        return false;
    }
    // A geometric progression is stored as linear with the same numbers.
    if (read.averageProgression.type == kGeometric) read.averageProgression.type = kLinear;
    // The fields the file does not hold get their defaults.
    *this = std::move(read);
    if (ExpandInputFiles()) return true;
    why = "it names no input file: the files list [" + inputFileName +
          "] cannot be read or its first line is empty";
    return false;
}

std::string AnalysisParameters::ConfigText() const {
    ConfigWriter out;
    DescribeConfig(out, *this);
    return out.text;
}

std::string AnalysisParameters::SaveRefusal() const {
    if (averageProgression.type != kGeometric) return {};
    return "A configuration file reads a geometric progression back as linear; save a linear or custom progression";
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
