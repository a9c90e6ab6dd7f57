#include "engine/dfa.h"

#include <cmath>
#include <limits>
#include <vector>

#include "engine/dma_frames.h"
#include "engine/file_analysis.h"

namespace fractan {
namespace {

// The sums of one box in coordinates of its own: u counts the samples from the
// box's first one, and v is a sample less that first sample. Sums over the
// whole series would be differences of large, nearly equal numbers on a long
// series or one far from zero, and the fitted line would lose its digits.
struct BoxSums {
    double v = 0.0, uv = 0.0;  // Σ v, Σ u·v
};

// What a box of n samples shares with every other box of that size: the sums
// of u and u², and the parts of the least-squares slope that follow from them.
struct BoxShape {
    int32_t n;
    double su, mx, denominator, r;

    explicit BoxShape(int32_t length) : n(length) {
        const double N = length;
        su = N * (N - 1.0) * 0.5;                                               // Σ u
        const double suu = (N - 1.0) * N * (2.0 * N - 1.0) * 0.16666666666666666;  // Σ u²
        mx = (1.0 / n) * su;
        denominator = suu - mx * su;
        r = 1.0 / n;
    }
};

// The least-squares line v = u·slope + intercept of one box (slope 0 for
// order 0, so that the intercept is the box mean). The slope is that of
// LeastSquaresSlope, term for term.
struct BoxLine {
    double slope = 0.0, intercept = 0.0;

    BoxLine(const BoxSums& sums, const BoxShape& shape, bool linear) {
        if (linear) slope = (sums.uv - shape.mx * sums.v) / shape.denominator;
        intercept = shape.r * sums.v - shape.r * shape.su * slope;
    }
};

BoxSums SumBox(const double* box, int32_t n) {
    BoxSums sums;
    const double first = box[0];
    double u = n - 1;
    for (int32_t i = n - 1; i >= 0; --i, u -= 1.0) {
        const double v = box[i] - first;
        sums.v += v;
        sums.uv += u * v;
    }
    return sums;
}

// R / n for the box of n samples starting at `box`, its residuals summed from
// the end of the box backwards. The sums of the box at `next` (of n samples
// too) are taken in the same pass: the chains of additions then overlap
// instead of costing a pass each.
double BoxResidual(const double* box, int32_t n, const BoxLine& line, const double* next,
                   BoxSums& nextSums) {
    const double first = box[0], nextFirst = next[0];
    double residual = 0.0;
    BoxSums sums;
    double u = n - 1;
    for (int32_t i = n - 1; i >= 0; --i, u -= 1.0) {
        const double d = (box[i] - first) - (u * line.slope + line.intercept);
        residual += d * d;
        const double v = next[i] - nextFirst;
        sums.v += v;
        sums.uv += u * v;
    }
    nextSums = sums;
    return residual / n;
}

// The working data of one computation: the samples and the boxes.
struct DfaState {
    std::span<const double> samples;
    SizeList sizes;
    TrendWindowTable table;
    bool linear = false;

    DfaState(std::span<const double> x, const SizeList& boxSizes, int32_t order)
        : samples(x), sizes(boxSizes), linear(order >= 1) {}

    // F_k at end position p: the boxes in record order, each fitted on its own.
    double Fluctuation(int32_t k, int32_t p) const {
        const ChunkedArray<TrendWindow>& boxes = table.Boxes(k);
        const int32_t count = boxes.Size();
        auto start = [&](int32_t i) { return samples.data() + (p + boxes[i].offset - boxes[i].length + 1); };
        if (count == 0) return std::numeric_limits<double>::quiet_NaN();  // a box size above W
        const BoxShape shape(boxes[0].length);  // every box of a size has its length
        BoxSums sums = SumBox(start(0), shape.n);
        double total = 0.0;
        for (int32_t i = 0; i < count; ++i) {
            const BoxLine line(sums, shape, linear);
            // The last box takes its own sums again, unused.
            total += BoxResidual(start(i), shape.n, line, start(i + 1 < count ? i + 1 : i), sums);
        }
        return std::sqrt(total / static_cast<double>(count));
    }

    // H at end position p.
    double Hurst(int32_t p, const std::vector<double>& logSizes) const {
        LogLogFit fit;
        for (int32_t k = 0; k < sizes.Size(); ++k) fit.Add(logSizes[k], std::log10(Fluctuation(k, p)));
        return fit.Slope(sizes.Size());
    }

    void Prepare(int32_t W) {
        PrintProgress("Setting up trend-lines windows...");
        table.Build(sizes, W);
        PrintProgress("Done.");
        // The phase keeps its lines, which logs of earlier runs show, though
        // the sums are now taken box by box.
        PrintProgress("Setting up sums...");
        PrintProgress("Done.");
    }
};

}  // namespace

void TrendWindowTable::Build(const SizeList& sizes, int32_t windowSize) {
    boxes_ = ChunkedArray<ChunkedArray<TrendWindow>>(sizes.Size(), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) {
        const int32_t n = sizes[k];
        ChunkedArray<TrendWindow>& boxes = boxes_[k];
        boxes = ChunkedArray<TrendWindow>(windowSize / n, 10);
        for (int32_t i = 0; i < boxes.Size(); ++i) boxes[i] = TrendWindow{-i * n, n};
    }
}

std::optional<std::vector<double>> DfaFluctuations(std::span<const double> samples, const SizeList& sizes,
                                                   int32_t W, int32_t order) {
    StopCheck stopRequested;
    PrintProgress("Shifting data...");
    DfaState state(samples.subspan(samples.size() - (static_cast<size_t>(W) + 1)), sizes, order);
    PrintProgress("Done.");
    state.Prepare(W);

    PrintProgress("Performing Hurst exponent calculation...");
    std::vector<double> fluctuations(static_cast<size_t>(sizes.Size()));
    for (int32_t k = 0; k < sizes.Size(); ++k) {
        if (stopRequested()) return std::nullopt;
        fluctuations[k] = state.Fluctuation(k, W);
    }
    return fluctuations;
}

bool DfaExponents(std::span<const double> samples, const SizeList& sizes, int32_t W, int32_t order, int32_t step,
                  PositionSink& sink, DynamicRange& range) {
    StopCheck stopRequested;
    if (step < 2) step = 1;
    const int32_t N = static_cast<int32_t>(samples.size());
    range = DynamicRange{W, N - 1, 0, step};
    DfaState state(samples, sizes, order);
    state.Prepare(W);
    if (stopRequested()) return false;

    const std::vector<double> logSizes = LogSizes(sizes);
    PercentProgress progress(N, sink);
    PrintProgress("Performing Hurst exponent calculation...");
    for (int32_t p = W; p < N; ++p) {
        if (stopRequested()) return false;
        progress.At(p);  // at every position, computed or not
        if (p % step == 0) {
            sink.Append(p, state.Hurst(p, logSizes));
            ++range.evaluated;
        }
    }
    PrintProgress("Done.");
    return true;
}

int32_t RunDynamicDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                      const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                      int32_t dataSize, int32_t dataOffset, int32_t step) {
    AnalysisSettings s = SettingsOf(1, windowSize, progression);
    s.dfaOrder = order;
    s.dynamicStep = step;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

int32_t RunStaticDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                     const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                     int32_t dataSize, int32_t dataOffset) {
    AnalysisSettings s = SettingsOf(3, windowSize, progression);
    s.dfaOrder = order;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
