#include "engine/result_files.h"

#include <cstdio>
#include <fstream>

#include "engine/methods.h"
#include "setup/output.h"
#include "setup/paths.h"

namespace fractan {

bool TruncateFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    return file && std::fclose(file) == 0;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    {
        std::ofstream out(part);
        out << text;
        if (!out.flush()) {
            out.close();
            std::remove(part.c_str());
            return false;
        }
    }
    if (std::rename(part.c_str(), path.c_str()) == 0) return true;
    std::remove(part.c_str());  // such as a folder of the name: nothing is left beside it
    return false;
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

std::string IntervalFilePath(const std::string& resultPath) {
    const std::string tail = ".out.txt";
    const bool hasTail = resultPath.size() >= tail.size() && resultPath.ends_with(tail);
    return (hasTail ? resultPath.substr(0, resultPath.size() - tail.size()) : resultPath) + ".interval.txt";
}

bool WriteResultLine(std::FILE* file, const std::string& fileName, int32_t dataSize,
                     int32_t dataOffset, int32_t position, double hurst) {
    return std::fprintf(file, kResultLineFormat, fileName.c_str(), static_cast<long>(dataSize),
                        dataOffset, position, hurst) > 0;
}

std::string OutputNameRegistry::Claim(const std::string& path, const std::string& tail) {
    if (claimed_.insert(path).second) return path;
    const bool hasTail = path.size() >= tail.size() &&
                         path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    const std::string stem = hasTail ? path.substr(0, path.size() - tail.size()) : path;
    const std::string ending = hasTail ? tail : std::string();
    for (int n = 2;; ++n) {
        std::string candidate = stem + "_" + std::to_string(n) + ending;
        if (claimed_.insert(candidate).second) return candidate;
    }
}

}  // namespace fractan
