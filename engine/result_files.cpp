#include "engine/result_files.h"

#include <cstdio>

#include "engine/names.h"
#include "setup/output.h"
#include "setup/paths.h"

namespace fractan {

void TruncateFile(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "w")) std::fclose(file);
}

std::string ResultFilePath(const std::string& outputPath, const std::string& testName,
                           int32_t computationType) {
    const char* name = ComputationTypeFileName(computationType);
    return JoinPath(outputPath, testName + "." + (name ? name : "Unknown") + ".out.txt");
}

std::string IncrementalFilePath(const std::string& resultPath, const std::string& inputPath) {
    return BeforeLastDot(resultPath) + "." + BeforeLastDot(FileNameOf(inputPath)) + ".inc.txt";
}

std::string ChartFilePath(const std::string& resultPath, const std::string& inputPath) {
    return resultPath + "." + FileNameOf(inputPath) + ".chart.txt";
}

std::string FormatResultLine(const std::string& inputPath, int32_t dataSize, int32_t dataOffset,
                             int32_t position, double hurst) {
    const std::string name = FileNameOf(inputPath);
    const char* format = "%s\t%ld\t%d\t%d\t%g\n";
    char small[256];
    const int length = std::snprintf(small, sizeof small, format, name.c_str(),
                                     static_cast<long>(dataSize), dataOffset, position, hurst);
    if (length < 0) return {};
    if (static_cast<size_t>(length) < sizeof small) return std::string(small, static_cast<size_t>(length));
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, name.c_str(), static_cast<long>(dataSize),
                  dataOffset, position, hurst);
    line.resize(static_cast<size_t>(length));
    return line;
}

bool AppendResultLine(const std::string& path, const std::string& line) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file) return false;
    bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && written;
}

std::string OutputNameRegistry::Claim(const std::string& path, const std::string& tail) {
    if (claimed_.insert(path).second) return path;
    const bool hasTail = path.size() >= tail.size() &&
                         path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    const std::string stem = hasTail ? path.substr(0, path.size() - tail.size()) : path;
    const std::string ending = hasTail ? tail : std::string();
    for (int n = 2;; ++n) {
        std::string candidate = stem + "_" + std::to_string(n) + ending;
        if (claimed_.insert(candidate).second) {
            PrintFormatted("File name [%s] is already used in this run; writing [%s] instead.\n",
                           path.c_str(), candidate.c_str());
            return candidate;
        }
    }
}

}  // namespace fractan
