#pragma once
// The computation types and their names.

#include <cstdint>

namespace fractan {

inline constexpr int32_t kComputationTypeCount = 10;

// The name of types 0 … 8; "Unknown" for any other value, 9 included (the pages
// do not offer type 9, so it reads as unknown in their messages).
const char* ComputationTypeName(int32_t type);

// The name used in result file names: every type 0 … 9 has one; nullptr otherwise.
const char* ComputationTypeFileName(int32_t type);

// Types 0, 1, 5 and 8 follow H along the series and write incremental files.
bool IsDynamicType(int32_t type);

// Types 1 and 3 are detrended fluctuation analysis; the others are DMA.
inline bool IsDfaType(int32_t type) { return type == 1 || type == 3; }

}  // namespace fractan
