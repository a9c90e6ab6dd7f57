#pragma once
// The files of one generated series: a text file with one value per line
// (".txt") and a binary file of raw little-endian 8-byte doubles (".dat"),
// both holding the values of every point in order of x.

#include <cstdint>
#include <string>

#include "generator/midpoint.h"

namespace fractan {

// Output kinds: a bit set.
inline constexpr int32_t kTextSeries = 1;
inline constexpr int32_t kBinarySeries = 2;
inline constexpr int32_t kTextAndBinarySeries = 3;

// What WriteSeries did.
inline constexpr int32_t kSeriesWritten = 0;
inline constexpr int32_t kSeriesNotWritten = -1;  // a line said which file failed
inline constexpr int32_t kSeriesStopped = -2;     // stopped; the unfinished files are removed

// outputPath + separator + prefix + "H=" + H (2 significant digits) + "-" + series.
std::string SeriesBaseName(const std::string& outputPath, const std::string& prefix, double hurst,
                           int32_t series);

// Writes base + ".txt" (values with `precision` decimals) and/or base + ".dat"
// as the kind asks. When the text file cannot be opened the binary one is not
// attempted either.
int32_t WriteSeries(const SeriesPoint* first, std::string baseName, int32_t kind, int32_t precision);

}  // namespace fractan
