#pragma once
// Cross-correlation of two series of the same length across scales. Both are
// detrended alike at each scale n, and with r_x, r_y their residuals,
//
//   F²_xy(n) = mean of r_x·r_y,   F_x(n)² = mean of r_x²,   F_y(n)² = mean of r_y²,
//   ρ(n) = F²_xy(n) / (F_x(n)·F_y(n)),   −1 ≤ ρ ≤ 1,
//
// DCCA (Podobnik and Stanley, PRL 100, 084102, 2008; its coefficient ρ_DCCA
// after Zebende, Physica A 390, 614, 2011): the residuals about the polynomial
// fitted in each box of n samples, the boxes and orders of DFA, each box's
// mean product averaged over the boxes. DMCA (Arianos and Carbone, J. Stat.
// Mech. P03037, 2009; centred by He and Chen, 2011; ρ_DMCA after Kristoufek,
// Physica A, 2014): the residuals about the moving average of n samples,
// backward (θ = 0) or centred (θ = 0.5) as in MF-DMA, averaged over every
// sample whose average fits.
//
// The exponent is the slope of log sqrt|F²_xy| against log n. Static over the
// whole records, or sliding: ρ(n) of the W samples up to every step-th
// position, each window analysed as a record of its own (with `integrate`, of
// the whole series' profiles).

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/methods.h"

namespace fractan {

// The cross-correlation methods, a table of their own as the multifractal ones.
struct CrossCorrelationMethod {
    const char* name;   // "dcca", "dmca": the command's --method and the module's function
    const char* title;  // "DCCA": file contents and messages
    MethodFamily family;
    uint32_t settings;   // the MethodSetting bits it reads (order and boxes for DCCA)
    int32_t leastScale;  // the least box or average; above the order for a method that uses it
};
std::span<const CrossCorrelationMethod> CrossCorrelationMethods();
// The method of a --method name; nullptr for any other.
const CrossCorrelationMethod* FindCrossCorrelationMethod(const std::string& name);
const CrossCorrelationMethod& CrossCorrelationMethodOf(MethodFamily family);
// "dcca or dmca", for refusals and help.
std::string CrossCorrelationMethodNames();

struct CrossCorrelationSettings {
    MethodFamily family = MethodFamily::kDfa;  // kDfa: DCCA, kDma: DMCA
    std::vector<int32_t> scales;               // the box sizes or moving-average lengths n
    int32_t order = 1;                         // DCCA: the polynomial's degree, 0 … 5
    std::string boxes = "end";                 // DCCA: end, both, overlap or overlap:STEP (engine/dfa.h)
    double theta = 0.0;                        // DMCA: 0 backward, 0.5 centred, 1 forward moving average
    bool integrate = false;                    // analyse the cumulative sums of the samples less their means
    int32_t window = 0;                        // sliding: the W samples up to each position; 0: static
    int32_t step = 100;                        // sliding: every step-th position
};

// 20 scales spread evenly in log n (fewer when they round to the same) from
// `least` (0: 4, or the method's least scale when above) to `most` (0: an
// eighth of the samples, or of the window when sliding).
std::vector<int32_t> DefaultCrossCorrelationScales(const CrossCorrelationSettings& settings, int64_t length,
                                                   int32_t least = 0, int32_t most = 0);

// The first refusal of the settings for series of `lengthX` and `lengthY`
// samples (different lengths are refused, naming both), or none.
Refusal CheckCrossCorrelation(const CrossCorrelationSettings& settings, int64_t lengthX, int64_t lengthY);

struct CrossCorrelationResult {
    AnalysisStatus status = AnalysisStatus::kRefused;
    std::string reason;  // the refusal, or where ρ is not a number
    std::string title;   // DCCA or DMCA
    std::vector<int32_t> scales;
    // Static: per scale.
    std::vector<double> f2xy, fx, fy, rho;
    // The slope of log10 sqrt|F²_xy| against log10 n; not a number below two scales.
    double exponent = std::numeric_limits<double>::quiet_NaN();
    int32_t signChange = -1;   // the index of the first scale whose F²_xy has another sign than the one before
    // Sliding: the last sample of each window, and ρ there, a row per position, a column per scale.
    std::vector<int32_t> positions;
    std::vector<std::vector<double>> rhoAlong;

    bool Sliding() const { return !positions.empty(); }
    // What the result says in a few lines: the exponent and how ρ runs, and a
    // note when F²_xy changes sign.
    std::vector<std::string> Summary() const;
};

// F²_xy, F_x, F_y and ρ at each scale (or ρ along the series), with the
// exponent; status kStopped when a stop is requested, kNotFinite when some ρ
// is not a number (a series that follows its trend exactly there). Progress
// goes to the output sink: a phase line, and the share of the scales done.
CrossCorrelationResult AnalyseCrossCorrelation(std::span<const double> x, std::span<const double> y,
                                               const CrossCorrelationSettings& settings);

// The file of an analysis beside the first series: X.YNAME.dcca.txt (YNAME
// the second's file name), .dmca.; .sliding.txt in place of .txt when sliding.
std::string CrossCorrelationFileOf(const std::string& x, const std::string& y, const CrossCorrelationMethod& method,
                                   bool sliding);
// Writes the result (a header line, a row per scale or position, the summary
// in closing lines starting with "#") by way of a file beside it; false when
// it cannot.
bool WriteCrossCorrelationFile(const std::string& path, const CrossCorrelationResult& result);

}  // namespace fractan
