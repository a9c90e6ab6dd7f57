#include "engine/smoothed_dma.h"

#include <algorithm>

#include "engine/file_analysis.h"

namespace fractan {
void SmoothingRings::SetLength(int32_t w) {
    w_ = w;
    pushed_ = 0;
    sum_ = 0.0;
    // A filter without slots keeps one, so that no push writes outside it.
    const int32_t slots = std::max(w, 1);
    samples_.assign(static_cast<size_t>(slots), 0.0);
    outputs_.assign(static_cast<size_t>(slots), 0.0);
    position_ = 0;
}

void SmoothedWindow::SetLength(int32_t n, int32_t w) {
    n_ = n;
    h_ = static_cast<double>(n) / (static_cast<double>(n) + static_cast<double>(w));
    rings_.SetLength(w);
}

void LambdaWindow::SetLength(double lambda, int32_t w) {
    lambda_ = lambda;
    rings_.SetLength(w);
}

namespace {

int32_t RunSmoothed(int32_t type, int32_t windowSize, int32_t weight, double lambda, const ScaleProgression& progression,
                    const VariantCall& call, int32_t step = 1) {
    AnalysisSettings s = SettingsOf(type, windowSize, progression);
    s.dmaWeight = weight;
    s.dmaLambda = lambda;
    s.dynamicStep = step;
    return RunFileVariant(s, call);
}

}  // namespace

int32_t RunStaticSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                             const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                             int32_t dataSize, int32_t dataOffset) {
    return RunSmoothed(4, windowSize, weight, 0.0, progression,
                       VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

int32_t RunDynamicSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                              const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                              int32_t dataSize, int32_t dataOffset, int32_t step) {
    return RunSmoothed(8, windowSize, weight, 0.0, progression,
                       VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset}, step);
}

int32_t RunStaticSmoothedDmaLambda(int32_t windowSize, int32_t weight, double lambda, ScaleProgression progression,
                                   const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                                   int32_t dataSize, int32_t dataOffset) {
    return RunSmoothed(9, windowSize, weight, lambda, progression,
                       VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
