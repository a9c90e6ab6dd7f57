#include "engine/shifted_dma.h"

#include <cstdio>

#include "engine/dma_frames.h"

namespace fractan {
namespace {

int32_t ShiftOf(int32_t n, double theta) {
    const double shift = static_cast<double>(n) * theta;
    if (!(shift > -1.0) || shift >= 2147483647.0) return -1;
    return RoundHalfUp(shift);
}

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
    double Push(int32_t k, const double* data, int32_t t) { return plain_.Push(k, data, t + shifts_[k]); }
    void AfterStaticPosition(int32_t) {}

private:
    double theta_;
    PlainWindows plain_;
    SizeList shifts_;
};

}  // namespace

SizeList ShiftList(const SizeList& sizes, double theta) {
    SizeList shifts(sizes.Size(), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) shifts[k] = ShiftOf(sizes[k], theta);
    return shifts;
}

std::string ShiftRefusal(const SizeList& sizes, double theta) {
    if (sizes.Empty()) return {};
    // A negative fraction would move the average backwards, which the method
    // does not define, even where the shifts round to 0.
    if (theta < 0.0) {
        char text[120];
        std::snprintf(text, sizeof text, "shift percentage %g is below 0", theta);
        return text;
    }
    const int32_t M = sizes.Last();
    for (int32_t n : sizes) {
        const int32_t shift = ShiftOf(n, theta);
        if (shift < 0 || shift > M) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "shift percentage %g moves moving average window %d by %g samples; "
                          "shifts must lie within 0 ... %d, the maximum moving average",
                          theta, n, static_cast<double>(n) * theta, M);
            return text;
        }
    }
    return {};
}

int32_t RunStaticShiftedDma(int32_t windowSize, ScaleProgression progression,
                            const std::string& inputPath, int32_t inputType,
                            const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                            double theta, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    ShiftedWindows windows(theta);
    return RunStaticFrame(call, windows);
}

int32_t RunDynamicShiftedDma(int32_t windowSize, ScaleProgression progression,
                             const std::string& inputPath, int32_t inputType,
                             const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                             double theta, int32_t step, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    ShiftedWindows windows(theta);
    return RunDynamicFrame(call, step, windows);
}

}  // namespace fractan
