// `fractan xcorr X Y`: the cross-correlation of two series across scales by
// DCCA or DMCA (engine/cross_correlation.h), written to X.YNAME.dcca.txt
// (n, F2xy, Fx, Fy, rho), or with --window to X.YNAME.dcca.sliding.txt (rho
// at every scale along the series); the exponent and a summary of rho close
// the file and the run.

#include "cli/subcommands.h"
#include "engine/cross_correlation.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "setup/stop.h"

namespace fractan::cli {
namespace xcorr {
namespace {

std::string first, second, column, secondColumn, method = "dcca", boxes = "end", output;
std::vector<int32_t> scales;
int32_t least = 0, most = 0, order = 1, window = 0, step = DefaultOf<int32_t>(kUsesStep);
double theta = 0.0;
bool integrate = false;

void Declare(CLI::App& cmd) {
    cmd.add_option("first", first, "The first series' file")->required();
    cmd.add_option("second", second, "The second series' file, of the same length")->required();
    cmd.add_option("--method", method, "Detrending: " + CrossCorrelationMethodNames() +
                                            " (boxes fitted with a polynomial, or moving averages)")
        ->capture_default_str();
    CLI::Option* given =
        cmd.add_option("--scales", scales, "Box sizes or average lengths n separated by commas")->delimiter(',');
    cmd.add_option("--min", least, "Least scale of the default 20, spread evenly in log n (default: 4, or "
                                   "order + 2 when above)")
        ->check(AtLeast(1))
        ->excludes(given);
    cmd.add_option("--max", most, "Greatest scale of the default 20 (default: an eighth of the samples, or of the "
                                  "window)")
        ->check(AtLeast(1))
        ->excludes(given);
    cmd.add_option("--order", order, std::string("DCCA: ") + DescriptionOf(kUsesOrder).help)->capture_default_str();
    cmd.add_option("--boxes", boxes, std::string("DCCA: ") + DescriptionOf(kUsesBoxes).help)->capture_default_str();
    cmd.add_option("--theta", theta, "DMCA: where the moving average lies, 0 backward, 0.5 centred, 1 forward")
        ->capture_default_str();
    cmd.add_flag("--integrate", integrate, "Analyse the cumulative sums of the samples less their means");
    cmd.add_option("--window", window, "Sliding: rho of the W samples up to every step-th position")
        ->check(AtLeast(1));
    cmd.add_option("--step", step, "Sliding: the samples between positions")->capture_default_str()->check(AtLeast(1));
    AddColumnOption(cmd, column);
    cmd.add_option("--second-column", secondColumn, "Column of the second file, when not that of --column");
    cmd.add_option("-o,--output", output, "Result file (default: beside the first, FIRST.SECONDNAME.METHOD.txt, "
                                          ".sliding.txt with --window)");
}

int Run(const CLI::App&) {
    std::ostream& err = std::cerr;
    const CrossCorrelationMethod* chosen = FindCrossCorrelationMethod(method);
    if (!chosen) {
        err << "fractan: the method [" << method << "] is not " << CrossCorrelationMethodNames() << ".\n";
        return kExitFailure;
    }
    const SeriesFile x = LoadSeriesFile(first, column);
    const SeriesFile y = LoadSeriesFile(second, secondColumn.empty() ? column : secondColumn);
    for (const SeriesFile* series : {&x, &y})
        if (!series->reason.empty()) {
            err << "fractan: " << series->reason << "\n";
            return kExitFailure;
        }
    CrossCorrelationSettings s{chosen->family, scales, order, boxes, theta, integrate, window, step};
    if (s.scales.empty()) s.scales = DefaultCrossCorrelationScales(s, x.samples.Size(), least, most);
    const CrossCorrelationResult r = AnalyseCrossCorrelation(x.Samples(), y.Samples(), s);
    if (r.status == AnalysisStatus::kStopped) {
        err << "fractan: stopped; nothing was written.\n";
        return kExitStopped;
    }
    if (r.status == AnalysisStatus::kRefused) {
        err << "fractan: [" << first << "] and [" << second << "]: " << r.reason << "\n";
        return kExitFailure;
    }
    const std::string path = output.empty() ? CrossCorrelationFileOf(first, second, *chosen, r.Sliding()) : output;
    if (!WriteCrossCorrelationFile(path, r)) {
        err << "fractan: cannot write [" << path << "].\n";
        return kExitFailure;
    }
    std::cout << chosen->title << " file: [" << path << "]\n";
    for (const std::string& line : r.Summary()) std::cout << line << "\n";
    if (r.status == AnalysisStatus::kNotFinite) {
        err << "fractan: [" << first << "] and [" << second << "]: " << r.reason << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace
}  // namespace xcorr

const Subcommand kXcorrCommand{
    "xcorr", "Cross-correlation of two series across scales: F2xy(n), its exponent and rho(n) by DCCA or DMCA",
    xcorr::Declare, xcorr::Run, false};

}  // namespace fractan::cli
