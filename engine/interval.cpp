#include "engine/interval.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <random>
#include <vector>

#include "engine/analysis.h"
#include "engine/computation.h"
#include "engine/dma_frames.h"
#include "engine/methods.h"
#include "generator/spectral.h"
#include "setup/ordered_jobs.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// P(|T| ≤ t) for Student's t with `freedom` degrees, by the finite sums of
// Abramowitz and Stegun 26.7.3 and 26.7.4 in θ = atan(t / sqrt(freedom)).
double StudentCentralProbability(double t, int32_t freedom) {
    const double theta = std::atan(t / std::sqrt(static_cast<double>(freedom))), c2 = std::cos(theta) * std::cos(theta);
    double term = 1.0, sum = 1.0;
    if (freedom % 2 == 0) {
        for (int32_t j = 1; 2 * j <= freedom - 2; ++j) sum += term *= c2 * (2 * j - 1) / (2 * j);
        return std::sin(theta) * sum;
    }
    if (freedom == 1) return 2.0 * theta / M_PI;
    for (int32_t j = 1; 2 * j <= freedom - 3; ++j) sum += term *= c2 * (2 * j) / (2 * j + 1);
    return 2.0 / M_PI * (theta + std::sin(theta) * std::cos(theta) * sum);
}

// H fitted over the scales of `range`; NaN below two of them.
double HurstOver(const std::vector<int32_t>& sizes, const std::vector<double>& fluctuations, ScaleRange range) {
    SizeList chosen(0, 10);
    std::vector<double> values;
    for (size_t k = 0; k < sizes.size(); ++k)
        if (range.Holds(sizes[k])) {
            chosen.Append(sizes[k]);
            values.push_back(fluctuations[k]);
        }
    return chosen.Size() < 2 ? std::numeric_limits<double>::quiet_NaN() : HurstOf(chosen, values);
}

}  // namespace

double StudentQuantile(double level, int32_t freedom) {
    double low = 0.0, high = 1.0;
    while (StudentCentralProbability(high, freedom) < level) high *= 2.0;
    for (int i = 0; i < 200 && high - low > 1e-13 * high; ++i) {
        const double middle = 0.5 * (low + high);
        (StudentCentralProbability(middle, freedom) < level ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

std::string IntervalRequestRefusal(const IntervalRequest& request) {
    if (!(request.level > 0.0 && request.level < 1.0))
        return Formatted("The interval's level is %g; it must lie between 0 and 1, such as 0.95.", request.level);
    if (request.replicates < kLeastReplicates)
        return Formatted("The bootstrap is asked for %d series; it takes %d or more.", request.replicates,
                         kLeastReplicates);
    return {};
}

namespace {

// Draws the replicates of an interval: series b drawn from (seed, b + 1), the
// same draws at every H, so that estimates at two H differ by the change of
// H and hardly by chance (common random numbers).
class Replicates {
public:
    Replicates(const AnalysisSettings& settings, int64_t length, ScaleRange range, int32_t seed, int32_t jobs)
        : settings_(settings), sizes_(SizesOf(settings)), length_(length), range_(range), seed_(seed), jobs_(jobs) {
        settings_.interval.reset();
        settings_.jobs = 1;  // the replicates are spread over the threads
    }

    // The estimates of series 1 … count at `hurst`, each reporting progress
    // when `progress`; the reason when they cannot be made, or nothing after a stop.
    std::vector<double> At(double hurst, int32_t count, std::string& reason, bool progress) const {
        const NoiseSampler noise(length_, hurst);
        reason = noise.Reason();
        if (!reason.empty()) return {};
        std::vector<double> estimates(static_cast<size_t>(count), std::numeric_limits<double>::quiet_NaN());
        RunInListOrder(
            count, JobsFor(jobs_),
            [&](int32_t b) {
                OutputSilence quiet;
                SpectralDraws draws(seed_, b + 1, 0.0);
                std::vector<double> series;
                if (!noise.Draw(draws, series)) return;
                if (settings_.integrate) Integrate(series);
                else std::partial_sum(series.begin(), series.end(), series.begin());
                if (const auto f = ComputeFluctuations(settings_, sizes_, series))
                    estimates[b] = HurstOver(settings_.sizes, *f, range_);
            },
            [&](int32_t b) {
                if (progress) ReportProgress({Progress::Kind::kPercent, {}, int64_t{b + 1} * 100 / count, 100});
            });
        if (StopRequested()) return {};
        if (!std::all_of(estimates.begin(), estimates.end(), [](double h) { return std::isfinite(h); }))
            reason = "the H of a series of the interval is not a finite number";
        return reason.empty() ? estimates : std::vector<double>{};
    }

private:
    AnalysisSettings settings_;
    SizeList sizes_;
    int64_t length_;
    ScaleRange range_;
    int32_t seed_, jobs_;
};

double Mean(std::span<const double> values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double Deviation(std::span<const double> values) {
    const double mean = Mean(values);
    double squares = 0.0;
    for (double v : values) squares += (v - mean) * (v - mean);
    return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

// Where the bias or the spread of Ĥ changes with H (centred DMA near H = 1 on
// short series: the mean of Ĥ flattens and its spread grows), H_bc ± its
// half-width misses the H the estimate came from. The interval is then the H
// whose estimates would hold Ĥ, inverting the test: H is held when
// |mean(Ĥ*(H)) − Ĥ| ≤ half(H). The bootstrap gives both at Ĥ. A probe of its
// first kCheckSeries series at the bias-corrected end, with the same draws,
// tells how far they move from there; where that end is clearly off, probes
// of all B series walk from it in steps of half a half-width to the first H
// on the other side, and the end is interpolated between the two.
constexpr int32_t kCheckSeries = 10, kSteps = 6;

class InvertedTest {
public:
    InvertedTest(const Replicates& replicates, double hurst, const std::vector<double>& atHurst, double quantile)
        : replicates_(replicates), hurst_(hurst), base_(atHurst), mean_(Mean(atHurst)),
          deviation_(Deviation(atHurst)), factor_(quantile * std::sqrt(1.0 + 1.0 / static_cast<double>(atHurst.size()))) {}

    double HalfWidth() const { return factor_ * deviation_; }

    // The end on the side of `sign` (−1 low, +1 high).
    double End(int sign) const {
        const double corrected = std::clamp(2.0 * hurst_ - mean_ + sign * HalfWidth(), kLeastProbe, kMostProbe);
        if (!(std::fabs(Miss(corrected, sign, kCheckSeries)) > 0.2 * HalfWidth())) return corrected;
        const auto all = static_cast<int32_t>(base_.size());
        double h = corrected, miss = Miss(h, sign, all);
        if (!std::isfinite(miss)) return corrected;
        // Outward while H is held, inward while it is not, to the first H on the other side.
        const bool held = sign * miss <= 0.0;
        const double step = (held ? sign : -sign) * 0.5 * HalfWidth();
        for (int i = 0; i < kSteps; ++i) {
            const double next = std::clamp(h + step, kLeastProbe, kMostProbe);
            if (next == h || (!held && sign * (next - hurst_) <= 0.0)) return h;  // at the edge, or back at Ĥ
            const double nextMiss = Miss(next, sign, all);
            if (!std::isfinite(nextMiss)) return h;
            if ((sign * nextMiss <= 0.0) != held) return h + (next - h) * miss / (miss - nextMiss);
            h = next;
            miss = nextMiss;
        }
        return h;
    }

private:
    static constexpr double kLeastProbe = 0.005, kMostProbe = 0.995;

    // How far the estimates at h, less (low end) or plus their half-width,
    // lie from Ĥ, from `count` series; NaN when they cannot be made.
    double Miss(double h, int sign, int32_t count) const {
        std::string reason;
        const std::vector<double> probe =
            replicates_.At(std::clamp(h, kLeastProbe, kMostProbe), count, reason, false);
        const std::span<const double> base(base_.data(), probe.size());
        if (probe.empty() || !(Deviation(base) > 0.0)) return std::numeric_limits<double>::quiet_NaN();
        const double mean = mean_ + Mean(probe) - Mean(base);
        const double half = HalfWidth() * Deviation(probe) / Deviation(base);
        return mean - sign * half - hurst_;
    }

    const Replicates& replicates_;
    double hurst_;
    const std::vector<double>& base_;
    double mean_, deviation_, factor_;
};

}  // namespace

HurstInterval BootstrapInterval(const AnalysisSettings& settings, int64_t length, double hurst,
                                const IntervalRequest& request, ScaleRange range) {
    HurstInterval out;
    out.level = request.level;
    out.replicates = request.replicates;
    const int64_t fitted = std::count_if(settings.sizes.begin(), settings.sizes.end(),
                                         [&](int32_t n) { return range.Holds(n); });
    if (out.none = IntervalRequestRefusal(request); !out.none.empty()) return out;
    if (IsDynamicType(settings.computationType)) {
        out.none = "an interval is given for static methods only";
    } else if (fitted < 3) {
        out.none = "an interval needs a fit over 3 or more scales; this one has " + std::to_string(fitted);
    } else if (!(hurst >= kLeastIntervalHurst && hurst <= kMostIntervalHurst)) {
        out.none = Formatted("H is %.4f, outside %g ... %g, where the series of the interval are made", hurst,
                             kLeastIntervalHurst, kMostIntervalHurst);
    }
    if (!out.none.empty()) return out;

    PrintProgress("Bootstrapping the interval...");
    const int32_t seed =
        request.seed >= 0 ? request.seed : static_cast<int32_t>(std::random_device{}() & 0x7fffffff);
    const Replicates replicates(settings, length, range, seed, request.jobs);
    const std::vector<double> estimates = replicates.At(hurst, request.replicates, out.none, true);
    if (StopRequested()) out.none = "stopped";
    if (!out.none.empty()) return out;
    const InvertedTest test(replicates, hurst, estimates, StudentQuantile(request.level, request.replicates - 1));
    out.deviation = Deviation(estimates);
    out.corrected = 2.0 * hurst - Mean(estimates);
    out.low = test.End(-1);
    out.high = test.End(+1);
    if (StopRequested()) {
        out = HurstInterval{"stopped"};
        return out;
    }
    PrintProgress("Done.");
    return out;
}

}  // namespace fractan
