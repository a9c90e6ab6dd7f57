// `fractan multifractal INPUT`: F_q(n) and the multifractal spectrum of a
// series by MF-DFA or MF-DMA, written to INPUT.mfdfa.fq.txt (a column per q)
// and INPUT.mfdfa.spectrum.txt (q, h, tau, alpha, f); .mfdma. for MF-DMA.

#include <algorithm>
#include <sstream>

#include "cli/subcommands.h"
#include "engine/multifractal.h"
#include "setup/output.h"
#include "setup/series_loader.h"

namespace fractan::cli {
namespace multifractal {
namespace {

std::string input, column, method = "dfa", qText = "-5:5:0.5", scalesText, boxes = "end";
int32_t order = 1;
double theta = 0.0;
bool integrate = false;

void Declare(CLI::App& cmd) {
    cmd.add_option("input", input, "Series file")->required();
    cmd.add_option("--method", method, "Detrending: " + MultifractalMethodNames())->capture_default_str();
    cmd.add_option("--q", qText, "The orders q: FIRST:LAST:STEP, or a list separated by commas")
        ->capture_default_str();
    cmd.add_option("--scales", scalesText,
                   "Segment lengths separated by commas (default: 20 spread evenly in log n from 10 to a quarter "
                   "of the samples)");
    cmd.add_option("--order", order, std::string("DFA: ") + DescriptionOf(kUsesOrder).help)->capture_default_str();
    cmd.add_option("--boxes", boxes, std::string("DFA: ") + DescriptionOf(kUsesBoxes).help)->capture_default_str();
    cmd.add_option("--theta", theta, "DMA: where the moving average lies, 0 backward, 0.5 centred, 1 forward")
        ->capture_default_str();
    cmd.add_flag("--integrate", integrate, "Analyse the cumulative sum of the samples less their mean");
    AddColumnOption(cmd, column);
}

// Numbers separated by commas; false at a word that is not one.
bool ReadList(const std::string& text, std::vector<double>& values) {
    std::stringstream words(text);
    for (std::string word; std::getline(words, word, ',');) {
        size_t used = 0;
        try {
            values.push_back(std::stod(word, &used));
        } catch (const std::exception&) {
            return false;
        }
        if (used != word.size()) return false;
    }
    return !values.empty();
}

// FIRST:LAST:STEP or a list.
bool ReadQ(const std::string& text, std::vector<double>& q) {
    if (text.find(':') == std::string::npos) return ReadList(text, q);
    std::string list = text;
    std::replace(list.begin(), list.end(), ':', ',');
    std::vector<double> parts;
    if (!ReadList(list, parts) || parts.size() != 3) return false;
    q = MultifractalQRange(parts[0], parts[1], parts[2]);
    return !q.empty();
}

int Run(const CLI::App&) {
    std::ostream& err = std::cerr;
    const MultifractalMethod* chosen = FindMultifractalMethod(method);
    if (!chosen) {
        err << "fractan: the method [" << method << "] is not " << MultifractalMethodNames() << ".\n";
        return kExitFailure;
    }
    MultifractalSettings s;
    s.family = chosen->family;
    s.order = order;
    s.boxes = boxes;
    s.theta = theta;
    s.integrate = integrate;
    if (!ReadQ(qText, s.q)) {
        err << "fractan: --q [" << qText << "] is not FIRST:LAST:STEP (a rising range) or a list of numbers.\n";
        return kExitFailure;
    }
    const SeriesFile series = LoadSeriesFile(input, column);
    if (!series.reason.empty()) {
        err << "fractan: " << series.reason << "\n";
        return kExitFailure;
    }
    const std::span<const double> samples(series.samples.Size() > 0 ? &series.samples[0] : nullptr,
                                          static_cast<size_t>(series.samples.Size()));
    std::vector<double> scales;
    if (!scalesText.empty() && !ReadList(scalesText, scales)) {
        err << "fractan: --scales [" << scalesText << "] is not a list of whole numbers.\n";
        return kExitFailure;
    }
    for (double n : scales) s.scales.push_back(static_cast<int32_t>(n));
    if (scales.empty()) s.scales = DefaultMultifractalScales(s, static_cast<int64_t>(samples.size()));
    const MultifractalResult r = AnalyseMultifractal(samples, s);
    if (r.status == AnalysisStatus::kRefused) {
        err << "fractan: [" << input << "]: " << r.reason << "\n";
        return kExitFailure;
    }
    if (r.status == AnalysisStatus::kStopped) {
        err << "fractan: stopped; nothing was written.\n";
        return kExitStopped;
    }
    if (r.status == AnalysisStatus::kNotFinite) err << "fractan: [" << input << "]: " << r.reason << "\n";
    const MultifractalFiles files = MultifractalFilesOf(input, *chosen);
    if (const std::string failed = WriteMultifractalFiles(files, r); !failed.empty()) {
        err << "fractan: cannot write [" << failed << "].\n";
        return kExitFailure;
    }
    for (const std::string& path : {files.fluctuations, files.spectrum})
        std::cout << chosen->title << " file: [" << path << "]\n";
    return r.status == AnalysisStatus::kAnalysed ? kExitOk : kExitFailure;
}

}  // namespace
}  // namespace multifractal

const Subcommand kMultifractalCommand{
    "multifractal", "F_q(n) and the multifractal spectrum h(q), tau(q), f(alpha) of a series by MF-DFA or MF-DMA",
    multifractal::Declare, multifractal::Run, false};

}  // namespace fractan::cli
