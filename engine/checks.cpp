#include "engine/checks.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "engine/computation.h"
#include "engine/dfa.h"
#include "engine/first_order_dma.h"
#include "engine/methods.h"
#include "engine/shifted_dma.h"
#include "setup/paths.h"

namespace fractan {
namespace {

// The ids of the methods that `chosen` picks, runs of three or more as a
// range: "0, 2 and 4 ... 8".
template <typename Chosen>
std::string TypesText(Chosen chosen) {
    std::vector<std::string> parts;
    const std::span<const Method> methods = Methods();
    for (size_t i = 0; i < methods.size();) {
        if (!chosen(methods[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end + 1 < methods.size() && chosen(methods[end + 1])) ++end;
        const std::string first = std::to_string(methods[i].id), last = std::to_string(methods[end].id);
        if (end - i >= 2) parts.push_back(first + " ... " + last);
        else for (size_t k = i; k <= end; ++k) parts.push_back(std::to_string(methods[k].id));
        i = end + 1;
    }
    std::string text;
    for (size_t k = 0; k < parts.size(); ++k)
        text += (k == 0 ? "" : k + 1 == parts.size() ? " and " : ", ") + parts[k];
    return text;
}

const char* FamilyName(MethodFamily family) { return family == MethodFamily::kDfa ? "DFA" : "DMA"; }

// The value of a setting that only some methods read.
double ValueOf(const AnalysisSettings& s, MethodSetting setting) {
    switch (setting) {
        case kUsesWeight: return s.dmaWeight;
        case kUsesLambda: return s.dmaLambda;
        case kUsesShift: return s.shiftPercentage;
        case kUsesOrder: return s.dfaOrder;
        case kUsesStep: return s.dynamicStep;
        case kUsesBoxes: break;  // text, which TextRefusal checks
    }
    return 0.0;
}

// Why the text of a setting held as text cannot be taken, or empty.
std::string TextRefusal(const AnalysisSettings& s, const SettingDescription& d) {
    if (d.setting == kUsesBoxes && !ParseBoxPlacement(s.dfaBoxes))
        return std::string(d.caption) + " [" + s.dfaBoxes + "] is not " + kBoxPlacementTexts + ".";
    return {};
}

// The first setting the method reads whose value lies outside its range.
Refusal SettingRangeRefusal(const Method& method, const AnalysisSettings& s) {
    for (const SettingDescription& d : kSettingDescriptions) {
        if (!method.Uses(d.setting)) continue;
        if (d.textDefault) {
            if (std::string reason = TextRefusal(s, d); !reason.empty()) return {d.field, reason};
            continue;
        }
        const double value = ValueOf(s, d.setting);
        if (value >= d.least && value <= d.most) continue;
        const std::string what = std::isnan(value)          ? "is not a number"
                                 : d.most == kUnbounded      ? Shortest(value) + " is below " + Shortest(d.least)
                                                             : Shortest(value) + " is outside " + Shortest(d.least) +
                                                              " ... " + Shortest(d.most);
        return {d.field, std::string(d.caption) + " " + what + " (" + d.help + ")."};
    }
    return {};
}

constexpr const char* kScaleCountStart = "The progression gives ";

// H is a slope: it needs two scales at least.
std::string ScaleCountReason(size_t scales, const std::string& note) {
    if (scales >= 2) return {};
    return kScaleCountStart + std::to_string(scales) + (scales == 1 ? " scale" : " scales") +
           (note.empty() ? "" : " (" + note + ")") + "; H is the slope over two or more.";
}

int32_t Smallest(const SizeList& sizes) {
    int32_t smallest = sizes[0];
    for (int32_t s : sizes) smallest = s < smallest ? s : smallest;
    return smallest;
}

Refusal DmaRefusal(const Method& method, const AnalysisSettings& s, int64_t dataSize, const std::string& note) {
    const SizeList sizes = SizesOf(s);
    if (sizes.Empty())
        return {"averageProgression",
                "Moving average progression is not valid" + (note.empty() ? std::string() : ": " + note) + "."};
    if (std::string reason = ScaleCountReason(sizes.Size(), note); !reason.empty()) return {"averageProgression", reason};
    if (dataSize <= int64_t{s.windowSize} + 2 * int64_t{sizes.Last()})
        return {"dataSize", "Data size must be greater than window size plus maximum moving average times two."};
    if (method.Uses(kUsesWeight) && method.detrending == Detrending::kSmoothed && s.dmaWeight >= Smallest(sizes))
        return {"dmaWeight", "DMA filter weight should be less than the smallest moving average."};
    // Moving averages without slots would have nowhere to keep their samples.
    if (Smallest(sizes) < method.leastScale)
        return {"averageProgression",
                method.leastScale == 1 ? std::string("Moving average windows must be at least 1.")
                                       : "Moving average windows must be at least " + std::to_string(method.leastScale) +
                                             " for 1st order DMA: " + kFirstOrderLeastWhy + "."};
    // The windows must not read past the samples kept ahead of the data window.
    if (method.detrending == Detrending::kShiftedAverage && !ShiftRefusal(sizes, s.shiftPercentage).empty())
        return {"shiftPercentage",
                "Shift percentage must shift every moving average by 0 up to the maximum moving average."};
    if (method.detrending == Detrending::kFirstOrder && !FirstOrderRefusal(sizes).empty())
        return {"averageProgression", "Moving average windows must not exceed about four times the maximum moving "
                                      "average (the last one) for 1st order DMA."};
    return {};
}

Refusal DfaRefusal(const Method& method, const AnalysisSettings& s, int64_t dataSize, const std::string& note) {
    if (std::string reason = ScaleCountReason(s.sizes.size(), note); !reason.empty()) return {"averageProgression", reason};
    if (dataSize < int64_t{s.windowSize} + 1)
        return {"dataSize", "Data size must be at least greater than window size by one."};
    // A fitted constant leaves no residual in a box of one sample, a line none
    // in a box of two: such an F is 0, or rounding noise that fakes any H.
    const int32_t least = method.leastScale + s.dfaOrder;
    for (int32_t n : s.sizes) {
        if (n < least)
            return {"averageProgression", "Box size " + std::to_string(n) + " leaves no residual with DFA order " +
                                              std::to_string(s.dfaOrder) + "; start the box sizes at " +
                                              std::to_string(least) + " or more."};
        // The boxes tile the window: a larger one has no box, and F no value.
        if (n > s.windowSize)
            return {"averageProgression", "Box size " + std::to_string(n) + " exceeds the window size " +
                                              std::to_string(s.windowSize) +
                                              " that the boxes tile; end the box sizes at " +
                                              std::to_string(s.windowSize) + " or less, or widen the window."};
    }
    return {};
}

}  // namespace

Refusal CheckSettings(const AnalysisSettings& s, int64_t length, std::optional<MethodFamily> family,
                      const std::string& note) {
    const Method* method = FindMethod(s.computationType);
    auto of = [](MethodFamily f) { return [f](const Method& m) { return m.family == f; }; };
    if (!method)
        return {"computationType", "Computation type " + std::to_string(s.computationType) + " is not one of the types " +
                                       TypesText([](const Method&) { return true; }) + ": " +
                                       TypesText(of(MethodFamily::kDma)) + " for DMA, " +
                                       TypesText(of(MethodFamily::kDfa)) + " for DFA."};
    if (family && method->family != *family)
        return {"computationType", std::string(method->name) + " is not a valid computation type for " +
                                       FamilyName(*family) + "; the valid ones are " + TypesText(of(*family)) + "."};
    if (Refusal refusal = SettingRangeRefusal(*method, s)) return refusal;
    if (s.interval) {
        if (method->dynamic) return {"interval", "An interval on H is given for static methods only."};
        if (const std::string reason = IntervalRequestRefusal(*s.interval); !reason.empty())
            return {"interval", reason};
    }
    return method->family == MethodFamily::kDfa ? DfaRefusal(*method, s, length, note)
                                                : DmaRefusal(*method, s, length, note);
}

bool IsScaleCountReason(const std::string& reason) { return reason.starts_with(kScaleCountStart); }

std::string Shortest(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

Refusal CheckDetrending(MethodFamily family, uint32_t settings, int32_t order, const std::string& boxes,
                        double theta) {
    if (settings & kUsesOrder) {
        const SettingDescription& d = DescriptionOf(kUsesOrder);
        if (order < d.least || order > d.most)
            return {d.field, std::string(d.caption) + " " + std::to_string(order) + " is outside " + Shortest(d.least) +
                                 " ... " + Shortest(d.most) + "."};
    }
    if ((settings & kUsesBoxes) && !ParseBoxPlacement(boxes))
        return {DescriptionOf(kUsesBoxes).field,
                std::string(DescriptionOf(kUsesBoxes).caption) + " [" + boxes + "] is not " + kBoxPlacementTexts + "."};
    if (family == MethodFamily::kDma && !(theta >= 0.0 && theta <= 1.0))
        return {"theta", "Theta " + Shortest(theta) + " is outside 0 ... 1 (0 backward, 0.5 centred, 1 forward)."};
    return {};
}

int32_t LeastScaleOf(int32_t least, uint32_t settings, int32_t order) {
    return least + (settings & kUsesOrder ? order : 0);
}

Refusal ScaleBelowLeast(int32_t n, int32_t least, const char* title, uint32_t settings, int32_t order) {
    if (n >= least) return {};
    return {"scales", "Scale " + std::to_string(n) + " leaves no residual with " + title +
                          (settings & kUsesOrder ? " order " + std::to_string(order) : "") + "; start the scales at " +
                          std::to_string(least) + " or more."};
}

}  // namespace fractan
