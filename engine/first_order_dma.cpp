#include "engine/first_order_dma.h"

#include "engine/dma_frames.h"
#include "engine/file_analysis.h"

namespace fractan {
int32_t FirstOrderReadAhead(int32_t n) {
    return RoundHalfUp(n * 0.5) - RoundHalfUp((n - 1) * 0.25);
}

std::string FirstOrderRefusal(const SizeList& sizes) {
    const std::string below = WindowsBelow(sizes, kFirstOrderLeast, "moving average window");
    if (!below.empty())
        return below + ", the least for first-order DMA: " + kFirstOrderLeastWhy;
    if (sizes.Empty()) return below;
    const int32_t M = sizes.Last();
    for (int32_t n : sizes)
        if (FirstOrderReadAhead(n) > M)
            return "moving average window " + std::to_string(n) + " reads " +
                   std::to_string(FirstOrderReadAhead(n)) + " samples ahead, more than the " +
                   std::to_string(M) + " of the maximum moving average (the last one)";
    return {};
}

int32_t RunStaticFirstOrderDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                               int32_t inputType, const std::string& resultPath, int32_t dataSize,
                               int32_t dataOffset) {
    return RunFileVariant(SettingsOf(7, windowSize, progression),
                          VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
