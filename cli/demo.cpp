// `fractan demo`: a series with a known H generated, and its H estimated by
// static DMA and static DFA.

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "cli/subcommands.h"
#include "generator/generator.h"
#include "generator/series_writer.h"

namespace fractan::cli {
namespace demo {
namespace {

constexpr double kDemoHurst = 0.7;
constexpr int32_t kMinDemoLevels = 10, kMaxDemoLevels = 26;

struct {
    std::string folder = "fractan-demo";
    int32_t levels = 16;       // the series has 2^levels + 1 samples
    int32_t seed = -20261206;  // negative: the same series on every run
} options;

void Declare(CLI::App& cmd) {
    cmd.add_option("--folder", options.folder, "Folder for the series and the results")->capture_default_str();
    cmd.add_option("--levels", options.levels, "Length exponent N: the series has 2^N + 1 samples")
        ->capture_default_str()
        ->check(CLI::Range(kMinDemoLevels, kMaxDemoLevels));
    cmd.add_option("--seed", options.seed, "Seed of the generator (negative: the same series on every run)")
        ->capture_default_str();
}

// The H the run found for its one file; NaN when it found none.
double HurstOf(const RunSummary& summary) {
    return summary.files.empty() ? std::nan("") : summary.files.back().hurst;
}

int Run(const CLI::App&) {
    std::ostream &out = std::cout, &err = std::cerr;
    if (::mkdir(options.folder.c_str(), 0777) != 0 && errno != EEXIST) {
        err << "fractan: cannot create folder [" << options.folder << "].\n";
        return kExitFailure;
    }
    // One series of fractional Brownian motion by random midpoint displacement:
    // the estimators take it as the profile it is.
    GeneratorSettings settings;
    settings.lengthExponent = options.levels;
    settings.hurstStart = settings.hurstEnd = kDemoHurst;
    settings.outputPath = options.folder;
    settings.filePrefix = "demo_";
    settings.outputKind = kTextSeries;
    settings.seed = options.seed;
    const std::string seriesPath = SeriesBaseName(settings.outputPath, settings.filePrefix, kDemoHurst, 1) + ".txt";
    const int32_t length = static_cast<int32_t>((int64_t{1} << options.levels) + 1);
    out << "Generating a series of " << length << " samples with H = " << kDemoHurst << " (seed "
        << options.seed << ") in [" << seriesPath << "]\n";
    GeneratorSummary generated;
    const GeneratorStatus status = Generate(settings, &generated);
    if (status == kGeneratorStopped) {
        err << "fractan: generation stopped.\n";
        return kExitStopped;
    }
    if (status != kGenerated || generated.seriesWritten != 1) {
        err << "fractan: cannot write [" << seriesPath << "].\n";
        return kExitFailure;
    }

    // Scales 8 … a sixteenth of the series, doubling, for both methods.
    const ScaleProgression scales{8, std::max(8, length / 16), 2, kGeometric, {}};
    const SizeList sizes = scales.Expand();
    AnalysisParameters params;
    params.inputFileMode = 0;
    params.inputFileName = seriesPath;
    params.inputFileType = 0;
    params.dataSize = length;
    params.outputPath = options.folder;
    params.testName = "demo";
    params.averageProgression = scales;

    // Static DMA: the data window takes what the moving averages leave.
    params.computationType = 2;
    params.windowSize = length - 2 * (sizes.Empty() ? 0 : sizes.Last()) - 1;
    int code = kExitOk;
    const RunSummary dmaRun = RunCheckedAnalysis(params, out, err, &code, {}, false);
    if (code != kExitOk) return code;

    // Static DFA with linear trends: the boxes tile every sample but the first.
    params.computationType = 3;
    params.dfaOrder = 1;
    params.windowSize = length - 1;
    const RunSummary dfaRun = RunCheckedAnalysis(params, out, err, &code, {}, false);
    if (code != kExitOk) return code;

    const double dma = HurstOf(dmaRun), dfa = HurstOf(dfaRun);
    char text[240];
    std::snprintf(text, sizeof text,
                  "Expected H:                   %.2f\n"
                  "Estimated H, Static DMA (2):  %.4f\n"
                  "Estimated H, Static DFA (3):  %.4f\n",
                  kDemoHurst, dma, dfa);
    out << "\n" << text;
    for (const RunSummary* run : {&dmaRun, &dfaRun}) {
        out << "Result file: [" << run->resultPath << "]\n";
        out << "Chart file:  [" << run->files.back().chartFile << "]\n";
    }
    return std::isfinite(dma) && std::isfinite(dfa) ? kExitOk : kExitFailure;
}

}  // namespace
}  // namespace demo

const Subcommand kDemoCommand{
    "demo",
    "Generate a series with H = 0.7 by random midpoint displacement, estimate its H by static DMA and "
    "static DFA, and print them",
    demo::Declare, demo::Run, false};

}  // namespace fractan::cli
