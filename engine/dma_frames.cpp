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

double HurstStandardError(const SizeList& sizes, const std::vector<double>& fluctuations) {
    const size_t k = static_cast<size_t>(sizes.Size());
    if (k < 3) return std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> x = LogSizes(sizes);
    std::vector<double> y(k);
    double mx = 0.0, my = 0.0;
    for (size_t i = 0; i < k; ++i) {
        y[i] = std::log10(fluctuations[i]);
        mx += x[i] / static_cast<double>(k);
        my += y[i] / static_cast<double>(k);
    }
    double sxx = 0.0, sxy = 0.0;
    for (size_t i = 0; i < k; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    if (!(sxx > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    const double slope = sxy / sxx;
    double residuals = 0.0;
    for (size_t i = 0; i < k; ++i) residuals += std::pow(y[i] - my - slope * (x[i] - mx), 2);
    return std::sqrt(residuals / static_cast<double>(k - 2) / sxx);
}

int32_t AverageBack(int32_t n, double theta) {
    return static_cast<int32_t>(std::ceil((n - 1) * (1.0 - theta) - 1e-9));
}

std::string WindowsBelow(const SizeList& sizes, int32_t least, const char* what) {
    for (int32_t n : sizes)
        if (n < least)
            return std::string("the ") + what + " " + std::to_string(n) + " is below " + std::to_string(least);
    return {};
}

}  // namespace fractan
