#pragma once
// Shifted DMA: the moving average compared with data[t] is moved forward by a
// fraction θ of its own length, so that it covers data[t + s − n + 1] … data[t + s].

#include <cstdint>
#include <string>

#include "engine/variant.h"
#include "setup/progression.h"
#include "setup/containers.h"

namespace fractan {

// s_k = n_k · θ rounded to the nearest integer, halves upward. A product far
// outside the 32-bit range (or not a number) gives −1, which no caller accepts.
SizeList ShiftList(const SizeList& sizes, double theta);

// Why θ cannot be used, or empty: θ must not be negative, and every shift must
// lie within 0 … M, M being the last window size, so that no read leaves the data.
std::string ShiftRefusal(const SizeList& sizes, double theta);

// Type 6: the static frame, window k fed data[t + s_k].
int32_t RunStaticShiftedDma(int32_t windowSize, ScaleProgression progression,
                            const std::string& inputPath, int32_t inputType,
                            const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                            double theta);

// Type 5: the dynamic frame over the positions below N − M, window k fed
// data[t + s_k]; the last M samples are read only as look-ahead.
int32_t RunDynamicShiftedDma(int32_t windowSize, ScaleProgression progression,
                             const std::string& inputPath, int32_t inputType,
                             const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                             double theta, int32_t step);

}  // namespace fractan
