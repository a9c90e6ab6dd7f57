#include "engine/dynamic_dma.h"

#include "engine/file_analysis.h"

namespace fractan {

int32_t RunDynamicDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                      int32_t inputType, const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                      int32_t step) {
    AnalysisSettings s = SettingsOf(0, windowSize, progression);
    s.dynamicStep = step;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
