#include "engine/smoothed_dma.h"

#include <algorithm>
#include <functional>

#include "engine/dma_frames.h"

namespace fractan {
namespace {

// One filter per window size, set by `set` (filter, n).
template <class Filter>
class FilterWindows {
public:
    using Setter = std::function<void(Filter&, int32_t)>;
    FilterWindows(int32_t weight, Setter set) : weight_(weight), set_(std::move(set)) {}

    std::string Refusal(const SizeList& sizes) const {
        if (weight_ < 0)
            return "the DMA filter weight is " + std::to_string(weight_) + ", it must be at least 0";
        return WindowsBelow(sizes, 1, "moving average window");
    }
    int32_t LookAhead(const SizeList&) const { return 0; }
    void Setup(const SizeList& sizes) {
        filters_ = ChunkedArray<Filter>(sizes.Size(), 10);
        for (int32_t k = 0; k < sizes.Size(); ++k) set_(filters_[k], sizes[k]);
    }
    double Push(int32_t k, const double* data, int32_t t) { return filters_[k].Push(data[t]); }
    void AfterStaticPosition(int32_t) {}

private:
    int32_t weight_;
    Setter set_;
    ChunkedArray<Filter> filters_;
};

// The plain windows when w = 0, the filters otherwise.
template <class Filter, class Frame>
int32_t RunWithFilters(int32_t weight, typename FilterWindows<Filter>::Setter set, Frame frame) {
    if (weight == 0) {
        PlainWindows plain;
        return frame(plain);
    }
    FilterWindows<Filter> filters(weight, std::move(set));
    return frame(filters);
}

}  // namespace

void SmoothingRings::SetLength(int32_t w) {
    w_ = w;
    pushed_ = 0;
    sum_ = 0.0;
    // A filter without slots keeps one, so that no push writes outside it.
    const int32_t slots = std::max(w, 1);
    samples_.assign(static_cast<size_t>(slots), 0.0);
    outputs_.assign(static_cast<size_t>(slots), 0.0);
    samplePosition_ = CircularIndex(slots);
    outputPosition_ = CircularIndex(slots);
}

double SmoothingRings::Push(double x, double h) {
    ++pushed_;
    if (pushed_ <= w_) {
        samples_[samplePosition_] = x;
        ++samplePosition_;
        sum_ += x;
        outputs_[outputPosition_] = sum_ / pushed_;
        ++outputPosition_;
        return 0.0;
    }
    sum_ -= samples_[samplePosition_];
    samples_[samplePosition_] = x;
    ++samplePosition_;
    sum_ += x;
    const double y = (1.0 - h) * sum_ / w_ + h * outputs_[outputPosition_];
    outputs_[outputPosition_] = y;
    ++outputPosition_;
    return y;
}

void SmoothedWindow::SetLength(int32_t n, int32_t w) {
    n_ = n;
    h_ = static_cast<double>(n) / (static_cast<double>(n) + static_cast<double>(w));
    rings_.SetLength(w);
}

void LambdaWindow::SetLength(double lambda, int32_t w) {
    lambda_ = lambda;
    rings_.SetLength(w);
}

int32_t RunStaticSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                             const std::string& inputPath, int32_t inputType,
                             const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                             RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    return RunWithFilters<SmoothedWindow>(
        weight, [weight](SmoothedWindow& f, int32_t n) { f.SetLength(n, weight); },
        [&](auto& windows) { return RunStaticFrame(call, windows); });
}

int32_t RunDynamicSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                              const std::string& inputPath, int32_t inputType,
                              const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                              int32_t step, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    return RunWithFilters<SmoothedWindow>(
        weight, [weight](SmoothedWindow& f, int32_t n) { f.SetLength(n, weight); },
        [&](auto& windows) { return RunDynamicFrame(call, step, windows); });
}

int32_t RunStaticSmoothedDmaLambda(int32_t windowSize, int32_t weight, double lambda,
                                   ScaleProgression progression, const std::string& inputPath,
                                   int32_t inputType, const std::string& resultPath,
                                   int32_t dataSize, int32_t dataOffset, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    return RunWithFilters<LambdaWindow>(
        weight, [weight, lambda](LambdaWindow& f, int32_t) { f.SetLength(lambda, weight); },
        [&](auto& windows) { return RunStaticFrame(call, windows); });
}

}  // namespace fractan
