#include "engine/first_order_dma.h"

#include "engine/dma_frames.h"

namespace fractan {
namespace {

class FirstOrderWindows {
public:
    std::string Refusal(const SizeList& sizes) const { return FirstOrderRefusal(sizes); }
    int32_t LookAhead(const SizeList& sizes) const { return sizes.Last(); }
    void Setup(const SizeList& sizes) {
        windows_ = ChunkedArray<FirstOrderWindow>(sizes.Size(), 10);
        readAhead_ = SizeList(sizes.Size(), 10);
        for (int32_t k = 0; k < sizes.Size(); ++k) {
            readAhead_[k] = FirstOrderReadAhead(sizes[k]);
            windows_[k].SetLength(sizes[k]);
        }
    }
    double Push(int32_t k, const double* data, int32_t t) {
        return windows_[k].Push(data[t + readAhead_[k]]);
    }
    // The only sign of progress inside the long fitting phases.
    void AfterStaticPosition(int32_t t) {
        if (t % 1000 == 0) WriteOutput(".");
    }

private:
    ChunkedArray<FirstOrderWindow> windows_;
    SizeList readAhead_;
};

}  // namespace

int32_t FirstOrderReadAhead(int32_t n) {
    return RoundHalfUp(n * 0.5) - RoundHalfUp((n - 1) * 0.25);
}

std::string FirstOrderRefusal(const SizeList& sizes) {
    std::string below = WindowsBelow(sizes, 2, "moving average window");
    if (!below.empty() || sizes.Empty()) return below;
    const int32_t M = sizes.Last();
    for (int32_t n : sizes)
        if (FirstOrderReadAhead(n) > M)
            return "moving average window " + std::to_string(n) + " reads " +
                   std::to_string(FirstOrderReadAhead(n)) + " samples ahead, more than the " +
                   std::to_string(M) + " of the maximum moving average (the last one)";
    return {};
}

int32_t RunStaticFirstOrderDma(int32_t windowSize, ScaleProgression progression,
                               const std::string& inputPath, int32_t inputType,
                               const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                               RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    FirstOrderWindows windows;
    return RunStaticFrame(call, windows);
}

}  // namespace fractan
