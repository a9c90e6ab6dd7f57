#include "engine/checks.h"

#include <cstdint>
#include <cstdio>

#include "engine/computation.h"
#include "engine/first_order_dma.h"
#include "engine/names.h"
#include "engine/shifted_dma.h"
#include "setup/paths.h"

namespace fractan {
namespace {

// The type list's reason: the type by its name, or by its number with the
// valid ones when it has no name.
std::string TypeReason(const char* format, int32_t type, const char* valid) {
    char text[160];
    if (std::string(ComputationTypeName(type)) != "Unknown") {  // type 9 has no name in the lists
        std::snprintf(text, sizeof text, format, ComputationTypeName(type));
        return text;
    }
    std::snprintf(text, sizeof text, format, ("Computation type " + std::to_string(type)).c_str());
    return text + std::string(" The valid ones are ") + valid + ".";
}

constexpr const char* kScaleCountStart = "The progression gives ";

// H is a slope: it needs two scales at least.
std::string ScaleCountReason(size_t scales, const std::string& note) {
    if (scales >= 2) return {};
    return kScaleCountStart + std::to_string(scales) + (scales == 1 ? " scale" : " scales") +
           (note.empty() ? "" : " (" + note + ")") + "; H is the slope over two or more.";
}

bool IsDmaPageType(int32_t type) {
    return type == 0 || type == 2 || (type >= 4 && type <= 8);
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
    if (checkTypeList && !IsDmaPageType(type))
        return TypeReason("%s is not a valid computation type for DMA.", type, "0, 2 and 4 ... 8");

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
    if (!IsDfaType(type)) return TypeReason("%s is not a valid computation type for DFA.", type, "1 and 3");
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
    const int32_t type = settings.computationType;
    if (type < 0 || type >= kComputationTypeCount)
        return "Computation type " + std::to_string(type) +
               " is not one of the types 0 ... 9: 0, 2 and 4 ... 9 for DMA, 1 and 3 for DFA.";
    if (IsDfaType(type)) return CheckDfaSettings(settings, dataSize, note);
    return CheckDmaSettings(settings, dataSize, type != 9, note);
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
