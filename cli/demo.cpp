#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/commands.h"
#include "engine/result_files.h"
#include "setup/paths.h"

namespace fractan::cli {
namespace {

// Standard normal draws by the Box–Muller transform on a fully specified
// generator, so the demo series is the same on every machine.
class GaussianSource {
public:
    explicit GaussianSource(uint64_t seed) : engine_(seed) {}
    double Next() {
        if (cached_) {
            cached_ = false;
            return spare_;
        }
        const double u1 = 1.0 - Uniform();  // (0, 1]
        const double u2 = Uniform();
        const double radius = std::sqrt(-2.0 * std::log(u1));
        const double angle = 2.0 * M_PI * u2;
        spare_ = radius * std::sin(angle);
        cached_ = true;
        return radius * std::cos(angle);
    }

private:
    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }  // [0, 1)
    std::mt19937_64 engine_;
    double spare_ = 0.0;
    bool cached_ = false;
};

bool WriteRandomWalk(const std::string& path, int32_t length, uint64_t seed) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    GaussianSource source(seed);
    double walk = 0.0;
    for (int32_t i = 0; i < length; ++i) {
        walk += source.Next();
        std::fprintf(file, "%.17g\n", walk);
    }
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

// The H of the last line of a result file; NaN when there is none.
double LastResultHurst(const std::string& resultPath) {
    std::ifstream file(resultPath);
    std::string line, last;
    while (std::getline(file, line))
        if (!line.empty()) last = line;
    const size_t tab = last.rfind('\t');
    if (tab == std::string::npos) return std::nan("");
    return std::strtod(last.c_str() + tab + 1, nullptr);
}

}  // namespace

int RunDemoCommand(const DemoOptions& options, std::ostream& out, std::ostream& err) {
    if (::mkdir(options.folder.c_str(), 0777) != 0 && errno != EEXIST) {
        err << "fractan: cannot create folder [" << options.folder << "].\n";
        return kExitFailure;
    }
    const std::string seriesPath = JoinPath(options.folder, "random_walk.txt");
    out << "Writing a Gaussian random walk of " << options.length << " samples (seed " << options.seed
        << ") to [" << seriesPath << "]\n";
    if (!WriteRandomWalk(seriesPath, options.length, options.seed)) {
        err << "fractan: cannot write [" << seriesPath << "].\n";
        return kExitFailure;
    }

    // Scales 8 … a sixteenth of the series, doubling, for both methods.
    const ScaleProgression scales{8, std::max(8, options.length / 16), 2, kGeometric, {}};
    const SizeList sizes = scales.Expand();
    AnalysisParameters params;
    params.inputFileMode = 0;
    params.inputFileName = seriesPath;
    params.inputFileType = 0;
    params.dataSize = options.length;
    params.outputPath = options.folder;
    params.testName = "demo";
    params.averageProgression = scales;

    // Static DMA: the data window takes what the moving averages leave.
    params.computationType = 2;
    params.windowSize = options.length - 2 * (sizes.Empty() ? 0 : sizes.Last()) - 1;
    int code = RunCheckedAnalysis(params, out, err, false);
    if (code != kExitOk) return code;
    const std::string dmaResult = ResultFilePath(params.outputPath, params.testName, 2);

    // Static DFA with linear trends: the boxes tile every sample but the first.
    params.computationType = 3;
    params.dfaOrder = 1;
    params.windowSize = options.length - 1;
    code = RunCheckedAnalysis(params, out, err, false);
    if (code != kExitOk) return code;
    const std::string dfaResult = ResultFilePath(params.outputPath, params.testName, 3);

    const double dma = LastResultHurst(dmaResult), dfa = LastResultHurst(dfaResult);
    char text[240];
    std::snprintf(text, sizeof text,
                  "Expected H:                   %.2f\n"
                  "Estimated H, Static DMA (2):  %.4f\n"
                  "Estimated H, Static DFA (3):  %.4f\n",
                  0.5, dma, dfa);
    out << "\n" << text;
    for (const std::string& result : {dmaResult, dfaResult}) {
        out << "Result file: [" << result << "]\n";
        out << "Chart file:  [" << ChartFilePath(result, seriesPath) << "]\n";
    }
    return std::isfinite(dma) && std::isfinite(dfa) ? kExitOk : kExitFailure;
}

}  // namespace fractan::cli
