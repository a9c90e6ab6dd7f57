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

// A number as the refusals show it: at most 10 significant digits.
std::string Shortest(double value);

// The detrending of an analysis with a table of methods of its own
// (multifractal, cross-correlation), whose method reads the MethodSetting bits
// `settings`: the first refusal of its order and box placement (a box fit) or
// of θ (a moving average), or none.
Refusal CheckDetrending(MethodFamily family, uint32_t settings, int32_t order, const std::string& boxes, double theta);
// Its least scale: the method's `least`, above the order when it uses one.
int32_t LeastScaleOf(int32_t least, uint32_t settings, int32_t order);
// "Scale 3 leaves no residual with MF-DFA order 2; start the scales at 4 or
// more." for a scale below that, or none.
Refusal ScaleBelowLeast(int32_t n, int32_t least, const char* title, uint32_t settings, int32_t order);

// Whether a reason is the one for fewer than two scales, which a front end
// may follow with how its own options widen the progression.
bool IsScaleCountReason(const std::string& reason);

}  // namespace fractan
