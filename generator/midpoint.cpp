#include "generator/midpoint.h"

#include <cmath>
#include <new>

#include "generator/random_source.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// The displacement scale of one level and H, computed once per level instead
// of once per point.
struct LevelScale {
    double divisor;  // 2^(level·H)
    double factor;   // sqrt(1 − 2^(2H − 2))
    LevelScale(int32_t level, double hurst)
        : divisor(std::pow(2.0, level * hurst)), factor(std::sqrt(1.0 - std::pow(2.0, 2.0 * hurst - 2.0))) {}
};

// Inserts a point between `point` and its successor: halfway along x, and the
// mean of their y displaced by a Gaussian draw of deviation factor / divisor.
// Returns the new point (null when the pool is exhausted, the list unchanged).
SeriesPoint* Insert(SeriesPointPool& pool, SeriesPoint* point, const LevelScale& scale, int32_t& seed) {
    SeriesPoint* fresh = pool.New();
    if (!fresh) return nullptr;
    const double g = GaussianDeviate(seed, 0.0, 1.0);
    const double d = g / scale.divisor * scale.factor;
    SeriesPoint* right = point->next;
    fresh->x = (right->x + point->x) * 0.5;
    fresh->y = (right->y + point->y) * 0.5 + d;
    fresh->next = right;
    point->next = fresh;
    return fresh;
}

}  // namespace

SeriesPointPool::SeriesPointPool(size_t capacity) {
    points_.reset(new (std::nothrow) SeriesPoint[capacity]);
    if (points_) capacity_ = capacity;
}

SeriesPoint* SeriesPointPool::New() { return used_ < capacity_ ? &points_[used_++] : nullptr; }

size_t SeriesLength(int32_t levels) { return (size_t{1} << levels) + 1; }

SeriesPoint* BuildSeries(SeriesPointPool& pool, int32_t levels, int32_t series, double hurst,
                         int32_t& seed) {
    StopCheck stopRequested;
    pool.Release();
    SeriesPoint* first = pool.New();
    SeriesPoint* last = pool.New();
    if (!first || !last) return nullptr;
    *last = SeriesPoint{1.0, 0.0, nullptr};
    *first = SeriesPoint{0.0, 0.0, last};
    for (int32_t level = 0; level < levels; ++level) {
        PrintFormatted("Building series %d (H=%g). Level %d\n", series, hurst, level);
        const LevelScale scale(level + 1, hurst);
        // One midpoint into every interval, from left to right: after the first,
        // step over the old right neighbour of the point just inserted.
        SeriesPoint* inserted = Insert(pool, first, scale, seed);
        const double more = std::pow(2.0, level) - 1.0;
        for (double j = 0.0; j < more && inserted; j += 1.0) {
            if (stopRequested()) return nullptr;
            inserted = Insert(pool, inserted->next, scale, seed);
        }
        if (!inserted || stopRequested()) return nullptr;
    }
    return first;
}

}  // namespace fractan
