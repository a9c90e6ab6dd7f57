#pragma once
// Sums over the boxes of a window that moves along the series one sample at a
// time: the value of the box (or position) ending at each sample is handed in
// as the series is walked, and the sum over the boxes of the window up to the
// last sample is kept, whatever the window's length, at the cost of a few
// operations a sample. Dynamic DFA and the sliding cross-correlation keep them.

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/box_fit.h"
#include "engine/dfa.h"
#include "setup/containers.h"

namespace fractan {

// How the boxes of one size lie in the W samples up to an end position:
// `count` boxes whose ends are `step` samples apart, the last ending at the
// end position; for both-end boxes as many again, ending `lag` samples earlier.
struct BoxRow {
    int32_t n, step, count, lag = -1;

    BoxRow(int32_t size, int32_t W, const BoxPlacement& boxes) : n(size), step(boxes.StepIn(size)) {
        count = n > W ? 0 : step < n ? (W - n) / step + 1 : W / n;
        // Two tilings that coincide are one.
        if (boxes.kind == BoxPlacement::Kind::kBoth && W % n != 0) lag = W % n;
    }
    int32_t Boxes() const { return lag < 0 ? count : 2 * count; }
    bool Tiles() const { return step == n; }
};

// A sum that is updated at every position for as long as the series runs:
// compensated (Neumaier), so that rounding does not build up over millions of
// additions and removals. Values that are not finite are counted apart, so
// that the sum is whole again once they have been removed.
class RunningSum {
public:
    void Add(double x) {
        if (!std::isfinite(x)) {
            ++notFinite_;
            return;
        }
        const double t = sum_ + x;
        carry_ += std::fabs(sum_) >= std::fabs(x) ? (sum_ - t) + x : (x - t) + sum_;
        sum_ = t;
    }
    void Remove(double x) {
        if (std::isfinite(x)) Add(-x);
        else --notFinite_;
    }
    double Value() const { return notFinite_ > 0 ? std::numeric_limits<double>::quiet_NaN() : sum_ + carry_; }

private:
    double sum_ = 0.0, carry_ = 0.0;
    int32_t notFinite_ = 0;
};

// The values of the boxes of a row, handed in position by position: the last
// W + 1 are kept, and for every class of positions `step` apart the sum of
// its last `count`.
class RowSums {
public:
    RowSums(const BoxRow& row, int32_t W)
        : row_(row), ring_(static_cast<size_t>(W) + 1, 0.0), slot_(W + 1), expired_(W + 1),
          sums_(static_cast<size_t>(row.step)), class_(row.step) {
        // The slot of the box `count` boxes back: never written yet, it holds 0.
        for (int64_t i = 0; i < int64_t{row.count} * row.step; ++i) --expired_;
    }
    // Takes in the value of the box ending at the next position (the first
    // call: at the first position).
    void Push(double value) {
        if (pushed_) ++slot_, ++expired_, ++class_;
        pushed_ = true;
        RunningSum& sum = sums_[class_];
        sum.Remove(ring_[expired_]);
        sum.Add(value);
        ring_[slot_] = value;
    }
    // The mean over the row's boxes in the window up to the last position.
    double Mean() const {
        if (row_.count == 0) return std::numeric_limits<double>::quiet_NaN();  // a box size above W
        double total = sums_[class_].Value();
        if (row_.lag >= 0) total += sums_[(class_ - row_.lag + row_.step) % row_.step].Value();
        return total / row_.Boxes();
    }

private:
    BoxRow row_;
    std::vector<double> ring_;
    CircularIndex slot_, expired_;
    std::vector<RunningSum> sums_;
    CircularIndex class_;
    bool pushed_ = false;
};

// One box size along the whole series: the box ending at every position
// slides on by one sample, and its R/n goes to the row's sums.
template <int M>
class BoxTrack {
public:
    BoxTrack(const double* samples, const BoxBasis& basis, const BoxRow& row, int32_t W)
        : n_(row.n), box_(samples, basis), sums_(row, W) {}
    // Takes in the box that ends at position p: the first of the series, then
    // the box of every next position in turn.
    void At(int32_t p, bool first) {
        if (first) box_.Start(p - n_ + 1);
        else box_.Advance();
        sums_.Push(box_.Residual());
    }
    // F² at the position of the last box.
    double Square() const { return sums_.Mean(); }

private:
    int32_t n_;
    SlidingBox<M> box_;
    RowSums sums_;
};

}  // namespace fractan
