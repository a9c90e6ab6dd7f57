#pragma once
// Random midpoint displacement: a series of 2^N + 1 values on x = 0 … 1 built
// level by level, each level halving every interval of the list and moving the
// new point off the chord by a Gaussian displacement whose deviation shrinks
// by 2^H from one level to the next.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace fractan {

// One point of a series under construction, linked in order of x.
struct SeriesPoint {
    double x;
    double y;
    SeriesPoint* next;
};

// The points of one series, taken from a single allocation made up front.
class SeriesPointPool {
public:
    // Room for `capacity` points; Capacity() is 0 when the memory is not there.
    explicit SeriesPointPool(size_t capacity);

    size_t Capacity() const { return capacity_; }
    // The next unused point; null when the pool is exhausted.
    SeriesPoint* New();
    // Every point unused again, for the next series.
    void Release() { used_ = 0; }

private:
    std::unique_ptr<SeriesPoint[]> points_;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

// Builds the two end points (both 0) and refines them `levels` times, printing
// a line per level for series number `series` (from 1). The pool must hold
// 2^levels + 1 points. Returns the first point, or null when a stop was
// requested (nothing is printed after it) or the pool is too small.
SeriesPoint* BuildSeries(SeriesPointPool& pool, int32_t levels, int32_t series, double hurst,
                         int32_t& seed);

// 2^levels + 1.
size_t SeriesLength(int32_t levels);

}  // namespace fractan
