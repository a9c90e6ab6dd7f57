#pragma once
// First-order DMA: each sample is compared with a line fitted through the
// n − 1 samples around it instead of with a moving average.

#include <cstdint>
#include <string>

#include "engine/variant.h"
#include "setup/progression.h"
#include "setup/containers.h"

namespace fractan {

// How far ahead of the position window n reads: A − B with A = round(n · 0.5)
// and B = round((n − 1) · 0.25), halves upward, so that the position lies a
// quarter window after the centre of the fitted samples.
int32_t FirstOrderReadAhead(int32_t n);

// The smallest first-order window: window 3 fits its line through 2 samples,
// the compared one among them, and leaves no deviation; window 2 has no slope.
inline constexpr int32_t kFirstOrderLeast = 4;
inline constexpr const char* kFirstOrderLeastWhy =
    "the line of window 3 runs through the compared sample itself, window 2 has no slope";

// Why these window sizes cannot be used by first-order DMA, or empty: every
// window needs kFirstOrderLeast or more samples and may read at most M samples ahead.
std::string FirstOrderRefusal(const SizeList& sizes);

// Type 7: the static frame with FirstOrderWindow n_k fed data[t + A_k − B_k];
// a "." is written after every position that is a multiple of 1000.
int32_t RunStaticFirstOrderDma(int32_t windowSize, ScaleProgression progression,
                               const std::string& inputPath, int32_t inputType,
                               const std::string& resultPath, int32_t dataSize, int32_t dataOffset);

}  // namespace fractan
