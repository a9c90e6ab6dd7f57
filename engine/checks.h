#pragma once
// The one check of an analysis before it runs: the command, the module and
// the pages call it, and refuse the same settings in the same words.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/analysis.h"
#include "engine/methods.h"

namespace fractan {

inline constexpr const char* kReviewSuffix = " Please review input parameters";

// Why settings cannot be run: the setting at fault, named as the record and
// the pages' fields name it ("windowSize", "dfaOrder", ...), and the reason.
struct Refusal {
    std::string field;
    std::string reason;
    explicit operator bool() const { return !reason.empty(); }
};

// The first refusal of `settings` for a series of `length` samples, or none.
// `family`: the family the caller offers (a page, `fractan dma`, fractan.dfa),
// whose methods alone it runs. `note` says why the progression gives the
// sizes it does (ScaleProgression::Expand).
Refusal CheckSettings(const AnalysisSettings& settings, int64_t length, std::optional<MethodFamily> family = {},
                      const std::string& note = {});

// Whether a reason is the one for fewer than two scales, which a front end
// may follow with how its own options widen the progression.
bool IsScaleCountReason(const std::string& reason);

}  // namespace fractan
