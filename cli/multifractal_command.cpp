// `fractan multifractal INPUT`: F_q(n) and the multifractal spectrum of a
// series (or of every series of a files list, on --jobs threads) by MF-DFA or
// MF-DMA, written to INPUT.mfdfa.fq.txt (a column per q) and
// INPUT.mfdfa.spectrum.txt (q, h, tau, alpha, f); .mfdma. for MF-DMA.

#include <algorithm>
#include <sstream>

#include "cli/subcommands.h"
#include "engine/multifractal.h"
#include "setup/ordered_jobs.h"
#include "setup/output.h"
#include "setup/parameters.h"
#include "setup/series_loader.h"
#include "setup/stop.h"

namespace fractan::cli {
namespace multifractal {
namespace {

std::string input, mode = "single", column, method = "dfa", qText = "-5:5:0.5", scalesText, boxes = "end";
int32_t order = 1, jobs = 0;
double theta = 0.0;
bool integrate = false;

void Declare(CLI::App& cmd) {
    cmd.add_option("input", input, "Series file; with --mode multi, a files-list file naming one series per line")
        ->required();
    cmd.add_option("-m,--mode", mode, "Input mode: single or multi")->capture_default_str();
    AddJobsOption(cmd, jobs);
    cmd.add_option("--method", method, "Detrending: " + MultifractalMethodNames())->capture_default_str();
    cmd.add_option("--q", qText, "The orders q: FIRST:LAST:STEP, or a list separated by commas")
        ->capture_default_str();
    cmd.add_option("--scales", scalesText,
                   "Segment lengths separated by commas (default: 20 spread evenly in log n from 16 to an eighth "
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

// What became of one file: the lines its commit prints, and whether it failed.
struct FileOutcome {
    std::string out, err;
    bool failed = false;
};

FileOutcome AnalyseFile(const std::string& file, MultifractalSettings s, const MultifractalMethod& chosen) {
    FileOutcome o;
    o.failed = true;
    const SeriesFile series = LoadSeriesFile(file, column);
    if (!series.reason.empty()) {
        o.err = "fractan: " + series.reason + "\n";
        return o;
    }
    const std::span<const double> samples = series.Samples();
    if (s.scales.empty()) s.scales = DefaultMultifractalScales(s, static_cast<int64_t>(samples.size()));
    const MultifractalResult r = AnalyseMultifractal(samples, s);
    if (r.status == AnalysisStatus::kRefused || r.status == AnalysisStatus::kStopped) {
        if (r.status == AnalysisStatus::kRefused) o.err = "fractan: [" + file + "]: " + r.reason + "\n";
        return o;
    }
    if (r.status == AnalysisStatus::kNotFinite) o.err = "fractan: [" + file + "]: " + r.reason + "\n";
    const MultifractalFiles files = MultifractalFilesOf(file, chosen);
    if (const std::string failed = WriteMultifractalFiles(files, r); !failed.empty()) {
        o.err += "fractan: cannot write [" + failed + "].\n";
        return o;
    }
    for (const std::string& path : {files.fluctuations, files.spectrum})
        o.out += std::string(chosen.title) + " file: [" + path + "]\n";
    o.failed = r.status != AnalysisStatus::kAnalysed;
    return o;
}

int Run(const CLI::App&) {
    std::ostream& err = std::cerr;
    const MultifractalMethod* chosen = FindMultifractalMethod(method);
    if (!chosen) {
        err << "fractan: the method [" << method << "] is not " << MultifractalMethodNames() << ".\n";
        return kExitFailure;
    }
    if (mode != "single" && mode != "multi") {
        err << "fractan: input mode [" << mode << "] is not single or multi.\n";
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
    std::vector<double> scales;
    if (!scalesText.empty() && !ReadList(scalesText, scales)) {
        err << "fractan: --scales [" << scalesText << "] is not a list of whole numbers.\n";
        return kExitFailure;
    }
    for (double n : scales) s.scales.push_back(static_cast<int32_t>(n));
    std::vector<std::string> files{input};
    if (mode == "multi") {
        files.clear();
        std::string note;
        if (!ReadFilesList(input, files, &note) || files.empty()) {
            err << "fractan: the files list [" << input << "] cannot be read or its first line is empty.\n";
            return kExitFailure;
        }
        if (!note.empty()) err << "fractan: " << note << "\n";
    }
    // The files on --jobs threads, each file's lines printed in list order.
    std::vector<FileOutcome> outcomes(files.size());
    int32_t failed = 0;
    RunInListOrder(
        static_cast<int32_t>(files.size()), JobsFor(jobs),
        [&](int32_t i) { outcomes[i] = AnalyseFile(files[i], s, *chosen); },
        [&](int32_t i) {
            std::cout << outcomes[i].out << std::flush;
            err << outcomes[i].err;
            failed += outcomes[i].failed;
        });
    if (StopRequested()) {
        err << "fractan: stopped; the files written so far are kept.\n";
        return kExitStopped;
    }
    if (failed > 0 && files.size() > 1)
        err << "fractan: " << failed << " of " << files.size() << " input files could not be analysed.\n";
    return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace
}  // namespace multifractal

const Subcommand kMultifractalCommand{
    "multifractal", "F_q(n) and the multifractal spectrum h(q), tau(q), f(alpha) of a series by MF-DFA or MF-DMA",
    multifractal::Declare, multifractal::Run, false};

}  // namespace fractan::cli
