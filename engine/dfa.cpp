#include "engine/dfa.h"

#include <cmath>
#include <vector>

#include "engine/dma_frames.h"

namespace fractan {
namespace {

// Running sums of s, y_s and s·y_s over s = 0 … t, one entry per sample t, so
// that the sums of any box are two differences.
struct PrefixSums {
    std::vector<double> x, y, xy;

    void Build(const SampleArray& series) {
        const size_t count = static_cast<size_t>(series.Size());
        x.resize(count);
        y.resize(count);
        xy.resize(count);
        double sx = 0.0, sy = 0.0, sxy = 0.0;
        for (size_t t = 0; t < count; ++t) {
            const double s = static_cast<double>(t);
            sx += s;
            sy += series[static_cast<int32_t>(t)];
            sxy += s * series[static_cast<int32_t>(t)];
            x[t] = sx;
            y[t] = sy;
            xy[t] = sxy;
        }
    }
};

// R / n for the box of length n ending at e (samples e − n + 1 … e).
double BoxResidual(const double* series, const PrefixSums& sums, int32_t e, int32_t n, bool linear) {
    const int32_t a = e - n;
    const double sx = sums.x[e] - sums.x[a];
    const double sy = sums.y[e] - sums.y[a];
    const double sxy = sums.xy[e] - sums.xy[a];
    // Σ k² for k = a + 1 … b in closed form.
    const double A = a, B = e;
    const double sxx = (B - A) * (2.0 * (B * (A + B) + A * A) + 3.0 * (A + B) + 1.0) * 0.16666666666666666;
    const double slope = linear ? LeastSquaresSlope(sx, sy, sxy, sxx, n) : 0.0;
    const double r = 1.0 / n;
    const double intercept = r * sy - r * sx * slope;
    double residual = 0.0;
    for (int32_t t = e; t > a; --t) {
        const double d = series[t] - (static_cast<double>(t) * slope + intercept);
        residual += d * d;
    }
    return residual / n;
}

// The working data of one call: the series, its prefix sums and the boxes.
struct DfaState {
    FrameData frame;
    PrefixSums sums;
    TrendWindowTable table;
    bool linear = false;

    // F_k at end position p.
    double Fluctuation(int32_t k, int32_t p) const {
        const ChunkedArray<TrendWindow>& boxes = table.Boxes(k);
        double total = 0.0;
        for (const TrendWindow& box : boxes)
            total += BoxResidual(frame.data.Data(), sums, p + box.offset, box.length, linear);
        return std::sqrt(total / static_cast<double>(boxes.Size()));
    }

    // H at end position p.
    double Hurst(int32_t p, const std::vector<double>& logSizes) const {
        LogLogFit fit;
        for (int32_t k = 0; k < frame.K; ++k) fit.Add(logSizes[k], std::log10(Fluctuation(k, p)));
        return fit.Slope(frame.K);
    }

    void Prepare(int32_t W) {
        PrintProgress("Setting up trend-lines windows...");
        table.Build(frame.sizes, W);
        PrintProgress("Done.");
        PrintProgress("Setting up sums...");
        sums.Build(frame.data);
        PrintProgress("Done.");
    }
};

// Why the call cannot run, or empty; `needed` samples must be loaded.
std::string DfaRefusal(const VariantCall& call, const FrameData& frame, int64_t needed) {
    return FrameRefusal(call, frame, needed, WindowsBelow(frame.sizes, 1, "box size"), true);
}

DfaState LoadDfa(const VariantCall& call, int32_t order) {
    DfaState state;
    state.frame = LoadFrameData(call);
    state.linear = order >= 1;
    return state;
}

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

int32_t RunDynamicDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                      const std::string& inputPath, int32_t inputType,
                      const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                      int32_t step, RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    StopCheck stopRequested;
    if (step < 2) step = 1;
    const int32_t W = windowSize;
    const std::string incPath = ClaimName(call, IncrementalFilePath(resultPath, inputPath), ".inc.txt");
    TruncateFile(incPath);

    DfaState state = LoadDfa(call, order);
    if (stopRequested()) return kStopped;
    const std::string reason = DfaRefusal(call, state.frame, int64_t{W} + 1);
    if (!reason.empty()) {
        ReportNotAnalysed(call,
                          {"Setting up trend-lines windows...", "Setting up sums...",
                           "Performing Hurst exponent calculation..."},
                          reason);
        return kNotAnalysed;
    }
    state.Prepare(W);
    if (stopRequested()) return kStopped;

    const int32_t N = state.frame.data.Size();
    const std::vector<double> logSizes = LogSizes(state.frame.sizes);
    IncrementalWriter writer(incPath, call);
    PercentProgress progress(N, writer);
    PrintProgress("Performing Hurst exponent calculation...");
    int64_t evaluated = 0;
    for (int32_t p = W; p < N; ++p) {
        if (stopRequested()) return kStopped;
        progress.At(p);  // at every position, computed or not
        if (p % step == 0) {
            writer.Append(p, state.Hurst(p, logSizes));
            ++evaluated;
        }
    }
    PrintProgress("Done.");
    return FinishDynamic(call, writer, evaluated, W, N - 1, step);
}

int32_t RunStaticDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                     const std::string& inputPath, int32_t inputType,
                     const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                     RunContext* context) {
    const VariantCall call{windowSize, std::move(progression), inputPath, inputType,
                           resultPath, dataSize,               dataOffset, context};
    StopCheck stopRequested;
    const int32_t W = windowSize;
    DfaState state = LoadDfa(call, order);
    if (stopRequested()) return kStopped;
    const std::string reason = DfaRefusal(call, state.frame, int64_t{W} + 1);
    if (!reason.empty()) {
        ReportNotAnalysed(call, {}, reason);
        return kNotAnalysed;
    }

    PrintProgress("Shifting data...");
    ShiftToLast(state.frame.data, W + 1);
    PrintProgress("Done.");
    state.Prepare(W);

    PrintProgress("Performing Hurst exponent calculation...");
    std::vector<double> fluctuations(static_cast<size_t>(state.frame.K));
    for (int32_t k = 0; k < state.frame.K; ++k) {
        if (stopRequested()) return kStopped;
        fluctuations[k] = state.Fluctuation(k, W);
    }
    const double hurst = WriteChartAndFit(call, state.frame.sizes, fluctuations);
    PrintProgress("Done.");
    return WriteStaticResult(call, W, hurst);
}

}  // namespace fractan
