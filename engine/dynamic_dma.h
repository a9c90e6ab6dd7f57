#pragma once
#include <cstdint>
#include <string>

#include "engine/variant.h"
#include "setup/progression.h"

namespace fractan {

// Type 0: H re-evaluated at every step-th position as the W-point data window
// slides along the series, one line each in the incremental file.
int32_t RunDynamicDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                      int32_t inputType, const std::string& resultPath, int32_t dataSize,
                      int32_t dataOffset, int32_t step);

}  // namespace fractan
