#include "test_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "engine/result_files.h"

namespace fractan::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fractan-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void WriteNumbers(const std::string& path, const std::vector<double>& values) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    for (double v : values) std::fprintf(file, "%.17g\n", v);
    std::fclose(file);
}

void WriteBinary(const std::string& path, const std::vector<double>& values) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(values.data(), sizeof(double), values.size(), file);
    std::fclose(file);
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::vector<double> RandomWalk(int count, unsigned seed) {
    std::mt19937 engine(seed);
    std::normal_distribution<double> step;
    std::vector<double> walk;
    double x = 0.0;
    for (int i = 0; i < count; ++i) walk.push_back(x += step(engine));
    return walk;
}

std::string ResultLine(const std::string& fileName, int dataSize, int dataOffset, int position,
                       double hurst) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* memory = ::open_memstream(&buffer, &size);
    WriteResultLine(memory, fileName, dataSize, dataOffset, position, hurst);
    std::fclose(memory);
    std::string line(buffer, size);
    std::free(buffer);
    return line;
}

double HurstOf(const std::string& path, size_t line) {
    return std::stod(SplitTabs(ReadLines(path).at(line)).at(4));
}

std::vector<std::string> Column(const std::string& path, size_t field) {
    std::vector<std::string> column;
    for (const std::string& line : ReadLines(path)) column.push_back(SplitTabs(line).at(field));
    return column;
}

std::vector<std::string> StartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (line.starts_with(prefix)) kept.push_back(line);
    return kept;
}

std::vector<double> ReadDoubles(const std::string& path) {
    const std::string bytes = ReadText(path);
    std::vector<double> values(bytes.size() / sizeof(double));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
    return values;
}

std::vector<RefusalRow> RefusalRows() {
    std::vector<RefusalRow> rows;
    for (const std::string& line : ReadLines(FRACTAN_TEST_DIR "/refusals.tsv")) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = SplitTabs(line);
        auto whole = [&](size_t i) { return std::stoi(f.at(i)); };
        rows.push_back({f.at(0) == "dfa", whole(1), whole(2), whole(3), whole(4), whole(5), whole(6), whole(7),
                        std::stod(f.at(8)), whole(9), whole(10), f.at(11), f.at(12)});
    }
    return rows;
}

AnalysisParameters SmallRun(const std::string& folder) {
    AnalysisParameters p;
    p.inputFileMode = 0;
    p.inputFileType = 0;
    p.computationType = 2;
    p.outputPath = folder;
    p.testName = std::string(1, 't');  // a plain literal here trips a false -Wrestrict in GCC 12
    p.windowSize = 50;
    p.dataSize = 100;
    p.averageProgression = ScaleProgression{2, 8, 2, kLinear, {}};
    p.dfaOrder = 0;  // DFA of these boxes too, the first holding 2 samples
    return p;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace fractan::test
