// `fractan multifractal INPUT`: F_q(n) and the multifractal spectrum of a
// series by MF-DFA or MF-DMA, written to INPUT.mfdfa.fq.txt (a column per q)
// and INPUT.mfdfa.spectrum.txt (q, h, tau, alpha, f); .mfdma. for MF-DMA.

#include <algorithm>
#include <cstdio>
#include <fstream>
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
    std::vector<double> parts;
    std::string list = text;
    std::replace(list.begin(), list.end(), ':', ',');
    if (text.find(':') == std::string::npos) return ReadList(text, q);
    if (!ReadList(list, parts) || parts.size() != 3 || !(parts[2] > 0.0) || parts[1] < parts[0]) return false;
    for (int64_t i = 0; parts[0] + i * parts[2] <= parts[1] + parts[2] * 1e-9 && i < 100000; ++i)
        q.push_back(parts[0] + i * parts[2]);
    return true;
}

// Writes the table to path by way of a file beside it, so that a failed write leaves nothing half-written.
bool WriteTable(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    {
        std::ofstream out(part);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(part.c_str(), path.c_str()) == 0;
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
    std::string fq = "# n", spectrum = "# q h tau alpha f\n";
    for (double q : r.q) fq += Formatted(" F_%g", q);
    fq += "\n";
    for (size_t k = 0; k < r.scales.size(); ++k) {
        fq += std::to_string(r.scales[k]);
        for (size_t j = 0; j < r.q.size(); ++j) fq += Formatted(" %.10g", r.fluctuation[j][k]);
        fq += "\n";
    }
    for (size_t j = 0; j < r.q.size(); ++j)
        spectrum += Formatted("%g %.10g %.10g %.10g %.10g\n", r.q[j], r.h[j], r.tau[j], r.alpha[j], r.f[j]);
    const std::string base = input + ".mf" + chosen->name;
    for (const auto& [path, text] : {std::pair{base + ".fq.txt", fq}, std::pair{base + ".spectrum.txt", spectrum}}) {
        if (!WriteTable(path, text)) {
            err << "fractan: cannot write [" << path << "].\n";
            return kExitFailure;
        }
        std::cout << chosen->title << " file: [" << path << "]\n";
    }
    return r.status == AnalysisStatus::kAnalysed ? kExitOk : kExitFailure;
}

}  // namespace
}  // namespace multifractal

const Subcommand kMultifractalCommand{
    "multifractal", "F_q(n) and the multifractal spectrum h(q), tau(q), f(alpha) of a series by MF-DFA or MF-DMA",
    multifractal::Declare, multifractal::Run, false};

}  // namespace fractan::cli
