#include "engine/shifted_dma.h"

#include <cstdio>

#include "engine/file_analysis.h"
#include "setup/containers.h"

namespace fractan {
namespace {

int32_t ShiftOf(int32_t n, double theta) {
    const double shift = static_cast<double>(n) * theta;
    if (!(shift > -1.0) || shift >= 2147483647.0) return -1;
    return RoundHalfUp(shift);
}

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

int32_t RunStaticShiftedDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                            int32_t inputType, const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                            double theta) {
    AnalysisSettings s = SettingsOf(6, windowSize, progression);
    s.shiftPercentage = theta;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

int32_t RunDynamicShiftedDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                             int32_t inputType, const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                             double theta, int32_t step) {
    AnalysisSettings s = SettingsOf(5, windowSize, progression);
    s.shiftPercentage = theta;
    s.dynamicStep = step;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
