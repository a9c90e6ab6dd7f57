#pragma once
// Multifractal fluctuation analysis. The profile (the samples, or their
// cumulative sum less the mean) is cut at each scale n into segments v of n
// samples, F²(v) is the mean squared residual of its detrending, and
//
//   F_q(n) = {mean over v of [F²(v)]^(q/2)}^(1/q),   F_0(n) = exp{mean over v of ln F(v)},
//
// with the residuals of a DFA box fit of any order and placement (Kantelhardt
// et al., Physica A 316, 87, 2002) or of a moving average reaching back
// ⌈(n − 1)(1 − θ)⌉ and ahead ⌊(n − 1)θ⌋ samples, θ = 0, 0.5, 1 backward,
// centred and forward (Gu and Zhou, Phys. Rev. E 82, 011136, 2010). From them
// h(q), the slopes of log F_q against log n, τ(q) = q·h(q) − 1 and the
// singularity spectrum α = dτ/dq, f(α) = q·α − τ.
//
// A segment whose fluctuation is zero (a flat stretch) would make F_q infinite
// for q < 0 and q = 0: it is left out of those, and counted.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/methods.h"

namespace fractan {

// The multifractal methods, a table of their own: they are not computation
// types of the record (whose types 0 … 9 the record, the files lists and the
// refusals name), and their settings are q and a family's detrending.
struct MultifractalMethod {
    const char* name;   // "dfa", "dma": the command's --method; the module's mfdfa, mfdma
    const char* title;  // "MF-DFA": file names and messages
    MethodFamily family;
    uint32_t settings;   // the MethodSetting bits it reads (order and boxes for DFA)
    int32_t leastScale;  // the least segment; above the order for a method that uses it
};
std::span<const MultifractalMethod> MultifractalMethods();
// The method of a --method name; nullptr for any other.
const MultifractalMethod* FindMultifractalMethod(const std::string& name);
// "dfa or dma", for refusals and help.
std::string MultifractalMethodNames();

struct MultifractalSettings {
    MethodFamily family = MethodFamily::kDfa;
    std::vector<double> q;        // rising
    std::vector<int32_t> scales;  // the segment lengths n
    int32_t order = 1;            // DFA: the polynomial's degree, 0 … 5
    std::string boxes = "end";    // DFA: end, both, overlap or overlap:STEP (engine/dfa.h)
    double theta = 0.0;           // DMA: 0 backward, 0.5 centred, 1 forward moving average
    bool integrate = false;       // analyse the cumulative sum of the samples less their mean
};

// q from `first` to `last` by `step`, the last included when within rounding
// of it; empty when the range does not rise (a step of 0 or less, last below first).
std::vector<double> MultifractalQRange(double first, double last, double step);

// q from −5 to 5 by 0.5, and 20 scales spread evenly in log n from the least
// segment (at least 16) to an eighth of the samples.
std::vector<double> DefaultMultifractalQ();
std::vector<int32_t> DefaultMultifractalScales(const MultifractalSettings& settings, int64_t length);

struct MultifractalResult {
    AnalysisStatus status = AnalysisStatus::kRefused;
    std::string reason;
    std::vector<double> q;
    std::vector<int32_t> scales;
    std::vector<std::vector<double>> fluctuation;  // F_q(n): a row per q, a column per scale
    std::vector<int64_t> segments, flat;           // per scale: the segments, and those of zero fluctuation
    std::vector<double> h, tau, alpha, f;          // per q
    int64_t FlatSegments() const;
    // "Note: 3 of the 420 segments have zero fluctuation ...", or an empty text when none has.
    std::string FlatSegmentsNote() const;
};

// The files of a series' analysis, beside it: INPUT.mfdfa.fq.txt, F_q(n)
// with a column per q, and INPUT.mfdfa.spectrum.txt (q, h, tau, alpha, f);
// .mfdma. for MF-DMA.
struct MultifractalFiles {
    std::string fluctuations, spectrum;
};
MultifractalFiles MultifractalFilesOf(const std::string& input, const MultifractalMethod& method);
// Writes both, each by way of a file beside it, so that a failed write leaves
// nothing half-written; the path that could not be written, or an empty text.
std::string WriteMultifractalFiles(const MultifractalFiles& files, const MultifractalResult& result);

// The first refusal of the settings for a series of `length` samples, or none.
Refusal CheckMultifractal(const MultifractalSettings& settings, int64_t length);

// F_q(n) and the spectrum, with a line saying how many flat segments were
// left out; status kStopped when a stop is requested.
MultifractalResult AnalyseMultifractal(std::span<const double> samples, const MultifractalSettings& settings);

}  // namespace fractan
