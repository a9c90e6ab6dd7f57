#include "engine/dynamic_dma.h"

#include "engine/dma_frames.h"

namespace fractan {

int32_t RunDynamicDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                      int32_t inputType, const std::string& resultPath, int32_t dataSize,
                      int32_t dataOffset, int32_t step, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    PlainWindows windows;
    return RunDynamicFrame(call, step, windows);
}

}  // namespace fractan
