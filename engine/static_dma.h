#pragma once
#include <cstdint>
#include <string>

#include "engine/variant.h"
#include "setup/progression.h"

namespace fractan {

// Type 2: one H per input file from the last W + 2M samples, with a chart file.
int32_t RunStaticDma(int32_t windowSize, ScaleProgression progression, const std::string& inputPath,
                     int32_t inputType, const std::string& resultPath, int32_t dataSize,
                     int32_t dataOffset);

}  // namespace fractan
