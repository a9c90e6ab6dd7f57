#pragma once
// An interval on H by parametric bootstrap. Exact fractional Brownian motions
// of the series' length at H = Ĥ (the spectral generator's noise, made once
// per interval and drawn on every core) are analysed with the series' own
// settings; the spread of their estimates Ĥ* is the spread of Ĥ, and their
// mean its bias: H_bc = 2Ĥ − mean(Ĥ*), and the interval
// H_bc ± t(B − 1, (1 + level)/2) · SD(Ĥ*) · sqrt(1 + 1/B).
// The slope's standard error measures only the scatter of the points about
// the line, which neighbouring scales share: it is 2 to 5 times too small.

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "setup/parameters.h"

namespace fractan {

struct AnalysisSettings;

// An interval is given for Ĥ within these: beyond them the replicates'
// series cannot be made or their estimates pile up at the ends.
inline constexpr double kLeastIntervalHurst = 0.05, kMostIntervalHurst = 0.98;
inline constexpr int32_t kLeastReplicates = 2;

struct HurstInterval {
    std::string none;  // why there is no interval; empty when there is one
    double level = 0.0;
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
    double corrected = std::numeric_limits<double>::quiet_NaN();  // H_bc
    double deviation = std::numeric_limits<double>::quiet_NaN();  // SD(Ĥ*)
    int32_t replicates = 0;
};

// The scales a fit spans, both ends included.
struct ScaleRange {
    double least = -HUGE_VAL, most = HUGE_VAL;
    bool Holds(double n) const { return n >= least && n <= most; }
};

// Why a request cannot be met by any series (a sentence), or empty.
std::string IntervalRequestRefusal(const IntervalRequest& request);

// The interval on `hurst`, the H fitted over `range` of the scales of a
// static analysis with `settings` of `length` samples. Its own phase lines
// only: the replicates' are not shown. A stop ends it without an interval.
HurstInterval BootstrapInterval(const AnalysisSettings& settings, int64_t length, double hurst,
                                const IntervalRequest& request, ScaleRange range = {});

// The two-sided quantile of Student's t with `freedom` degrees: the t with
// P(|T| ≤ t) = level.
double StudentQuantile(double level, int32_t freedom);

}  // namespace fractan
