#include "engine/checks.h"

#include <cstdint>
#include <cstdio>

#include "engine/computation.h"
#include "engine/first_order_dma.h"
#include "engine/names.h"
#include "engine/shifted_dma.h"

namespace fractan {
namespace {

std::string TypeReason(const char* format, int32_t type) {
    char text[128];
    std::snprintf(text, sizeof text, format, ComputationTypeName(type));
    return text;
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

std::string CheckDmaSettings(const AnalysisSettings& params, int64_t dataSize, bool checkTypeList) {
    const int32_t type = params.computationType;
    if (checkTypeList && !IsDmaPageType(type))
        return TypeReason("%s is not a valid computation type for DMA.", type);

    const SizeList sizes = SizesOf(params);
    if (sizes.Empty()) return "Moving average progression is not valid.";

    if (dataSize <= int64_t{params.windowSize} + 2 * int64_t{sizes.Last()})
        return "Data size must be greater than window size plus maximum moving average times two.";

    if ((type == 4 || type == 8) && (params.dmaWeight < 0 || params.dmaWeight >= Smallest(sizes)))
        return "DMA filter weight should be greater than or equal to zero and less than the "
               "smallest moving average.";

    if (type == 9 && params.dmaWeight < 0)
        return "DMA filter weight should be greater than or equal to zero.";

    // Moving averages without slots would have nowhere to keep their samples.
    const int32_t least = type == 7 ? 2 : 1;
    if (Smallest(sizes) < least)
        return least == 2 ? "Moving average windows must be at least 2 for 1st order DMA."
                          : "Moving average windows must be at least 1.";

    // The windows must not read past the samples kept ahead of the data window.
    if ((type == 5 || type == 6) && !ShiftRefusal(sizes, params.shiftPercentage).empty())
        return "Shift percentage must shift every moving average by 0 up to the maximum moving "
               "average.";
    if (type == 7 && !FirstOrderRefusal(sizes).empty())
        return "Moving average windows must not exceed about four times the maximum moving "
               "average (the last one) for 1st order DMA.";
    return {};
}

std::string CheckDfaSettings(const AnalysisSettings& params, int64_t dataSize) {
    const int32_t type = params.computationType;
    if (!IsDfaType(type)) return TypeReason("%s is not a valid computation type for DFA.", type);
    if (dataSize < int64_t{params.windowSize} + 1) return "Data size must be at least greater than window size by one.";
    return {};
}

std::string CheckSettingsForType(const AnalysisSettings& settings, int64_t dataSize) {
    const int32_t type = settings.computationType;
    if (IsDfaType(type)) return CheckDfaSettings(settings, dataSize);
    return CheckDmaSettings(settings, dataSize, type != 9);
}

std::string CheckDmaParameters(const AnalysisParameters& params, bool checkTypeList) {
    return CheckDmaSettings(SettingsOf(params), params.dataSize, checkTypeList);
}

std::string CheckDfaParameters(const AnalysisParameters& params) {
    return CheckDfaSettings(SettingsOf(params), params.dataSize);
}

std::string CheckParametersForType(const AnalysisParameters& params) {
    return CheckSettingsForType(SettingsOf(params), params.dataSize);
}

}  // namespace fractan
