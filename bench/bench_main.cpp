// Speed of the innermost operations and of whole DMA runs.
//   build/bench/fractan_bench                 every benchmark
//   build/bench/fractan_bench --benchmark_filter=Dynamic
// Memory of a long dynamic run is measured on the command itself: bench/memory_dynamic.sh.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/dynamic_dma.h"
#include "engine/static_dma.h"
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

}  // namespace
}  // namespace fractan

BENCHMARK_MAIN();
