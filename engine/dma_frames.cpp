#include "engine/dma_frames.h"

namespace fractan {

std::vector<double> LogSizes(const SizeList& sizes) {
    std::vector<double> logs(static_cast<size_t>(sizes.Size()));
    for (int32_t k = 0; k < sizes.Size(); ++k) logs[k] = std::log10(static_cast<double>(sizes[k]));
    return logs;
}

double HurstOf(const SizeList& sizes, const std::vector<double>& fluctuations) {
    LogLogFit fit;
    for (int32_t k = 0; k < sizes.Size(); ++k)
        fit.Add(std::log10(static_cast<double>(sizes[k])), std::log10(fluctuations[k]));
    return fit.Slope(sizes.Size());
}

std::string WindowsBelow(const SizeList& sizes, int32_t least, const char* what) {
    for (int32_t n : sizes)
        if (n < least)
            return std::string("the ") + what + " " + std::to_string(n) + " is below " + std::to_string(least);
    return {};
}

}  // namespace fractan
