// The methods that bench/ratio_bench.cpp does not time against a plain loop,
// each through Analyse on one thread beside a loop doing the same arithmetic
// written plainly (bench/ratios.sh prints the ratios):
//   MethodOurs/T / MethodPlain/T    type T, with weight w = 10 (4, 8, 9), shift θ = 0.5 (5, 6), λ = 0.5 (9):
//     2, 4, 6, 9 (static DMA)       10^7 samples, 20 windows 50 … 1000
//     5, 8 (dynamic DMA)            10^6 samples, the same windows, W = 1000, step 1
//     1 (dynamic DFA-1)             10^6 samples, 20 box sizes 8 … 125, W = 1000, step 1
//   DynamicThreads/T/J              dynamic type T (1, 5, 8) as above on J = 1 and 2 threads, in wall time
// A plain run that follows ours of its type gives, as a counter, how far its
// numbers are from ours at most: "differs in F", relatively (static), or
// "differs in H", which crosses 0 along a series (dynamic).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

#include "bench/bench_inputs.h"
#include "engine/analysis.h"
#include "engine/methods.h"
#include "setup/output.h"

namespace fractan {
namespace {

constexpr int32_t kDynamicSamples = 1'000'000, kDynamicWindow = 1000, kWeight = 10;
constexpr double kShift = 0.5, kLambda = 0.5;

// 20 DFA box sizes spread evenly on the log axis from 8 to 125 (W/8).
std::vector<int32_t> DfaBoxes() {
    std::vector<int32_t> sizes;
    for (int k = 0; k < 20; ++k) sizes.push_back(static_cast<int32_t>(std::lround(8 * std::pow(125.0 / 8, k / 19.0))));
    return sizes;
}

const std::vector<double>& Series(int32_t type) {
    if (!IsDynamicType(type)) return LongWalkInMemory();
    static const std::vector<double> walk = Walk(kDynamicSamples, 7);
    return walk;
}

// W of the static types: every sample from the second on.
int32_t StaticWindow() { return kLongWalk - 2 * DmaWindows().back() - 1; }

// Ours' settings; each method reads those it uses.
AnalysisSettings OursSettings(int32_t type) {
    AnalysisSettings s;
    s.computationType = type;
    s.sizes = type == 1 ? DfaBoxes() : DmaWindows();
    s.windowSize = IsDynamicType(type) ? kDynamicWindow : StaticWindow();
    s.dynamicStep = 1;
    s.dmaWeight = kWeight;
    s.shiftPercentage = kShift;
    s.dmaLambda = kLambda;
    return s;
}

// Static DMA (2; 6 for θ > 0): for every window, the mean of the n samples up
// to s = θ·n (rounded) past each sample from a running sum, and the squared
// deviations from it of the W samples after the first M.
std::vector<double> PlainStaticDma(const std::vector<double>& x, const std::vector<int32_t>& sizes, int64_t W,
                                   double theta) {
    const int64_t M = sizes.back();
    const double* y = x.data() + (static_cast<int64_t>(x.size()) - W - 2 * M);
    std::vector<double> F;
    for (const int64_t n : sizes) {
        const int64_t s = std::lround(static_cast<double>(n) * theta);
        std::vector<double> ring(n, 0.0);
        double sum = 0, total = 0;
        int64_t at = 0;
        for (int64_t t = 0; t < M + W; ++t) {
            const double entering = y[t + s];
            sum = sum - ring[at] + entering;
            ring[at] = entering;
            if (++at == n) at = 0;
            if (t < M) continue;
            const double d = sum / static_cast<double>(n) - y[t];
            total += d * d;
        }
        F.push_back(std::sqrt(total / static_cast<double>(W)));
    }
    return F;
}

// Smoothed DMA (4; 9 with the blend λ for every window): for every window a
// filter of length w, the mean of the last w samples blended with its own
// output w samples before by h (n/(n + w), or λ), 0 for the first w samples,
// and the squared deviations from it of the W samples after the first M.
std::vector<double> PlainStaticSmoothedDma(const std::vector<double>& x, const std::vector<int32_t>& sizes, int64_t W,
                                           int32_t w, const std::vector<double>& blends) {
    const int64_t M = sizes.back();
    const double* y = x.data() + (static_cast<int64_t>(x.size()) - W - 2 * M);
    std::vector<double> F;
    for (const double h : blends) {
        std::vector<double> samples(w, 0.0), outputs(w, 0.0);
        double sum = 0, total = 0;
        int32_t at = 0;
        for (int64_t t = 0; t < M + W; ++t) {
            double trend = 0;
            if (t < w) {
                sum += y[t];
                outputs[at] = sum / static_cast<double>(t + 1);
            } else {
                sum = sum - samples[at] + y[t];
                trend = outputs[at] = (1 - h) * sum / w + h * outputs[at];
            }
            samples[at] = y[t];
            if (++at == w) at = 0;
            if (t < M) continue;
            const double d = trend - y[t];
            total += d * d;
        }
        F.push_back(std::sqrt(total / static_cast<double>(W)));
    }
    return F;
}

// The slope of log10 F against log10 n.
struct PlainFit {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    void Add(double X, double Y) { sx += X, sy += Y, sxx += X * X, sxy += X * Y; }
    double Slope(size_t K) const { return (sxy - sx / K * sy) / (sxx - sx / K * sx); }
};

// Dynamic shifted DMA (5): every window's mean of the n samples up to s = θ·n
// past each position from a running sum, a ring of its last W squared
// deviations and their running sum, and H from position M + W on, the
// positions stopping M samples before the end.
std::vector<double> PlainDynamicShiftedDma(const std::vector<double>& x, const std::vector<int32_t>& sizes, int64_t W,
                                           double theta) {
    const size_t K = sizes.size();
    const int64_t M = sizes.back(), P = static_cast<int64_t>(x.size()) - M;
    std::vector<std::vector<double>> samples(K), squares(K, std::vector<double>(W, 0.0));
    std::vector<int64_t> shift(K), at(K, 0);
    std::vector<double> sum(K, 0.0), window(K, 0.0), logN(K);
    for (size_t k = 0; k < K; ++k) {
        samples[k].assign(sizes[k], 0.0);
        shift[k] = std::lround(sizes[k] * theta);
        logN[k] = std::log10(sizes[k]);
    }
    std::vector<double> hursts;
    int64_t slot = 0;
    for (int64_t t = 0; t < P; ++t) {
        for (size_t k = 0; k < K; ++k) {
            const double entering = x[t + shift[k]];
            sum[k] = sum[k] - samples[k][at[k]] + entering;
            samples[k][at[k]] = entering;
            if (++at[k] == sizes[k]) at[k] = 0;
            const double d = sum[k] / static_cast<double>(std::min<int64_t>(sizes[k], t + 1)) - x[t];
            window[k] += d * d - squares[k][slot];
            squares[k][slot] = d * d;
        }
        if (++slot == W) slot = 0;
        if (t < M + W) continue;
        PlainFit fit;
        for (size_t k = 0; k < K; ++k) fit.Add(logN[k], std::log10(std::sqrt(window[k] / W)));
        hursts.push_back(fit.Slope(K));
    }
    return hursts;
}

// Dynamic smoothed DMA (8): every window's filter as for type 4 (their rings
// of w samples and w outputs move together), a ring of its last W squared
// deviations and their running sum, and H from position M + W on.
std::vector<double> PlainDynamicSmoothedDma(const std::vector<double>& x, const std::vector<int32_t>& sizes, int64_t W,
                                            int32_t w) {
    const size_t K = sizes.size();
    const int64_t M = sizes.back(), N = static_cast<int64_t>(x.size());
    std::vector<std::vector<double>> samples(K, std::vector<double>(w, 0.0)), outputs = samples,
                                     squares(K, std::vector<double>(W, 0.0));
    std::vector<double> sum(K, 0.0), window(K, 0.0), h(K), logN(K);
    for (size_t k = 0; k < K; ++k) {
        h[k] = sizes[k] / (sizes[k] + double(w));
        logN[k] = std::log10(sizes[k]);
    }
    std::vector<double> hursts;
    int64_t slot = 0;
    int32_t at = 0;
    for (int64_t t = 0; t < N; ++t) {
        for (size_t k = 0; k < K; ++k) {
            double trend = 0;
            if (t < w) {
                sum[k] += x[t];
                outputs[k][at] = sum[k] / static_cast<double>(t + 1);
            } else {
                sum[k] = sum[k] - samples[k][at] + x[t];
                trend = outputs[k][at] = (1 - h[k]) * sum[k] / w + h[k] * outputs[k][at];
            }
            samples[k][at] = x[t];
            const double d = trend - x[t];
            window[k] += d * d - squares[k][slot];
            squares[k][slot] = d * d;
        }
        if (++at == w) at = 0;
        if (++slot == W) slot = 0;
        if (t < M + W) continue;
        PlainFit fit;
        for (size_t k = 0; k < K; ++k) fit.Add(logN[k], std::log10(std::sqrt(window[k] / W)));
        hursts.push_back(fit.Slope(K));
    }
    return hursts;
}

// Dynamic DFA-1 (1): at every position p from W on, F(n) over the W div n
// boxes of n samples that tile the W samples back from p. The box ending at
// p follows the one ending at p − 1 through its sums Σv, Σu·v and Σv² (u = 0
// … n − 1 in the box, v a sample less the box's first when last summed
// afresh, every n steps); its R/n enters the sum of its class of positions
// p mod n, from which the R/n of the box count·n positions back, kept in a
// ring, leaves.
std::vector<double> PlainDynamicDfa(const std::vector<double>& x, const std::vector<int32_t>& sizes, int64_t W) {
    struct Box {
        int64_t n, count;
        double su, mu, denominator;  // Σu, Σu / n, Σu² − (Σu)² / n
        double s0 = 0, s1 = 0, s2 = 0, reference = 0;
        int64_t moved = 0, slot = 0, of = 0;  // of: the class of the last box
        std::vector<double> ring, classes;
    };
    const int64_t N = static_cast<int64_t>(x.size());
    std::vector<Box> boxes;
    std::vector<double> logN;
    for (const int64_t n : sizes) {
        const double su = n * (n - 1) / 2.0, suu = (n - 1) * n * (2.0 * n - 1) / 6.0;
        boxes.push_back({.n = n, .count = W / n, .su = su, .mu = su / n, .denominator = suu - su * su / n,
                         .ring = std::vector<double>(W / n * n), .classes = std::vector<double>(n)});
        logN.push_back(std::log10(n));
    }
    std::vector<double> hursts;
    for (int64_t p = 1; p < N; ++p) {
        PlainFit fit;
        for (size_t k = 0; k < boxes.size(); ++k) {
            Box& b = boxes[k];
            const int64_t n = b.n;
            if (p < n) continue;
            if (p == n || ++b.moved == n) {
                const double* box = &x[p - n + 1];
                b.reference = box[0];
                b.s0 = b.s1 = b.s2 = 0;
                for (int64_t u = 0; u < n; ++u) {
                    const double v = box[u] - b.reference;
                    b.s0 += v, b.s1 += u * v, b.s2 += v * v;
                }
                b.moved = 0;
            } else {
                const double out = x[p - n] - b.reference, in = x[p] - b.reference;
                b.s1 = b.s1 - (b.s0 - out) + (n - 1) * in;
                b.s0 += in - out;
                b.s2 += in * in - out * out;
            }
            const double slope = b.s1 - b.mu * b.s0;
            const double r = std::max(0.0, b.s2 - b.s0 * b.s0 / n - slope * slope / b.denominator) / n;
            b.classes[b.of] += r - b.ring[b.slot];
            b.ring[b.slot] = r;
            if (p >= W) fit.Add(logN[k], std::log10(std::sqrt(b.classes[b.of] / b.count)));
            if (++b.slot == b.count * n) b.slot = 0;
            if (++b.of == n) b.of = 0;
        }
        if (p >= W) hursts.push_back(fit.Slope(boxes.size()));
    }
    return hursts;
}

std::vector<double> RunPlain(int32_t type) {
    const std::vector<double>& x = Series(type);
    const std::vector<int32_t> windows = DmaWindows();
    std::vector<double> blends(windows.size(), kLambda);
    if (type == 4)
        for (size_t k = 0; k < windows.size(); ++k) blends[k] = windows[k] / (windows[k] + double(kWeight));
    switch (type) {
        case 1: return PlainDynamicDfa(x, DfaBoxes(), kDynamicWindow);
        case 2: return PlainStaticDma(x, windows, StaticWindow(), 0.0);
        case 5: return PlainDynamicShiftedDma(x, windows, kDynamicWindow, kShift);
        case 6: return PlainStaticDma(x, windows, StaticWindow(), kShift);
        case 8: return PlainDynamicSmoothedDma(x, windows, kDynamicWindow, kWeight);
        default: return PlainStaticSmoothedDma(x, windows, StaticWindow(), kWeight, blends);  // 4, 9
    }
}

// Ours' F(n) (static) or H (dynamic) of the last run of each type.
std::map<int32_t, std::vector<double>> oursResults;

void BM_MethodOurs(benchmark::State& state) {
    const int32_t type = static_cast<int32_t>(state.range(0));
    const AnalysisSettings s = OursSettings(type);
    const std::vector<double>& x = Series(type);
    OutputSilence quiet;
    AnalysisResult result;
    for (auto _ : state) result = Analyse(x, s);
    oursResults[type] = IsDynamicType(type) ? result.hursts : result.fluctuations;
}

void BM_MethodPlain(benchmark::State& state) {
    const int32_t type = static_cast<int32_t>(state.range(0));
    std::vector<double> plain;
    for (auto _ : state) plain = RunPlain(type);
    const auto ours = oursResults.find(type);
    if (ours == oursResults.end()) return;
    const std::vector<double>& o = ours->second;
    double differs = o.size() == plain.size() ? 0.0 : std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < plain.size() && i < o.size(); ++i)
        differs = std::max(differs, std::fabs(plain[i] - o[i]) / (IsDynamicType(type) ? 1.0 : std::fabs(o[i])));
    state.counters[IsDynamicType(type) ? "differs in H" : "differs in F"] = differs;
}

// The scales and positions of one dynamic run shared by 1 or 2 threads, in wall time.
void BM_DynamicThreads(benchmark::State& state) {
    const int32_t type = static_cast<int32_t>(state.range(0));
    AnalysisSettings s = OursSettings(type);
    s.jobs = static_cast<int32_t>(state.range(1));
    const std::vector<double>& x = Series(type);
    OutputSilence quiet;
    for (auto _ : state) benchmark::DoNotOptimize(Analyse(x, s).hursts.size());
}
BENCHMARK(BM_DynamicThreads)
    ->ArgsProduct({{1, 5, 8}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_MethodOurs)->DenseRange(1, 2)->DenseRange(4, 6)->Arg(8)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MethodPlain)->DenseRange(1, 2)->DenseRange(4, 6)->Arg(8)->Arg(9)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fractan
