// The speed targets of the engine, each beside the plain loop it is measured
// against in the same run (bench/ratios.sh prints the ratios):
//   StaticDfa10M / PlainStaticDfa10M     static DFA-1 of a 10^7-sample binary walk, 20 box sizes 10 … N/10
//   DynamicDma10M / PlainDynamicDma10M   dynamic DMA on 10^7 samples in memory, K = 20, W = 1000, step 1
//   FilesList40/1 / FilesList40/2        a files list of 40 series of 10^6 samples with --jobs 1 and 2
//   DfaOrder1M/2, /3 / DfaOrder1M/1      static DFA of orders 2 and 3 against order 1, 10^6 samples, 20 box sizes
//   OverlapDfa1M                         static DFA with a box at every start, 10^6 samples, 20 box sizes (a time)
//   DynamicDfa1M / DynamicDma10M         dynamic DFA-1, W = 1000, step 1, 20 box sizes, a position against
//                                        one of dynamic DMA
//   FirstOrderDma20 / PlainFirstOrderDma20  first-order DMA (type 7) of 2^20 samples in memory, windows 4 … 65536
//                                        (×2), against a loop doing the same arithmetic
//   Threads10M/3/1, /3/2, /2/1, /2/2     static DFA-1 (3) and static DMA (2) of 10^7 samples in memory, 20
//                                        scales, on one thread and on two, in wall time
//   ShortFiles / BareShortFiles          a files list of many series of 10^3 text samples (static DFA-1, boxes
//                                        4 … 64), each counted then analysed as by the command without a data
//                                        size, against a loop that only reads each file and writes its chart
//   Interval/16, /20                     the interval on H (B = 50, every core) of static DFA-1 of exact
//                                        fBm of 2^16 and 2^20 samples, in wall time, beside
//   PlainAnalyses/16, /20                the 51 analyses it holds, on one core
//   Multifractal1M/0, /1                 MF-DFA-1 and backward MF-DMA, 10^6 samples, q = −5 … 5 by 0.5,
//                                        the 20 default scales (a time, one core)
//   CrossCorrelation1M/0, /1             DCCA-1 (end boxes) and backward DMCA of two walks of 10^6 samples,
//                                        the 20 default scales, with rho (a time, one core)
// The other methods against their plain loops: bench/method_bench.cpp.

#include <benchmark/benchmark.h>

#include <cmath>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_inputs.h"
#include "engine/analysis.h"
#include "engine/cross_correlation.h"
#include "engine/dfa.h"
#include "engine/driver.h"
#include "engine/multifractal.h"
#include "generator/spectral.h"
#include "setup/output.h"
#include "setup/series_loader.h"

namespace fractan {
namespace {

class Silence : public OutputSink {
public:
    void Write(std::string_view) override {}
};

void WriteBinary(const std::string& path, const std::vector<double>& x) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(x.data(), sizeof(double), x.size(), file);
    std::fclose(file);
}

// The inputs, made once outside the timings and removed at exit.
struct Inputs {
    static constexpr int32_t kLong = kLongWalk, kShort = 1'000'000, kListed = 40;
    std::string folder = (std::filesystem::temp_directory_path() / "fractan-ratios").string();
    std::string walk = folder + "/walk10M.dat", boxes = folder + "/boxes.txt", list = folder + "/list.txt";
    std::vector<int32_t> boxSizes;

    Inputs() {
        std::filesystem::create_directories(folder);
        WriteBinary(walk, Walk(kLong, 7));
        // 20 sizes spread evenly on the log axis from 10 to N/10.
        for (int k = 0; k < 20; ++k)
            boxSizes.push_back(static_cast<int32_t>(std::lround(10.0 * std::pow(kLong / 100.0, k / 19.0))));
        std::FILE* file = std::fopen(boxes.c_str(), "w");
        std::fprintf(file, "%zu\n", boxSizes.size());
        for (int32_t n : boxSizes) std::fprintf(file, "%d\n", n);
        std::fclose(file);
        std::FILE* names = std::fopen(list.c_str(), "w");
        for (int i = 0; i < kListed; ++i) {
            const std::string path = folder + "/s" + std::to_string(i) + ".dat";
            WriteBinary(path, Walk(kShort, 100 + i));
            std::fprintf(names, "%s\n", path.c_str());
        }
        std::fclose(names);
    }
    ~Inputs() { std::filesystem::remove_all(folder); }
};

Inputs& Made() {
    static Inputs inputs;
    return inputs;
}

void BM_StaticDfa10M(benchmark::State& state) {
    Inputs& in = Made();
    const ScaleProgression boxes{0, 0, 0, kCustom, in.boxes};
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state)
        RunStaticDfa(Inputs::kLong - 1, 1, boxes, in.walk, kBinaryInput, in.folder + "/dfa.out.txt", Inputs::kLong, 0);
}
BENCHMARK(BM_StaticDfa10M)->Unit(benchmark::kMillisecond);

// One read of the file, then for every box a least-squares line in
// coordinates of the box (a pass for the sums) and its squared residuals (a
// second pass).
double PlainStaticDfa(const std::string& path, const std::vector<int32_t>& sizes) {
    std::vector<double> y(Inputs::kLong);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const size_t read = std::fread(y.data(), sizeof(double), y.size(), file);
    std::fclose(file);
    if (read != y.size()) return 0.0;
    const int64_t W = Inputs::kLong - 1;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const int64_t n : sizes) {
        const double su = n * (n - 1) / 2.0, suu = (n - 1) * n * (2.0 * n - 1) / 6.0;
        const int64_t boxes = W / n;
        double total = 0;
        for (int64_t i = 0; i < boxes; ++i) {
            const double* box = &y[W - (i + 1) * n + 1];
            double sv = 0, suv = 0;
            for (int64_t u = 0; u < n; ++u) {
                sv += box[u] - box[0];
                suv += u * (box[u] - box[0]);
            }
            const double slope = (suv - su / n * sv) / (suu - su / n * su);
            const double intercept = (sv - slope * su) / n;
            double r = 0;
            for (int64_t u = 0; u < n; ++u) {
                const double d = box[u] - box[0] - (slope * u + intercept);
                r += d * d;
            }
            total += r / n;
        }
        const double X = std::log10(double(n)), Y = std::log10(std::sqrt(total / boxes));
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    const double k = static_cast<double>(sizes.size());
    return (sxy - sx / k * sy) / (sxx - sx / k * sx);
}
void BM_PlainStaticDfa10M(benchmark::State& state) {
    Inputs& in = Made();
    for (auto _ : state) benchmark::DoNotOptimize(PlainStaticDfa(in.walk, in.boxSizes));
}
BENCHMARK(BM_PlainStaticDfa10M)->Unit(benchmark::kMillisecond);

void BM_DynamicDma10M(benchmark::State& state) {
    const std::vector<double>& x = LongWalkInMemory();
    AnalysisSettings s;
    s.computationType = 0;
    s.windowSize = 1000;
    s.sizes = DmaWindows();
    s.dynamicStep = 1;
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) benchmark::DoNotOptimize(Analyse(x, s).hursts.size());
}
BENCHMARK(BM_DynamicDma10M)->Unit(benchmark::kMillisecond);

// The same N·K pushes of trailing means and N fits, written plainly: per
// window a ring of its samples and a ring of the last W squared deviations.
std::vector<double> PlainDynamicDma(const std::vector<double>& x, const std::vector<int32_t>& sizes, int32_t W) {
    const size_t K = sizes.size();
    const int32_t M = sizes.back();
    std::vector<std::vector<double>> samples(K), squares(K, std::vector<double>(W, 0.0));
    for (size_t k = 0; k < K; ++k) samples[k].assign(sizes[k], 0.0);
    std::vector<double> sum(K, 0.0), window(K, 0.0), logN(K);
    for (size_t k = 0; k < K; ++k) logN[k] = std::log10(sizes[k]);
    std::vector<double> hursts;
    hursts.reserve(x.size());
    for (size_t t = 0; t < x.size(); ++t) {
        for (size_t k = 0; k < K; ++k) {
            const int32_t n = sizes[k];
            double& old = samples[k][t % n];
            sum[k] += x[t] - old;
            old = x[t];
            const double d = sum[k] / std::min<double>(n, t + 1) - x[t];
            double& oldSquare = squares[k][t % W];
            window[k] += d * d - oldSquare;
            oldSquare = d * d;
        }
        if (static_cast<int64_t>(t) < M + W) continue;
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (size_t k = 0; k < K; ++k) {
            const double Y = std::log10(std::sqrt(window[k] / W));
            sx += logN[k], sy += Y, sxx += logN[k] * logN[k], sxy += logN[k] * Y;
        }
        hursts.push_back((sxy - sx / K * sy) / (sxx - sx / K * sx));
    }
    return hursts;
}
void BM_PlainDynamicDma10M(benchmark::State& state) {
    const std::vector<double>& x = LongWalkInMemory();
    const std::vector<int32_t> sizes = DmaWindows();
    for (auto _ : state) benchmark::DoNotOptimize(PlainDynamicDma(x, sizes, 1000).size());
}
BENCHMARK(BM_PlainDynamicDma10M)->Unit(benchmark::kMillisecond);

constexpr int32_t kFirstOrderSamples = 1 << 20, kFirstOrderLargest = 1 << 16;

std::vector<int32_t> FirstOrderWindows() {
    std::vector<int32_t> sizes;
    for (int32_t n = 4; n <= kFirstOrderLargest; n *= 2) sizes.push_back(n);
    return sizes;
}

void BM_FirstOrderDma20(benchmark::State& state) {
    static const std::vector<double> x = Walk(kFirstOrderSamples, 11);
    AnalysisSettings s;
    s.computationType = 7;
    s.windowSize = kFirstOrderSamples - 2 * kFirstOrderLargest - 1;
    for (int32_t n : FirstOrderWindows()) s.sizes.push_back(n);
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) benchmark::DoNotOptimize(Analyse(x, s).hurst);
}
BENCHMARK(BM_FirstOrderDma20)->Unit(benchmark::kMillisecond);

// For every window of m = n − 1 samples ending a little after the compared
// one, the line through them at that sample from a running sum and a running
// weighted sum (summed afresh every m samples), and the squared deviations.
std::vector<double> PlainFirstOrderDma(const std::vector<double>& series, const std::vector<int32_t>& sizes) {
    const int64_t M = sizes.back(), W = static_cast<int64_t>(series.size()) - 2 * M - 1;
    const double* x = series.data() + 1;  // the last W + 2M samples, which ours reads
    std::vector<double> F;
    for (const int64_t n : sizes) {
        const int64_t m = n - 1, ahead = (n + 1) / 2 - n / 4;
        const double centre = (m - 1) * 0.5, d = double(m) * double(m + 1) * double(m - 1) / 12.0;
        const double at = std::max<int64_t>(1, (m + 2) / 4) - (m / 2 - centre);
        double sum = 0, weighted = 0, total = 0;
        for (int64_t t = M; t < M + W; ++t) {
            const int64_t newest = t + ahead - 1;
            if ((t - M) % m == 0) {
                sum = weighted = 0;
                for (int64_t j = 0; j < m; ++j) sum += x[newest - j], weighted += (centre - j) * x[newest - j];
            } else {
                const double entering = x[newest], leaving = x[newest - m];
                weighted = weighted - sum + centre * entering + (m - centre) * leaving;
                sum += entering - leaving;
            }
            const double deviation = x[t] - (weighted / d * at + sum / m);
            total += deviation * deviation;
        }
        F.push_back(std::sqrt(total / W));
    }
    return F;
}

void BM_PlainFirstOrderDma20(benchmark::State& state) {
    static const std::vector<double> x = Walk(kFirstOrderSamples, 11);
    const std::vector<int32_t> sizes = FirstOrderWindows();
    for (auto _ : state) benchmark::DoNotOptimize(PlainFirstOrderDma(x, sizes).size());
}
BENCHMARK(BM_PlainFirstOrderDma20)->Unit(benchmark::kMillisecond);

// 10^6 samples in memory and 20 box sizes spread evenly on the log axis from
// `least` to `most`.
struct DfaInMemory {
    const std::vector<double>& x = Walk1M();
    AnalysisSettings s;
    DfaInMemory(int32_t type, int32_t least, int32_t most) {
        s.computationType = type;
        s.windowSize = static_cast<int32_t>(x.size()) - 1;
        for (int k = 0; k < 20; ++k)
            s.sizes.push_back(static_cast<int32_t>(std::lround(least * std::pow(double(most) / least, k / 19.0))));
    }
    static const std::vector<double>& Walk1M() {
        static const std::vector<double> walk = Walk(Inputs::kShort, 7);
        return walk;
    }
    void Run(benchmark::State& state) {
        Silence silence;
        ScopedOutputRedirect quiet(silence);
        for (auto _ : state) benchmark::DoNotOptimize(Analyse(x, s).status);
    }
};

void BM_DfaOrder1M(benchmark::State& state) {
    DfaInMemory dfa(3, 10, Inputs::kShort / 10);
    dfa.s.dfaOrder = static_cast<int32_t>(state.range(0));
    dfa.Run(state);
}
BENCHMARK(BM_DfaOrder1M)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_OverlapDfa1M(benchmark::State& state) {
    DfaInMemory dfa(3, 10, Inputs::kShort / 10);
    dfa.s.dfaBoxes = "overlap";
    dfa.Run(state);
}
BENCHMARK(BM_OverlapDfa1M)->Unit(benchmark::kMillisecond);

// Box sizes 8 … W/8.
void BM_DynamicDfa1M(benchmark::State& state) {
    DfaInMemory dfa(1, 8, 125);
    dfa.s.windowSize = 1000;
    dfa.s.dynamicStep = 1;
    dfa.Run(state);
}
BENCHMARK(BM_DynamicDfa1M)->Unit(benchmark::kMillisecond);

void BM_Multifractal1M(benchmark::State& state) {
    const std::vector<double>& x = DfaInMemory::Walk1M();
    MultifractalSettings s;
    s.family = state.range(0) == 0 ? MethodFamily::kDfa : MethodFamily::kDma;
    s.q = DefaultMultifractalQ();
    s.scales = DefaultMultifractalScales(s, static_cast<int64_t>(x.size()));
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) benchmark::DoNotOptimize(AnalyseMultifractal(x, s).status);
}
BENCHMARK(BM_Multifractal1M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CrossCorrelation1M(benchmark::State& state) {
    static const std::vector<double> y = Walk(Inputs::kShort, 8);
    const std::vector<double>& x = DfaInMemory::Walk1M();
    CrossCorrelationSettings s;
    s.family = state.range(0) == 0 ? MethodFamily::kDfa : MethodFamily::kDma;
    s.scales = DefaultCrossCorrelationScales(s, static_cast<int64_t>(x.size()));
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) benchmark::DoNotOptimize(AnalyseCrossCorrelation(x, y, s).rho.size());
}
BENCHMARK(BM_CrossCorrelation1M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Static DFA-1 of every file of the list (boxes 16 … 2^16), with --jobs 1 and 2.
void BM_FilesList40(benchmark::State& state) {
    Inputs& in = Made();
    AnalysisParameters p;
    p.inputFileMode = 1;
    p.inputFileName = in.list;
    p.inputFileType = kBinaryInput;
    p.computationType = 3;
    p.dfaOrder = 1;
    p.dataSize = Inputs::kShort;
    p.windowSize = Inputs::kShort - 1;
    p.averageProgression = ScaleProgression{16, 1 << 16, 2, kGeometric, {}};
    p.outputPath = in.folder;
    p.testName = "jobs" + std::to_string(state.range(0));
    p.jobs = static_cast<int32_t>(state.range(0));
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) RunAnalysis(p);
}
BENCHMARK(BM_FilesList40)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The scales of one series of 10^7 samples shared by 1 or 2 threads: DFA-1
// with 20 box sizes 10 … N/10, DMA with 20 windows 50 … 1000.
void BM_Threads10M(benchmark::State& state) {
    const std::vector<double>& x = LongWalkInMemory();
    AnalysisSettings s;
    s.computationType = static_cast<int32_t>(state.range(0));
    s.jobs = static_cast<int32_t>(state.range(1));
    if (s.computationType == 3) {
        s.windowSize = Inputs::kLong - 1;
        for (int k = 0; k < 20; ++k)
            s.sizes.push_back(static_cast<int32_t>(std::lround(10.0 * std::pow(1e5, k / 19.0))));
    } else {
        s.sizes = DmaWindows();
        s.windowSize = Inputs::kLong - 2 * s.sizes.back() - 1;
    }
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    for (auto _ : state) benchmark::DoNotOptimize(Analyse(x, s).hurst);
}
BENCHMARK(BM_Threads10M)
    ->Args({3, 1})
    ->Args({3, 2})
    ->Args({2, 1})
    ->Args({2, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Many short text series and their list, made once outside the timings and
// removed at exit (FRACTAN_SHORT_FILES sets how many: 10,000 unless told).
struct ShortInputs {
    static constexpr int32_t kSamples = 1000;
    std::string folder = (std::filesystem::temp_directory_path() / "fractan-short").string();
    std::string list = folder + "/list.txt";
    std::vector<std::string> paths;
    int32_t sizes[5] = {4, 8, 16, 32, 64};

    ShortInputs() {
        const char* count = std::getenv("FRACTAN_SHORT_FILES");
        const int files = count ? std::atoi(count) : 10'000;
        std::filesystem::create_directories(folder);
        std::FILE* names = std::fopen(list.c_str(), "w");
        for (int i = 0; i < files; ++i) {
            paths.push_back(folder + "/s" + std::to_string(i) + ".txt");
            std::FILE* file = std::fopen(paths.back().c_str(), "w");
            for (double y : Walk(kSamples, 1000 + i)) std::fprintf(file, "%.6f\n", y);
            std::fclose(file);
            std::fprintf(names, "%s\n", paths.back().c_str());
        }
        std::fclose(names);
    }
    ~ShortInputs() { std::filesystem::remove_all(folder); }
};

ShortInputs& MadeShort() {
    static ShortInputs inputs;
    return inputs;
}

void BM_ShortFiles(benchmark::State& state) {
    ShortInputs& in = MadeShort();
    AnalysisParameters p;
    p.inputFileMode = 1;
    p.inputFileName = in.list;
    p.inputFileType = kTextInput;
    p.computationType = 3;
    p.dfaOrder = 1;
    p.windowSize = ShortInputs::kSamples - 1;
    p.averageProgression = ScaleProgression{4, 64, 2, kGeometric, {}};
    p.outputPath = in.folder;
    p.testName = "short";
    p.jobs = 1;
    Silence silence;
    ScopedOutputRedirect quiet(silence);
    // As the command without a data size: every file counted for the shortest, then the run.
    for (auto _ : state) {
        LoadedSeries loaded;
        int64_t shortest = INT32_MAX;
        for (const std::string& path : in.paths)
            shortest = std::min(shortest, CountSamples(path, kTextInput, nullptr, {}, &loaded.files));
        p.dataSize = static_cast<int32_t>(shortest);
        RunAnalysis(PlanRun(p), &loaded);
    }
    state.counters["files"] = static_cast<double>(in.paths.size());
}
BENCHMARK(BM_ShortFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every file read whole and parsed, then a chart of one line a box size written beside it.
void BM_BareShortFiles(benchmark::State& state) {
    ShortInputs& in = MadeShort();
    std::vector<char> text(1 << 16);
    std::vector<double> y;
    for (auto _ : state) {
        for (const std::string& path : in.paths) {
            std::FILE* file = std::fopen(path.c_str(), "r");
            const size_t length = std::fread(text.data(), 1, text.size(), file);
            std::fclose(file);
            y.clear();
            const char* at = text.data();
            const char* end = at + length;
            while (at < end) {
                double v = 0;
                at = std::from_chars(at, end, v).ptr + 1;  // past the line's end
                y.push_back(v);
            }
            std::FILE* chart = std::fopen((path + ".chart.txt").c_str(), "w");
            for (int32_t n : in.sizes)
                std::fprintf(chart, "%.9lf\t%.9lf\t%.9lf\t%.9lf\n", double(n), y[n], std::log10(n), std::log10(y[n]));
            std::fclose(chart);
        }
    }
}
BENCHMARK(BM_BareShortFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// Exact fractional Brownian motion of 2^levels + 1 samples at H = 0.7, and
// the command's static DFA-1 settings for it.
struct IntervalCase {
    std::vector<double> x;
    AnalysisSettings settings;

    explicit IntervalCase(int32_t levels) {
        SpectralDraws draws(1, 1, 0.7);
        std::string reason;
        x = BuildSpectralSeries(levels, 0.7, draws, 1, reason);
        settings.computationType = 3;
        settings.windowSize = DefaultWindowSize(3, static_cast<int64_t>(x.size()), 0);
        const SizeList sizes =
            ScaleProgression{4, DefaultLargestScale(3, static_cast<int64_t>(x.size()), settings.windowSize, 4), 2,
                             kGeometric, {}}
                .Expand();
        settings.sizes.assign(sizes.begin(), sizes.end());
    }
};

void BM_Interval(benchmark::State& state) {
    OutputSilence quiet;
    IntervalCase c(static_cast<int32_t>(state.range(0)));
    c.settings.interval = IntervalRequest{0.95, 50, 1, 0};
    for (auto _ : state) benchmark::DoNotOptimize(Analyse(c.x, c.settings).interval->high);
}
BENCHMARK(BM_Interval)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainAnalyses(benchmark::State& state) {
    OutputSilence quiet;
    const IntervalCase c(static_cast<int32_t>(state.range(0)));
    for (auto _ : state)
        for (int i = 0; i < 51; ++i) benchmark::DoNotOptimize(Analyse(c.x, c.settings).hurst);
}
BENCHMARK(BM_PlainAnalyses)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace fractan
