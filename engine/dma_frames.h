#pragma once
// The frames that the DMA variants share, over samples in memory: the phases
// and their progress lines, the fluctuation sums and the fit. A variant
// supplies only its set of detrending windows (engine/window_sets.h):
//
//   struct Windows {
//     // Reason the window sizes cannot be used (empty when they can).
//     std::string Refusal(const SizeList& sizes) const;
//     // How many samples past position t the windows read at most.
//     int32_t LookAhead(const SizeList& sizes) const;
//     void Setup(const SizeList& sizes);
//     // Pushes the samples of positions from … to − 1 into window k, handing
//     // visit(t, value) the value compared with data[t] at each.
//     template <class Visit>
//     void Walk(int32_t k, const double* data, int32_t from, int32_t to, Visit&& visit);
//     // Called after every position of the static fill and data-window phases.
//     void AfterStaticPosition(int32_t t);
//   };

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "setup/containers.h"
#include "setup/ordered_jobs.h"
#include "setup/output.h"
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

// log10 of every scale, the abscissae of the fit.
std::vector<double> LogSizes(const SizeList& sizes);

// H of the fluctuations F_k: the slope of log10 F against log10 n.
double HurstOf(const SizeList& sizes, const std::vector<double>& fluctuations);
// The standard error of that slope, from the scatter of the points about the
// line; not a number below three distinct scales.
double HurstStandardError(const SizeList& sizes, const std::vector<double>& fluctuations);

// Receives the exponent of every evaluated position of a dynamic frame.
class PositionSink {
public:
    virtual ~PositionSink() = default;
    virtual void Append(int32_t position, double hurst) = 0;
    // After a percentage line: what was reported as done may be saved now.
    virtual void Flush() {}
};

// "Hurst exponent N %" whenever the percentage of the position in the
// series rises; the sink is then flushed.
class PercentProgress {
public:
    PercentProgress(int32_t samples, PositionSink& sink) : samples_(samples), sink_(sink) {}
    void At(int32_t position) {
        const int32_t percent = static_cast<int32_t>(static_cast<double>(position) / samples_ * 100.0);
        if (percent <= last_) return;
        char line[32];
        std::snprintf(line, sizeof line, "Hurst exponent %d %%\n", percent);
        ReportProgress({Progress::Kind::kPercent, line, percent});
        last_ = percent;
        sink_.Flush();
    }

private:
    int32_t samples_;
    PositionSink& sink_;
    int32_t last_ = -1;
};

// The positions first … last a dynamic frame walks, every step-th of them
// (a step below 2 taken as 1), and how many it evaluated.
struct DynamicRange {
    int32_t first = 0, last = -1;
    int64_t evaluated = 0;
    int32_t step = 1;
};

inline const std::vector<const char*> kStaticPhases = {
    "Shifting data...", "Filling up moving averages...", "Filling up data window...",
    "Performing Hurst exponent calculation..."};
inline const std::vector<const char*> kDynamicPhases = {
    "Filling up moving averages...", "Filling up data window...",
    "Performing Hurst exponent calculation..."};

// The positions a window walks at a time in a static frame.
inline constexpr int32_t kStretch = 1 << 14;

// The samples a static frame needs, W + 2M, and a dynamic one, M + W and its look-ahead.
inline int64_t StaticFrameNeeds(int32_t W, const SizeList& sizes) { return int64_t{W} + 2 * int64_t{sizes.Last()}; }
template <class Windows>
int64_t DynamicFrameNeeds(int32_t W, const SizeList& sizes, const Windows& windows) {
    return int64_t{sizes.Last()} + W + windows.LookAhead(sizes);
}

// F_k over the last W + 2M samples, with the phase lines up to "Performing
// Hurst exponent calculation..."; nothing when a stop is requested. The
// caller has checked that the samples suffice. The windows are shared by
// `jobs` threads (0: one per core), each with its own copy of the set, which
// leave every F_k as one thread gives it; the calling thread's windows say
// the progress.
template <class Windows>
std::optional<std::vector<double>> StaticFluctuations(std::span<const double> samples, const SizeList& sizes,
                                                      int32_t W, const Windows& windows, int32_t jobs = 1) {
    const int32_t K = sizes.Size(), M = sizes.Last();
    PrintProgress("Shifting data...");
    const double* x = samples.data() + (samples.size() - static_cast<size_t>(StaticFrameNeeds(W, sizes)));
    PrintProgress("Done.");

    std::vector<double> sums(static_cast<size_t>(K), 0.0);
    const int32_t parts = std::max(1, std::min(JobsFor(jobs), K));
    // Windows first … last − 1 through both phases.
    auto run = [&](int32_t part) {
        StopCheck stopRequested;
        const int32_t first = K * part / parts, last = K * (part + 1) / parts;
        Windows set = windows;
        set.Setup(sizes);
        std::vector<double> own(static_cast<size_t>(last - first), 0.0);  // apart from the other threads' lines
        // Every window over a stretch of positions in turn, so that the
        // stretch's samples stay in the cache for them all; a stop is heard
        // between stretches.
        auto walk = [&](int32_t from, int32_t to) {
            for (int32_t stretch = from; stretch < to; stretch += kStretch) {
                const int32_t end = std::min(to, stretch + kStretch);
                for (int32_t k = first; k < last; ++k) {
                    if (end <= M) {
                        set.Walk(k, x, stretch, end, [](int32_t, double) {});
                        continue;
                    }
                    double sum = own[k - first];
                    set.Walk(k, x, stretch, end, [&](int32_t j, double value) {
                        const double d = value - x[j];
                        sum += d * d;
                    });
                    own[k - first] = sum;
                }
                for (int32_t t = stretch; t < end; ++t) set.AfterStaticPosition(t);
                if (stopRequested()) return false;
            }
            return true;
        };
        PrintProgress("Filling up moving averages...");
        if (!walk(0, M)) return;
        PrintProgress("Done.");
        PrintProgress("Filling up data window...");
        if (!walk(M, M + W)) return;
        PrintProgress("Done.");
        std::copy(own.begin(), own.end(), sums.begin() + first);
    };
    RunParts(parts, run);
    if (StopRequested()) return std::nullopt;

    PrintProgress("Performing Hurst exponent calculation...");
    for (double& sum : sums) sum = std::sqrt(sum / static_cast<double>(W));
    return sums;
}

// Positions of a dynamic run taken together in a round: its threads meet
// once a round, and its ring of sums holds a round more.
inline constexpr int32_t kRoundPositions = 4096;

// The step-th positions from `from` to `to` − 1: the multiples of the step.
struct SteppedPositions {
    int64_t first, count, step;
    SteppedPositions(int64_t from, int64_t to, int64_t every)
        : first((from + every - 1) / every * every), count(first < to ? (to - first + every - 1) / every : 0),
          step(every) {}
    int64_t At(int64_t i) const { return first + i * step; }
    // Where the positions of `part` of `parts` begin, as indices.
    int64_t Share(int32_t part, int32_t parts) const { return count * part / parts; }
};

// H at every step-th position from M + W on, handed to the sink, with the
// phase lines and percentages and a closing "Done."; false when a stop is
// requested. The caller has checked that the samples suffice. The windows
// are shared by `jobs` threads (0: one per core), each with its own copy of
// the set, and the fits of a round's positions by them all: every H is the
// one a single thread gives.
template <class Windows>
bool DynamicExponents(std::span<const double> samples, const SizeList& sizes, int32_t W, int32_t step,
                      const Windows& windows, PositionSink& sink, DynamicRange& range, int32_t jobs = 1) {
    if (step < 2) step = 1;
    const int32_t K = sizes.Size(), M = sizes.Last();
    const int32_t N = static_cast<int32_t>(samples.size());
    // Positions past P − 1 are read only as look-ahead.
    const int32_t P = N - windows.LookAhead(sizes);
    range = DynamicRange{M + W, P - 1, 0, step};
    const double* x = samples.data();
    const int32_t parts = std::max(1, std::min(JobsFor(jobs), K));
    auto firstWindow = [&](int32_t part) { return K * part / parts; };

    // The sums of squared deviations up to each position, a row a position
    // in each part's ring of its windows' sums: only those of t − 1, t and
    // t − W are ever read, of a round and the W before it. Each ring starts
    // on a cache line of its own, so that the parts never write the same
    // line. Each slot is written before it is read, so the rings are not
    // cleared: a large ring is then touched only in the rounds, which heed a stop.
    constexpr int64_t kLine = 64 / sizeof(double);
    const int64_t slots = int64_t{W} + kRoundPositions;
    const auto rings = std::make_unique_for_overwrite<double[]>(static_cast<size_t>(slots * K + parts * kLine));
    // Window k's sum at slot s: sumOf[k][s * width[k]].
    std::vector<double*> sumOf(static_cast<size_t>(K));
    std::vector<int64_t> width(static_cast<size_t>(K));
    int64_t at = 0;
    for (int32_t part = 0; part < parts; ++part) {
        double* ring = rings.get() + at;
        ring += (kLine - reinterpret_cast<uintptr_t>(ring) / sizeof(double) % kLine) % kLine;
        const int32_t first = firstWindow(part), count = firstWindow(part + 1) - first;
        for (int32_t k = first; k < first + count; ++k) sumOf[k] = ring + (k - first), width[k] = count;
        at = ring - rings.get() + slots * count;
    }
    std::vector<Windows> sets(static_cast<size_t>(parts), windows);
    for (Windows& set : sets) set.Setup(sizes);
    Rounds rounds;
    rounds.advance = [&](int32_t part, int64_t start, int64_t end) {
        Windows& set = sets[part];
        const int32_t from = static_cast<int32_t>(start), to = static_cast<int32_t>(end);
        for (int32_t k = firstWindow(part); k < firstWindow(part + 1); ++k) {
            if (to <= M) {  // a round lies within a phase
                set.Walk(k, x, from, to, [](int32_t, double) {});
                continue;
            }
            double running = from > M ? sumOf[k][(from - 1) % slots * width[k]] : 0.0;
            double* sum = &sumOf[k][from % slots * width[k]];
            double* const last = &sumOf[k][(slots - 1) * width[k]];
            set.Walk(k, x, from, to, [&](int32_t t, double value) {
                const double d = value - x[t];
                *sum = running += d * d;
                sum = sum == last ? sumOf[k] : sum + width[k];
            });
        }
    };
    rounds.evaluate = [](int32_t, int64_t, int64_t) {};
    rounds.deliver = [](int64_t, int64_t) { return true; };

    PrintProgress("Filling up moving averages...");
    if (!RunRounds(parts, 0, M, kRoundPositions, rounds)) return false;
    PrintProgress("Done.");
    PrintProgress("Filling up data window...");
    if (!RunRounds(parts, M, M + W, kRoundPositions, rounds)) return false;
    PrintProgress("Done.");

    const std::vector<double> logSizes = LogSizes(sizes);
    std::vector<double> hursts(kRoundPositions);
    rounds.evaluate = [&](int32_t part, int64_t from, int64_t to) {
        const SteppedPositions positions(from, to, step);
        for (int64_t i = positions.Share(part, parts), last = positions.Share(part + 1, parts); i < last; ++i) {
            const int64_t t = positions.At(i);
            const int64_t now = t % slots, before = (t - W) % slots;
            LogLogFit fit;
            for (int32_t k = 0; k < K; ++k) {
                const double sum = sumOf[k][now * width[k]] - sumOf[k][before * width[k]];
                const double f = std::sqrt(sum / static_cast<double>(W));
                fit.Add(logSizes[k], std::log10(f));
            }
            hursts[i] = fit.Slope(K);
        }
    };
    PercentProgress progress(N, sink);
    StopCheck stopRequested;
    rounds.deliver = [&](int64_t from, int64_t to) {
        const SteppedPositions positions(from, to, step);
        for (int64_t i = 0; i < positions.count; ++i) {
            if (stopRequested()) return false;  // what was handed on before the stop is kept
            const int32_t t = static_cast<int32_t>(positions.At(i));
            progress.At(t);
            sink.Append(t, hursts[i]);
            ++range.evaluated;
        }
        return true;
    };
    PrintProgress("Performing Hurst exponent calculation...");
    if (!RunRounds(parts, M + W, P, kRoundPositions, rounds)) return false;
    PrintProgress("Done.");
    return true;
}

// The samples a moving average of n samples reaches back, ⌈(n − 1)(1 − θ)⌉:
// θ = 0 backward (it ends at the sample), 0.5 centred, 1 forward; it reaches
// ahead n − 1 − back.
int32_t AverageBack(int32_t n, double theta);

// The residuals y(t) − ỹ(t) of S series alike for t = first … first + count − 1,
// ỹ(t) the mean of y over t − back … t − back + n − 1, handed to
// visit(t, residuals) in order, an array of one residual per series. Each
// window is summed afresh at `first`, of values less y(first), so that a
// series far from zero keeps its digits; taken in blocks of a few n,
// rounding does not build up. The series go through one loop together, so
// that their running sums advance side by side.
template <size_t S, typename Visit>
void AverageResiduals(const std::array<const double*, S>& series, int32_t n, int32_t back, int64_t first,
                      int64_t count, Visit&& visit) {
    const double inverse = 1.0 / n;
    double reference[S], window[S] = {}, residuals[S];
    for (size_t i = 0; i < S; ++i) reference[i] = series[i][first];
    for (int64_t t = first - back; t < first - back + n; ++t)
        for (size_t i = 0; i < S; ++i) window[i] += series[i][t] - reference[i];
    for (int64_t t = first; t < first + count; ++t) {
        for (size_t i = 0; i < S; ++i) {
            const double* y = series[i];
            if (t > first) window[i] += (y[t - back + n - 1] - reference[i]) - (y[t - back - 1] - reference[i]);
            residuals[i] = (y[t] - reference[i]) - window[i] * inverse;
        }
        visit(t, static_cast<const double*>(residuals));
    }
}

// The reason some window size is below `least`, or empty.
std::string WindowsBelow(const SizeList& sizes, int32_t least, const char* what);

}  // namespace fractan
