#pragma once
// The files that every variant writes: the run's result file (".out.txt"), the
// incremental file of a dynamic variant (".inc.txt") and the chart file of a
// static one (".chart.txt"), and the intervals on H when asked (".interval.txt").

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

namespace fractan {

// Creates or empties a file; false (and nothing happens) when it cannot be opened.
bool TruncateFile(const std::string& path);

// Writes the text to path by way of a file beside it (path + ".part"), so
// that a failed write leaves nothing half-written; false when it fails.
bool WriteWholeFile(const std::string& path, const std::string& text);

// outputPath + separator + testName + "." + type name + ".out.txt".
std::string ResultFilePath(const std::string& outputPath, const std::string& testName,
                           int32_t computationType);

// Result path up to its last '.', '.', input file name up to its last '.', ".inc.txt".
std::string IncrementalFilePath(const std::string& resultPath, const std::string& inputPath);

// Result path + "." + input file name + ".chart.txt".
std::string ChartFilePath(const std::string& resultPath, const std::string& inputPath);

// The file of the intervals on H of a run beside its result file: the result
// path less ".out.txt", then ".interval.txt". A header line names its columns.
std::string IntervalFilePath(const std::string& resultPath);
inline constexpr const char* kIntervalHeader = "File\tH\tCorrected H\tLow\tHigh\tSD of H\tSeries\tLevel\tNote\n";

// The result line of every variant: input file name (after the last separator),
// data size, data offset, position, H.
inline constexpr const char* kResultLineFormat = "%s\t%ld\t%d\t%d\t%g\n";

// Writes one result line with the file name already taken from the path;
// false on a write error.
bool WriteResultLine(std::FILE* file, const std::string& fileName, int32_t dataSize,
                     int32_t dataOffset, int32_t position, double hurst);

// Keeps the files of one run apart: a name already given out in the run gets a
// distinguishing suffix before its tail, so a later input file cannot wipe the
// results of an earlier one.
class OutputNameRegistry {
public:
    // The name itself the first time; afterwards stem + "_2" + tail, "_3", ….
    std::string Claim(const std::string& path, const std::string& tail);

private:
    std::set<std::string> claimed_;
};

}  // namespace fractan
