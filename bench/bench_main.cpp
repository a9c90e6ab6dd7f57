// Speed of the innermost operations and of whole runs of every variant family.
//   build/bench/fractan_bench                 every benchmark
//   build/bench/fractan_bench --benchmark_filter=Dynamic
// The speed targets against plain loops: bench/ratio_bench.cpp and bench/method_bench.cpp, printed by
// bench/ratios.sh.
// Memory of a long dynamic run is measured on the command itself: bench/memory_dynamic.sh;
// that of a generated series of 2^24 + 1 points: bench/memory_generator.sh.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <functional>

#include "clusters/cluster_analyzer.h"
#include "engine/dfa.h"
#include "engine/dynamic_dma.h"
#include "engine/first_order_dma.h"
#include "engine/shifted_dma.h"
#include "engine/smoothed_dma.h"
#include "engine/static_dma.h"
#include "generator/generator.h"
#include "generator/midpoint.h"
#include "generator/random_source.h"
#include "setup/containers.h"
#include "setup/output.h"
#include "setup/series_loader.h"

namespace fractan {
namespace {

class NullSink : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// A scratch folder with a random walk as text and as binary, made once.
struct BenchFiles {
    std::string folder, text, binary;
    BenchFiles() {
        folder = (std::filesystem::temp_directory_path() / "fractan-bench").string();
        std::filesystem::create_directories(folder);
        text = folder + "/walk.txt";
        binary = folder + "/walk.dat";
        std::mt19937_64 engine(42);
        std::normal_distribution<double> step;
        std::FILE* t = std::fopen(text.c_str(), "w");
        std::FILE* b = std::fopen(binary.c_str(), "wb");
        double x = 0.0;
        for (int i = 0; i < kSamples; ++i) {
            x += step(engine);
            std::fprintf(t, "%.17g\n", x);
            std::fwrite(&x, sizeof x, 1, b);
        }
        std::fclose(t);
        std::fclose(b);
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }
    static constexpr int kSamples = 1 << 20;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void BM_RunningWindowPush(benchmark::State& state) {
    RunningWindow window;
    window.SetLength(static_cast<int32_t>(state.range(0)));
    double x = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(window.Push(x));
        x += 1.0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunningWindowPush)->Arg(16)->Arg(1024);

void BM_LoadSeries(benchmark::State& state) {
    const int32_t type = static_cast<int32_t>(state.range(0));
    const std::string& path = type == kBinaryInput ? Files().binary : Files().text;
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state) {
        SampleArray data;
        if (!LoadSeries(data, path, type, BenchFiles::kSamples, 0)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(data.Data());
    }
    state.SetItemsProcessed(state.iterations() * BenchFiles::kSamples);
    state.SetLabel(type == kBinaryInput ? "binary" : "text");
}
BENCHMARK(BM_LoadSeries)->Arg(kTextInput)->Arg(kBinaryInput)->Unit(benchmark::kMillisecond);

// Window sizes 4, 8, …, 4096: K = 11.
const ScaleProgression kProgression{4, 4096, 2, kGeometric, {}};

void BM_StaticDma(benchmark::State& state) {
    const int32_t W = BenchFiles::kSamples - 2 * 4096 - 1;
    const std::string result = Files().folder + "/static.out.txt";
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state)
        RunStaticDma(W, kProgression, Files().binary, kBinaryInput, result, BenchFiles::kSamples, 0);
    state.SetItemsProcessed(state.iterations() * BenchFiles::kSamples);
}
BENCHMARK(BM_StaticDma)->Unit(benchmark::kMillisecond);

void BM_DynamicDma(benchmark::State& state) {
    const int32_t step = static_cast<int32_t>(state.range(0));
    const std::string result = Files().folder + "/dynamic.out.txt";
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state)
        RunDynamicDma(1000, kProgression, Files().binary, kBinaryInput, result, BenchFiles::kSamples, 0, step);
    state.SetItemsProcessed(state.iterations() * BenchFiles::kSamples);
}
BENCHMARK(BM_DynamicDma)->Arg(1000)->Arg(1)->Unit(benchmark::kMillisecond);

// One whole run of a variant on the 2^20-sample binary walk, per iteration.
using Variant = std::function<void(const std::string& input, const std::string& result)>;
void BM_Variant(benchmark::State& state, Variant run) {
    const std::string result = Files().folder + "/variant.out.txt";
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state) run(Files().binary, result);
    state.SetItemsProcessed(state.iterations() * BenchFiles::kSamples);
}

constexpr int32_t kN = BenchFiles::kSamples, kB = kBinaryInput;
constexpr int32_t kStaticW = kN - 2 * 4096 - 1;
// First-order fits cost a pass over each window: sizes 4 … 256 (K = 7).
const ScaleProgression kShortProgression{4, 256, 2, kGeometric, {}};

BENCHMARK_CAPTURE(BM_Variant, StaticSmoothedDma_w2, [](const std::string& in, const std::string& out) {
    RunStaticSmoothedDma(kStaticW, 2, kProgression, in, kB, out, kN, 0);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, StaticSmoothedDmaLambda_w2, [](const std::string& in, const std::string& out) {
    RunStaticSmoothedDmaLambda(kStaticW, 2, 0.5, kProgression, in, kB, out, kN, 0);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, DynamicSmoothedDma_w2_step1000, [](const std::string& in, const std::string& out) {
    RunDynamicSmoothedDma(1000, 2, kProgression, in, kB, out, kN, 0, 1000);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, StaticShiftedDma_half, [](const std::string& in, const std::string& out) {
    RunStaticShiftedDma(kStaticW, kProgression, in, kB, out, kN, 0, 0.5);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, DynamicShiftedDma_half_step1000, [](const std::string& in, const std::string& out) {
    RunDynamicShiftedDma(1000, kProgression, in, kB, out, kN, 0, 0.5, 1000);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, StaticFirstOrderDma_to256, [](const std::string& in, const std::string& out) {
    RunStaticFirstOrderDma(kN - 2 * 256 - 1, kShortProgression, in, kB, out, kN, 0);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, StaticDfa_order1, [](const std::string& in, const std::string& out) {
    RunStaticDfa(kN - 1, 1, kProgression, in, kB, out, kN, 0);
})->Unit(benchmark::kMillisecond);
// Each computed position costs about K·W: W = 1000, K = 11 up to 512.
const ScaleProgression kBoxes{4, 512, 2, kGeometric, {}};
BENCHMARK_CAPTURE(BM_Variant, DynamicDfa_order1_step1000, [](const std::string& in, const std::string& out) {
    RunDynamicDfa(1000, 1, kBoxes, in, kB, out, kN, 0, 1000);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Variant, DynamicDfa_order1_step10, [](const std::string& in, const std::string& out) {
    RunDynamicDfa(1000, 1, kBoxes, in, kB, out, kN, 0, 10);
})->Unit(benchmark::kMillisecond);

// Detection with one window size, and the four distributions of every cluster.
void BM_FindClusters(benchmark::State& state) {
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    ClusterAnalyzer analyzer;
    analyzer.Load(Files().binary, kBinaryInput, 0, kN);
    int32_t window = 0;
    for (auto _ : state) {
        analyzer.SetWindowLength(static_cast<int32_t>(state.range(0)));
        analyzer.FindClusters(0, window++);
    }
    state.SetItemsProcessed(state.iterations() * kN);
    state.counters["clusters"] = analyzer.Clusters().Size() / static_cast<double>(window);
}
void BM_ClusterTextLoad(benchmark::State& state) {
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    ClusterAnalyzer analyzer;
    const std::string& path = Files().text;  // made once, outside the timing
    for (auto _ : state) analyzer.Load(path, kTextInput, 0, kN);
    state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_ClusterTextLoad)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_FindClusters)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ClusterRun(benchmark::State& state) {
    AnalysisParameters p;
    p.inputFileMode = 0;
    p.inputFileName = Files().binary;
    p.inputFileType = kBinaryInput;
    p.windowSize = kN;
    p.outputPath = Files().folder;
    p.testName = "bench";
    p.averageProgression = ScaleProgression{10, 100, 10, kLinear, {}};
    p.globalStatisticsOnly = 0;
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state) RunClusterAnalysis(p);
    state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_ClusterRun)->Unit(benchmark::kMillisecond);
void BM_UniformDeviate(benchmark::State& state) {
    int32_t seed = -1;
    for (auto _ : state) benchmark::DoNotOptimize(UniformDeviate(seed));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UniformDeviate);

void BM_GaussianDeviate(benchmark::State& state) {
    int32_t seed = -1;
    for (auto _ : state) benchmark::DoNotOptimize(GaussianDeviate(seed, 0.0, 1.0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GaussianDeviate);

// Midpoint displacement alone: 2^N + 1 points in memory, nothing written.
void BM_BuildSeries(benchmark::State& state) {
    const int32_t levels = static_cast<int32_t>(state.range(0));
    SeriesPointPool pool(SeriesLength(levels));
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state) {
        int32_t seed = -3;
        benchmark::DoNotOptimize(BuildSeries(pool, levels, 1, 0.7, seed));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(SeriesLength(levels)));
}
BENCHMARK(BM_BuildSeries)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);

// A whole request of one series of 2^20 + 1 values, written as text or binary.
void BM_Generate(benchmark::State& state) {
    GeneratorSettings settings;
    settings.lengthExponent = 20;
    settings.hurstStart = settings.hurstEnd = 0.7;
    settings.outputPath = Files().folder;
    settings.filePrefix = "generated_";
    settings.outputKind = static_cast<int32_t>(state.range(0));
    settings.seed = -3;
    NullSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state)
        if (Generate(settings) != kGenerated) state.SkipWithError("generation failed");
    state.SetItemsProcessed(state.iterations() * ((1 << 20) + 1));
    state.SetLabel(settings.outputKind == 1 ? "text, 10 decimals" : "binary");
}
BENCHMARK(BM_Generate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fractan

BENCHMARK_MAIN();
