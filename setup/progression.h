#pragma once
// The progression of scales (moving-average window sizes or DFA box sizes).

#include <cstdint>
#include <string>
#include <vector>

#include "setup/containers.h"

namespace fractan {

enum ProgressionType : int32_t { kLinear = 0, kGeometric = 1, kCustom = 2 };

struct ScaleProgression {
    int32_t start = 0;
    int32_t end = 0;
    int32_t step = 0;
    int32_t type = kLinear;
    std::string customFile;

    // The sizes in generation order; the last entry is taken as the largest.
    // Empty when the progression is not valid: a type other than 0, 1 or 2,
    // and progressions that
    // would never end (a linear step of 0 or less, a geometric step of 1 or
    // less or start of 0 or less, a value leaving the 32-bit range). `note`,
    // when given, says why a progression gives no size, or what is wrong with
    // a custom file (empty when nothing is).
    SizeList Expand(std::string* note = nullptr) const;
};

// A count N and then N sizes, separated by any white space. Reading stops at
// the first word that is not a whole number; an unreadable file gives an empty
// list. `note`, when given, says what was read and where reading stopped, or
// that the last size is not the largest (empty when all is well).
SizeList ReadCustomProgression(const std::string& path, std::string* note = nullptr);

// `count` scales spread evenly in log n from `first` to `last`, rounded, each
// above the one before (repeats of small scales left out); none when `last`
// is below `first`.
std::vector<int32_t> LogSpacedScales(double first, double last, int32_t count);

}  // namespace fractan
