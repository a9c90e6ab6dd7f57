#include "engine/checks.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "engine/computation.h"
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

// The type list's reason: the type by its name, or by its number with the
// valid ones when the pages give it no name (type 9 among them).
std::string TypeReason(const char* format, int32_t type, MethodPage page) {
    char text[160];
    if (const Method* method = FindMethod(type); method && method->page != MethodPage::kNone) {
        std::snprintf(text, sizeof text, format, method->name);
        return text;
    }
    std::snprintf(text, sizeof text, format, ("Computation type " + std::to_string(type)).c_str());
    return text + std::string(" The valid ones are ") + TypesText([page](const Method& m) { return m.page == page; }) +
           ".";
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

}  // namespace

std::string CheckDmaSettings(const AnalysisSettings& params, int64_t dataSize, bool checkTypeList,
                             const std::string& note) {
    const int32_t type = params.computationType;
    if (checkTypeList && !IsPageType(type, MethodPage::kDma))
        return TypeReason("%s is not a valid computation type for DMA.", type, MethodPage::kDma);

    const SizeList sizes = SizesOf(params);
    if (sizes.Empty())
        return "Moving average progression is not valid" + (note.empty() ? std::string() : ": " + note) + ".";
    if (std::string reason = ScaleCountReason(sizes.Size(), note); !reason.empty()) return reason;

    if (dataSize <= int64_t{params.windowSize} + 2 * int64_t{sizes.Last()})
        return "Data size must be greater than window size plus maximum moving average times two.";

    if ((type == 4 || type == 8) && (params.dmaWeight < 0 || params.dmaWeight >= Smallest(sizes)))
        return "DMA filter weight should be greater than or equal to zero and less than the "
               "smallest moving average.";

    if (type == 9 && params.dmaWeight < 0)
        return "DMA filter weight should be greater than or equal to zero.";

    // Moving averages without slots would have nowhere to keep their samples.
    if (type == 7 && Smallest(sizes) < kFirstOrderLeast)
        return "Moving average windows must be at least " + std::to_string(kFirstOrderLeast) +
               " for 1st order DMA: " + kFirstOrderLeastWhy + ".";
    if (Smallest(sizes) < 1) return "Moving average windows must be at least 1.";

    // The windows must not read past the samples kept ahead of the data window.
    if ((type == 5 || type == 6) && !ShiftRefusal(sizes, params.shiftPercentage).empty())
        return "Shift percentage must shift every moving average by 0 up to the maximum moving "
               "average.";
    if (type == 7 && !FirstOrderRefusal(sizes).empty())
        return "Moving average windows must not exceed about four times the maximum moving "
               "average (the last one) for 1st order DMA.";
    return {};
}

std::string CheckDfaSettings(const AnalysisSettings& params, int64_t dataSize, const std::string& note) {
    const int32_t type = params.computationType;
    if (!IsDfaType(type)) return TypeReason("%s is not a valid computation type for DFA.", type, MethodPage::kDfa);
    if (std::string reason = ScaleCountReason(params.sizes.size(), note); !reason.empty()) return reason;
    if (dataSize < int64_t{params.windowSize} + 1) return "Data size must be at least greater than window size by one.";
    if (params.dfaOrder != 0 && params.dfaOrder != 1)
        return "DFA order " + std::to_string(params.dfaOrder) + " is not 0 (constant) or 1 (linear).";
    // A fitted constant leaves no residual in a box of one sample, a line none
    // in a box of two: such an F is 0, or rounding noise that fakes any H.
    const int32_t least = params.dfaOrder + 2;
    for (int32_t n : params.sizes) {
        if (n < least)
            return "Box size " + std::to_string(n) + " leaves no residual with DFA order " +
                   std::to_string(params.dfaOrder) + "; start the box sizes at " + std::to_string(least) + " or more.";
        // The boxes tile the window: a larger one has no box, and F no value.
        if (n > params.windowSize)
            return "Box size " + std::to_string(n) + " exceeds the window size " + std::to_string(params.windowSize) +
                   " that the boxes tile; end the box sizes at " + std::to_string(params.windowSize) +
                   " or less, or widen the window.";
    }
    return {};
}

std::string CheckSettingsForType(const AnalysisSettings& settings, int64_t dataSize, const std::string& note) {
    const Method* method = FindMethod(settings.computationType);
    if (!method) {
        auto family = [](MethodFamily f) { return [f](const Method& m) { return m.family == f; }; };
        return "Computation type " + std::to_string(settings.computationType) + " is not one of the types " +
               TypesText([](const Method&) { return true; }) + ": " + TypesText(family(MethodFamily::kDma)) +
               " for DMA, " + TypesText(family(MethodFamily::kDfa)) + " for DFA.";
    }
    if (method->family == MethodFamily::kDfa) return CheckDfaSettings(settings, dataSize, note);
    // A method off the pages is not refused for missing from their list.
    return CheckDmaSettings(settings, dataSize, method->page != MethodPage::kNone, note);
}

std::string CheckDmaParameters(const AnalysisParameters& params, bool checkTypeList) {
    if (std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) return refusal;
    std::string note;
    const AnalysisSettings settings = SettingsOf(params, &note);
    return CheckDmaSettings(settings, params.dataSize, checkTypeList, note);
}

std::string CheckDfaParameters(const AnalysisParameters& params) {
    if (std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) return refusal;
    std::string note;
    const AnalysisSettings settings = SettingsOf(params, &note);
    return CheckDfaSettings(settings, params.dataSize, note);
}

std::string CheckParametersForType(const AnalysisParameters& params) {
    if (std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) return refusal;
    std::string note;
    const AnalysisSettings settings = SettingsOf(params, &note);
    return CheckSettingsForType(settings, params.dataSize, note);
}

bool IsScaleCountReason(const std::string& reason) { return reason.starts_with(kScaleCountStart); }

}  // namespace fractan
