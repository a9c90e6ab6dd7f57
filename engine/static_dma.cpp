#include "engine/static_dma.h"

#include "engine/file_analysis.h"

namespace fractan {

int32_t RunStaticDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                     int32_t inputType, const std::string& resultPath, int32_t dataSize, int32_t dataOffset) {
    return RunFileVariant(SettingsOf(2, windowSize, progression),
                          VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
