#pragma once
// The checks made before a calculation. Each returns the reason it fails, or
// an empty text when the parameters pass.

#include <string>

#include "engine/analysis.h"
#include "setup/parameters.h"

namespace fractan {

inline constexpr const char* kReviewSuffix = " Please review input parameters";

// The DMA page's checks; without the type list for callers that run a type the
// page does not offer (type 9 from the command line).
std::string CheckDmaParameters(const AnalysisParameters& params, bool checkTypeList = true);

// The DFA page's checks.
std::string CheckDfaParameters(const AnalysisParameters& params);

// The same checks of settings for `dataSize` samples: the DMA checks, with or
// without the type list, the DFA checks, and those of the type's family.
// `note` says why the progression gives the sizes it does (ScaleProgression::Expand).
std::string CheckDmaSettings(const AnalysisSettings& settings, int64_t dataSize, bool checkTypeList,
                             const std::string& note = {});
std::string CheckDfaSettings(const AnalysisSettings& settings, int64_t dataSize, const std::string& note = {});
std::string CheckSettingsForType(const AnalysisSettings& settings, int64_t dataSize, const std::string& note = {});

// The checks of the family that the computation type belongs to: the DMA
// checks for 0, 2 and 4 … 8, the same without the type list for 9, the DFA
// checks for 1 and 3, and for any other value a reason that names the valid types.
std::string CheckParametersForType(const AnalysisParameters& params);

// Whether a reason is the one for fewer than two scales, which a front end
// may follow with how its own options widen the progression.
bool IsScaleCountReason(const std::string& reason);

}  // namespace fractan
