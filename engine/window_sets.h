#pragma once
// The sets of detrending windows of the DMA variants (the Windows of
// engine/dma_frames.h), and the choice of one for a computation type.

#include <cstdint>
#include <string>
#include <variant>

#include "engine/dma_frames.h"
#include "engine/first_order_dma.h"
#include "engine/methods.h"
#include "engine/shifted_dma.h"
#include "engine/smoothed_dma.h"
#include "setup/containers.h"
#include "setup/output.h"

namespace fractan {

// The plain trailing moving averages of DMA, one per window size.
class PlainWindows {
public:
    std::string Refusal(const SizeList& sizes) const { return WindowsBelow(sizes, 1, "moving average window"); }
    int32_t LookAhead(const SizeList&) const { return 0; }
    void Setup(const SizeList& sizes);
    template <class Visit>
    void Walk(int32_t k, const double* data, int32_t from, int32_t to, Visit&& visit) {
        windows_[k].Walk(data + from, to - from, [&](int32_t i, double mean) { visit(from + i, mean); });
    }
    void AfterStaticPosition(int32_t) {}

private:
    ChunkedArray<RunningWindow> windows_;
};

// The plain windows, window k reading s_k samples ahead of the position.
class ShiftedWindows {
public:
    explicit ShiftedWindows(double theta) : theta_(theta) {}
    std::string Refusal(const SizeList& sizes) const {
        const std::string below = plain_.Refusal(sizes);
        return below.empty() ? ShiftRefusal(sizes, theta_) : below;
    }
    // The dynamic positions stop M samples before the end, whatever the shifts.
    int32_t LookAhead(const SizeList& sizes) const { return sizes.Last(); }
    void Setup(const SizeList& sizes) {
        plain_.Setup(sizes);
        shifts_ = ShiftList(sizes, theta_);
    }
    template <class Visit>
    void Walk(int32_t k, const double* data, int32_t from, int32_t to, Visit&& visit) {
        plain_.Walk(k, data + shifts_[k], from, to, visit);
    }
    void AfterStaticPosition(int32_t) {}

private:
    double theta_;
    PlainWindows plain_;
    SizeList shifts_;
};

// FirstOrderWindow n_k fed data[t + A_k − B_k].
class FirstOrderWindows {
public:
    std::string Refusal(const SizeList& sizes) const { return FirstOrderRefusal(sizes); }
    int32_t LookAhead(const SizeList& sizes) const { return sizes.Last(); }
    void Setup(const SizeList& sizes);
    template <class Visit>
    void Walk(int32_t k, const double* data, int32_t from, int32_t to, Visit&& visit) {
        windows_[k].Walk(data + from + readAhead_[k], to - from,
                         [&](int32_t i, double line) { visit(from + i, line); });
    }
    // The only sign of progress inside the long fitting phases.
    void AfterStaticPosition(int32_t t) {
        if (t % 1000 == 0) WriteOutput(".");
    }

private:
    ChunkedArray<FirstOrderWindow> windows_;
    SizeList readAhead_;
};

// One recursive filter per window size: SmoothedWindow (n_k, w) or LambdaWindow (λ, w).
template <class Filter>
class FilterWindows {
public:
    FilterWindows(int32_t weight, double lambda) : weight_(weight), lambda_(lambda) {}
    std::string Refusal(const SizeList& sizes) const {
        if (weight_ < 0) return "the DMA filter weight is " + std::to_string(weight_) + ", it must be at least 0";
        return WindowsBelow(sizes, 1, "moving average window");
    }
    int32_t LookAhead(const SizeList&) const { return 0; }
    void Setup(const SizeList& sizes) {
        filters_ = ChunkedArray<Filter>(sizes.Size(), 10);
        for (int32_t k = 0; k < sizes.Size(); ++k) Configure(filters_[k], sizes[k]);
    }
    template <class Visit>
    void Walk(int32_t k, const double* data, int32_t from, int32_t to, Visit&& visit) {
        filters_[k].Walk(data + from, to - from, [&](int32_t i, double output) { visit(from + i, output); });
    }
    void AfterStaticPosition(int32_t) {}

private:
    void Configure(SmoothedWindow& filter, int32_t n) const { filter.SetLength(n, weight_); }
    void Configure(LambdaWindow& filter, int32_t) const { filter.SetLength(lambda_, weight_); }

    int32_t weight_;
    double lambda_;
    ChunkedArray<Filter> filters_;
};

using WindowSet = std::variant<PlainWindows, ShiftedWindows, FirstOrderWindows, FilterWindows<SmoothedWindow>,
                               FilterWindows<LambdaWindow>>;

// The windows of a DMA method: the smoothed ones with a weight of 0 take the
// plain windows.
WindowSet WindowsFor(const Method& method, int32_t weight, double lambda, double theta);

}  // namespace fractan
