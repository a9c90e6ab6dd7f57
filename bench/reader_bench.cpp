// Reading a long text series against a bare fast_float loop over the same file:
//   build/bench/fractan_bench --benchmark_filter='LoadTextSeries|BareFastFloat'
// The ratio of their times is what the loader costs beyond parsing.

#include <benchmark/benchmark.h>
#include <fast_float/fast_float.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "setup/containers.h"
#include "setup/output.h"
#include "setup/series_loader.h"

namespace fractan {
namespace {

class QuietSink : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// A random walk of 10^7 values printed with %.17g, made once (outside the
// timing) in the system's temporary folder and removed at exit.
struct WalkText {
    static constexpr int32_t kLines = 10'000'000;
    std::string folder, path;
    WalkText() {
        folder = (std::filesystem::temp_directory_path() / "fractan-reader-bench").string();
        std::filesystem::create_directories(folder);
        path = folder + "/walk.txt";
        std::mt19937_64 engine(7);
        std::normal_distribution<double> step;
        std::FILE* file = std::fopen(path.c_str(), "w");
        double x = 0.0;
        for (int32_t i = 0; file && i < kLines; ++i) {
            x += step(engine);
            std::fprintf(file, "%.17g\n", x);
        }
        if (file) std::fclose(file);
    }
    ~WalkText() { std::filesystem::remove_all(folder); }
};

const WalkText& Walk() {
    static WalkText walk;
    return walk;
}

// With the data size given, and with kAllSamples (the length not known).
void BM_LoadTextSeries(benchmark::State& state) {
    const std::string& path = Walk().path;
    const auto size = static_cast<int32_t>(state.range(0));
    QuietSink sink;
    ScopedOutputRedirect quiet(sink);
    for (auto _ : state) {
        SampleArray data;
        if (!LoadSeries(data, path, kTextInput, size, 0) || data.Size() != WalkText::kLines)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(data.Data());
    }
    state.SetItemsProcessed(state.iterations() * WalkText::kLines);
    state.SetLabel(size == kAllSamples ? "all samples" : "data size given");
}
BENCHMARK(BM_LoadTextSeries)->Arg(WalkText::kLines)->Arg(kAllSamples)->Unit(benchmark::kMillisecond);

// The same file read whole into memory, then parsed number by number.
void BM_BareFastFloat(benchmark::State& state) {
    const std::string& path = Walk().path;
    for (auto _ : state) {
        std::string text(std::filesystem::file_size(path), '\0');
        std::FILE* file = std::fopen(path.c_str(), "rb");
        const size_t got = file ? std::fread(text.data(), 1, text.size(), file) : 0;
        if (file) std::fclose(file);
        std::vector<double> values;
        const char* p = text.data();
        const char* end = p + got;
        for (;;) {
            while (p < end && (*p == ' ' || *p == '\n')) ++p;
            if (p == end) break;
            double v = 0.0;
            const auto [next, ec] = fast_float::from_chars(p, end, v);
            if (ec != std::errc()) break;
            values.push_back(v);
            p = next;
        }
        if (values.size() != static_cast<size_t>(WalkText::kLines)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * WalkText::kLines);
}
BENCHMARK(BM_BareFastFloat)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fractan
