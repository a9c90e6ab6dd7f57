#pragma once
// The scaling engine on samples in memory: DMA and DFA of a series held by the
// caller, with no file read or written.
//
//   std::vector<double> walk = ...;
//   fractan::AnalysisSettings s;
//   s.computationType = 3;                 // static DFA
//   s.windowSize = walk.size() - 1;
//   s.sizes = {4, 8, 16, 32, 64, 128};     // box sizes; the last is taken as the largest
//   fractan::AnalysisResult r = fractan::Analyse(walk, s);
//   if (r.status == fractan::AnalysisStatus::kAnalysed) use(r.hurst, r.fluctuations);
//
// The numbers are those the file-writing runs write. Progress lines go through
// the output facility (setup/output.h: redirect it to keep them), and a stop
// requested through setup/stop.h ends the computation at its next check.

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/interval.h"
#include "setup/parameters.h"

namespace fractan {

// What to compute, with the record's meaning (setup/parameters.h).
struct AnalysisSettings {
    int32_t computationType = 2;  // 0 … 9 (engine/names.h)
    int32_t windowSize = 0;       // W
    std::vector<int32_t> sizes;   // moving-average window or DFA box sizes; the last is M
    int32_t dynamicStep = 100;    // dynamic types: every step-th position (below 2: every one)
    int32_t dfaOrder = 1;         // DFA: the polynomial's degree, 0 constant … 5
    std::string dfaBoxes = "end"; // DFA: where the boxes lie, end, both, overlap or overlap:STEP (engine/dfa.h)
    int32_t dmaWeight = 0;        // smoothed DMA (4, 8, 9): filter length, 0 for the plain average
    double dmaLambda = 0.0;       // type 9: the blend of the earlier output
    double shiftPercentage = 0.0; // shifted DMA (5, 6): the shift as a fraction of each window
    bool integrate = false;       // analyse the cumulative sum of the samples less their mean
    std::optional<IntervalRequest> interval;  // static types: an interval on H (engine/interval.h)
    int32_t jobs = 1;             // threads sharing the scales and positions (0: one per core)
};

// The settings of a record, its progression expanded (reading a custom file;
// `note`, when given, says why it gives no size or what is wrong with it).
AnalysisSettings SettingsOf(const AnalysisParameters& record, std::string* note = nullptr);
// The settings of a variant called with its own arguments.
AnalysisSettings SettingsOf(int32_t type, int32_t windowSize, const ScaleProgression& progression,
                            std::string* note = nullptr);

enum class AnalysisStatus {
    kAnalysed,
    kRefused,    // `reason` says why; nothing was computed
    kStopped,    // a stop was requested; a dynamic result holds the positions done
    kNotFinite,  // computed, but H is not a finite number somewhere; `reason` says why
};

struct AnalysisResult {
    AnalysisStatus status = AnalysisStatus::kRefused;
    std::string reason;
    std::vector<int32_t> sizes;        // the scales n_k
    // Static types:
    std::vector<double> fluctuations;  // F(n_k)
    double hurst = std::numeric_limits<double>::quiet_NaN();
    double hurstError = std::numeric_limits<double>::quiet_NaN();  // standard error of the fitted slope
    int32_t position = 0;              // the result line's position field: M + W (W for DFA)
    std::optional<HurstInterval> interval;  // when asked: the interval, or why there is none
    // Dynamic types: every evaluated position (0-based index in the samples) and its H.
    std::vector<int32_t> positions;
    std::vector<double> hursts;
};

// The defaults of the command line, for callers that leave them open. The
// largest scale: an eighth of the samples (DMA) or of W (DFA), not below the
// first scale. W: every sample but the first for DFA, the largest that fits
// (samples − 2M − 1) for DMA, a quarter of that for the dynamic types; at least 1.
int32_t DefaultLargestScale(int32_t type, int64_t samples, int32_t windowSize, int32_t firstScale);
// The first scale: 4, or for DFA the least box its order takes when above that.
int32_t DefaultFirstScale(int32_t type, int32_t dfaOrder);
int32_t DefaultWindowSize(int32_t type, int64_t samples, int32_t largestScale);

// Said, on a line of its own after "Note: ", of a fit over two scales.
inline constexpr const char* kTwoScalesNote =
    "H rests on two points: with two scales the fit is the line through them, and it has no standard error";

// Values analysed as given that look like increments (noise, returns) given
// where a profile is expected: their H is below kIncrementsHurst (fractional
// noise of every H gives one near 0 when it is not integrated), or their lag-1
// autocorrelation is below 0.5 (a walk's is near 1) and their H below 0.6.
inline constexpr double kIncrementsHurst = 0.15;
struct IncrementsSigns {
    double hurst = 0.0;  // H; the median along the series of a dynamic result
    double lag1 = 0.0;   // the lag-1 autocorrelation of the values
};
// The signs of values that look like increments; nullopt when they do not,
// were integrated, or the method's H does not hang on them.
std::optional<IncrementsSigns> IncrementsSignsOf(std::span<const double> values, const AnalysisResult& result,
                                                 const AnalysisSettings& settings);

// The refusal texts are those of the file runs ("it holds 80 samples, fewer
// than the 101 that window size 100 needs", "the box size 0 is below 1", ...).
AnalysisResult Analyse(std::span<const double> samples, const AnalysisSettings& settings);

}  // namespace fractan
