#pragma once
// The files of one generated series: a text file with one value per line
// (".txt") and a binary file of raw little-endian 8-byte doubles (".dat"),
// both holding the values of every point in order of x.

#include <cstdint>
#include <span>
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

// The values of a series in order: those of a midpoint list, or of an array.
class SeriesValues {
public:
    SeriesValues(const SeriesPoint* first) : point_(first) {}
    SeriesValues(std::span<const double> values) : values_(values) {}
    // The next value; false after the last.
    bool Next(double& value) {
        if (point_) {
            value = point_->y;
            point_ = point_->next;
            return true;
        }
        if (at_ == values_.size()) return false;
        value = values_[at_++];
        return true;
    }

private:
    const SeriesPoint* point_ = nullptr;
    std::span<const double> values_;
    size_t at_ = 0;
};

// Writes base + ".txt" (values with `precision` decimals) and/or base + ".dat"
// as the kind asks. When the text file cannot be opened the binary one is not
// attempted either.
int32_t WriteSeries(SeriesValues values, std::string baseName, int32_t kind, int32_t precision);

}  // namespace fractan
