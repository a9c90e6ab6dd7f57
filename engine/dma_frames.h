#pragma once
// The frames that the DMA variants share. A frame owns loading, the phases and
// their progress lines, the fluctuation sums, the fit and the result files; a
// variant supplies only its set of detrending windows:
//
//   struct Windows {
//     // Reason the window sizes cannot be used (empty when they can).
//     std::string Refusal(const SizeList& sizes) const;
//     // How many samples past position t the windows read at most.
//     int32_t LookAhead(const SizeList& sizes) const;
//     void Setup(const SizeList& sizes);
//     // The value compared with data[t] for window k; pushes one sample.
//     double Push(int32_t k, const double* data, int32_t t);
//     // Called after every position of the static fill and data-window phases.
//     void AfterStaticPosition(int32_t t);
//   };

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/progress_lines.h"
#include "engine/result_files.h"
#include "engine/variant.h"
#include "setup/containers.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/series_loader.h"
#include "setup/stop.h"

namespace fractan {

// Sums of a least-squares fit of log10 F against log10 n.
// Over fewer than two distinct n the slope is undefined, and rounding would
// make a number of it: it is then not a number.
struct LogLogFit {
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    double firstX = 0.0;
    bool points = false, distinct = false;
    void Add(double x, double y) {
        if (!points) firstX = x;
        distinct = distinct || x != firstX;
        points = true;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    double Slope(int32_t n) const {
        return distinct ? LeastSquaresSlope(sx, sy, sxy, sxx, n) : std::numeric_limits<double>::quiet_NaN();
    }
};

// The window sizes and the loaded series of one call.
struct FrameData {
    SizeList sizes;
    int32_t K = 0;  // number of window sizes
    int32_t M = 0;  // the last window size, taken as the largest
    SampleArray data;
    int64_t first = 0;  // the index in the file of data[0]
    double lag1 = 0.0;  // the lag-1 autocorrelation of the values as loaded
    bool integrated = false;
    bool loaded = false;

    // Keeps the last `keep` loaded samples, oldest first, and shortens the array to them.
    void KeepLast(int32_t keep);
    // The index in the file of the first sample that is not a finite number, or −1.
    int64_t FirstBadSample() const;
};

// Expands the progression and loads the series.
FrameData LoadFrameData(const VariantCall& call);

// The reason a frame cannot run on these inputs, or empty. `needed` is the
// number of samples the frame needs.
// `boxes` words the reasons for box sizes (DFA) instead of moving averages.
std::string FrameRefusal(const VariantCall& call, const FrameData& frame, int64_t needed,
                         const std::string& windowRefusal, bool boxes = false);

// The phase lines of a frame that evaluates nothing, then the reason naming the file.
void ReportNotAnalysed(const VariantCall& call, const std::vector<const char*>& phases,
                       const std::string& reason);

inline const std::vector<const char*> kStaticPhases = {
    "Shifting data...", "Filling up moving averages...", "Filling up data window...",
    "Performing Hurst exponent calculation..."};
inline const std::vector<const char*> kDynamicPhases = {
    "Filling up moving averages...", "Filling up data window...",
    "Performing Hurst exponent calculation..."};

// Writes the call's chart file, lines (n, F, log10 n, log10 F), and returns H,
// the slope of log10 F against log10 n; prints a line when the chart file cannot
// be created (the exponent is computed all the same). A chart written is
// recorded in the run's context.
double WriteChartAndFit(const VariantCall& call, const SizeList& sizes,
                        const std::vector<double>& fluctuations);

// The reason some window size is below `least`, or empty.
std::string WindowsBelow(const SizeList& sizes, int32_t least, const char* what);

// "Writing output file..." and the result line of a static variant; its status.
// An exponent that is not a finite number is written as it is, with a line
// saying so (and naming the first sample that is not a number).
int32_t WriteStaticResult(const VariantCall& call, const FrameData& frame, int32_t position, double hurst);

// The claimed name of a file of this run (the composed one without a context).
std::string ClaimName(const VariantCall& call, const std::string& path, const std::string& tail);

template <class Windows>
int32_t RunStaticFrame(const VariantCall& call, Windows& windows) {
    StopCheck stopRequested;
    const int32_t W = call.windowSize;
    FrameData frame = LoadFrameData(call);
    if (stopRequested()) return kStopped;
    const SizeList& sizes = frame.sizes;
    const int32_t K = frame.K, M = frame.M;
    SampleArray& data = frame.data;
    const std::string reason =
        FrameRefusal(call, frame, int64_t{W} + 2 * int64_t{M}, windows.Refusal(sizes));
    if (!reason.empty()) {
        ReportNotAnalysed(call, kStaticPhases, reason);
        return kNotAnalysed;
    }

    PrintProgress("Shifting data...");
    frame.KeepLast(W + 2 * M);
    PrintProgress("Done.");

    windows.Setup(sizes);
    const double* x = data.Data();
    PrintProgress("Filling up moving averages...");
    for (int32_t m = 0; m < M; ++m) {
        for (int32_t k = 0; k < K; ++k) windows.Push(k, x, m);
        windows.AfterStaticPosition(m);
        if (stopRequested()) return kStopped;
    }
    PrintProgress("Done.");

    PrintProgress("Filling up data window...");
    std::vector<double> sums(static_cast<size_t>(K), 0.0);
    for (int32_t j = M; j < M + W; ++j) {
        for (int32_t k = 0; k < K; ++k) {
            const double d = windows.Push(k, x, j) - x[j];
            sums[k] += d * d;
        }
        windows.AfterStaticPosition(j);
        if (stopRequested()) return kStopped;
    }
    PrintProgress("Done.");

    PrintProgress("Performing Hurst exponent calculation...");
    for (double& sum : sums) sum = std::sqrt(sum / static_cast<double>(W));
    const double hurst = WriteChartAndFit(call, sizes, sums);
    PrintProgress("Done.");
    return WriteStaticResult(call, frame, M + W, hurst);
}

// Appends the result lines of a dynamic variant to its incremental file,
// which stays open for the evaluation phase.
class IncrementalWriter {
public:
    IncrementalWriter(std::string path, const VariantCall& call)
        : path_(std::move(path)),
          fileName_(FileNameOf(call.inputPath)),
          dataSize_(call.dataSize),
          dataOffset_(call.dataOffset),
          context_(call.context) {}
    ~IncrementalWriter();
    IncrementalWriter(const IncrementalWriter&) = delete;
    IncrementalWriter& operator=(const IncrementalWriter&) = delete;

    // False (after one line saying so) when the file cannot be written.
    bool Append(int32_t position, double hurst);
    void Flush();
    // Closes the file; false when anything could not be written.
    bool Close();
    // The lines written whose H is not a finite number: how many, the first and last position.
    int64_t NotFinite() const { return notFinite_; }
    int32_t FirstNotFinite() const { return firstNotFinite_; }
    int32_t LastNotFinite() const { return lastNotFinite_; }
    double LastHurst() const { return lastHurst_; }

private:
    void Fail();

    std::string path_;
    std::string fileName_;
    int32_t dataSize_;
    int32_t dataOffset_;
    RunContext* context_;  // told of the file when its first line is written
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    int64_t notFinite_ = 0;
    int32_t firstNotFinite_ = 0, lastNotFinite_ = 0;
    double lastHurst_ = 0.0;
};

// "Hurst exponent N %" whenever the percentage of the position in the
// series rises; what was reported as done is then flushed to disk.
class PercentProgress {
public:
    PercentProgress(int32_t samples, IncrementalWriter& writer) : samples_(samples), writer_(writer) {}
    void At(int32_t position) {
        const int32_t percent = static_cast<int32_t>(static_cast<double>(position) / samples_ * 100.0);
        if (percent <= last_) return;
        PrintFormatted(kPercentLineFormat, percent);
        last_ = percent;
        writer_.Flush();
    }

private:
    int32_t samples_;
    IncrementalWriter& writer_;
    int32_t last_ = -1;
};

// The status of a dynamic run that has written `evaluated` lines for the
// positions first … last; a line says why when there was none, and which
// positions have an H that is not a finite number, and why, when some have.
int32_t FinishDynamic(const VariantCall& call, const FrameData& frame, IncrementalWriter& writer,
                      int64_t evaluated, int32_t first, int32_t last, int32_t step);

// log10 of every scale, the abscissae of the fit.
std::vector<double> LogSizes(const SizeList& sizes);

template <class Windows>
int32_t RunDynamicFrame(const VariantCall& call, int32_t step, Windows& windows) {
    StopCheck stopRequested;
    if (step < 2) step = 1;
    const int32_t W = call.windowSize;
    const std::string incPath =
        ClaimName(call, IncrementalFilePath(call.resultPath, call.inputPath), ".inc.txt");
    TruncateFile(incPath);

    FrameData frame = LoadFrameData(call);
    if (stopRequested()) return kStopped;
    const SizeList& sizes = frame.sizes;
    const int32_t K = frame.K, M = frame.M;
    const SampleArray& data = frame.data;
    const int32_t N = data.Size();
    // Positions past P − 1 are read only as look-ahead.
    const int32_t lookAhead = K > 0 ? windows.LookAhead(sizes) : 0;
    const std::string reason =
        FrameRefusal(call, frame, int64_t{M} + W + lookAhead, windows.Refusal(sizes));
    if (!reason.empty()) {
        ReportNotAnalysed(call, kDynamicPhases, reason);
        return kNotAnalysed;
    }
    const int32_t P = N - lookAhead;

    windows.Setup(sizes);
    const double* x = data.Data();
    PrintProgress("Filling up moving averages...");
    for (int32_t t = 0; t < M; ++t) {
        for (int32_t k = 0; k < K; ++k) windows.Push(k, x, t);
        if (stopRequested()) return kStopped;
    }
    PrintProgress("Done.");

    // Only the snapshots of t and t − W are ever read: keep the last W + 1.
    // Each slot is written before it is read, so the ring is not cleared: a
    // large ring is then touched only in the loops below, which heed a stop.
    const int32_t slots = W + 1;
    const auto snapshots = std::make_unique_for_overwrite<double[]>(static_cast<size_t>(slots) * K);
    std::vector<double> sums(static_cast<size_t>(K), 0.0);
    auto advance = [&](int32_t t) {
        double* snapshot = &snapshots[static_cast<size_t>(t % slots) * K];
        for (int32_t k = 0; k < K; ++k) {
            const double d = windows.Push(k, x, t) - x[t];
            sums[k] = sums[k] + d * d;
            snapshot[k] = sums[k];
        }
    };

    PrintProgress("Filling up data window...");
    for (int32_t t = M; t < M + W; ++t) {
        advance(t);
        if (stopRequested()) return kStopped;
    }
    PrintProgress("Done.");

    const std::vector<double> logSizes = LogSizes(sizes);
    IncrementalWriter writer(incPath, call);
    PercentProgress progress(N, writer);
    PrintProgress("Performing Hurst exponent calculation...");
    int64_t evaluated = 0;
    for (int32_t t = M + W; t < P; ++t) {
        advance(t);
        if (stopRequested()) return kStopped;
        if (t % step != 0) continue;
        progress.At(t);
        const double* now = &snapshots[static_cast<size_t>(t % slots) * K];
        const double* before = &snapshots[static_cast<size_t>((t - W) % slots) * K];
        LogLogFit fit;
        for (int32_t k = 0; k < K; ++k) {
            const double f = std::sqrt((now[k] - before[k]) / static_cast<double>(W));
            fit.Add(logSizes[k], std::log10(f));
        }
        writer.Append(t, fit.Slope(K));
        ++evaluated;
    }
    PrintProgress("Done.");
    return FinishDynamic(call, frame, writer, evaluated, M + W, P - 1, step);
}

// The plain trailing moving averages of DMA, one per window size.
class PlainWindows {
public:
    std::string Refusal(const SizeList& sizes) const;
    int32_t LookAhead(const SizeList&) const { return 0; }
    void Setup(const SizeList& sizes);
    double Push(int32_t k, const double* data, int32_t t) { return windows_[k].Push(data[t]); }
    void AfterStaticPosition(int32_t) {}

private:
    ChunkedArray<RunningWindow> windows_;
};

}  // namespace fractan
