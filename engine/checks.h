#pragma once
// The checks made before a calculation. Each returns the reason it fails, or
// an empty text when the parameters pass.

#include <string>

#include "setup/parameters.h"

namespace fractan {

inline constexpr const char* kReviewSuffix = " Please review input parameters";

// The DMA page's checks; without the type list for callers that run a type the
// page does not offer (type 9 from the command line).
std::string CheckDmaParameters(const AnalysisParameters& params, bool checkTypeList = true);

// The DFA page's checks.
std::string CheckDfaParameters(const AnalysisParameters& params);

// The checks of the family that the computation type belongs to: the DMA
// checks for 0, 2 and 4 … 8, the same without the type list for 9, the DFA
// checks for 1 and 3, and the DMA type-list reason for any other value.
std::string CheckParametersForType(const AnalysisParameters& params);

}  // namespace fractan
