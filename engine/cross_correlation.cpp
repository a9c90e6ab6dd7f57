#include "engine/cross_correlation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/box_track.h"
#include "engine/computation.h"
#include "engine/dfa.h"
#include "engine/dma_frames.h"
#include "engine/result_files.h"
#include "setup/output.h"
#include "setup/progression.h"
#include "setup/paths.h"
#include "setup/stop.h"

namespace fractan {
namespace {

constexpr CrossCorrelationMethod kCrossCorrelationMethods[] = {
    {"dcca", "DCCA", MethodFamily::kDfa, kUsesOrder | kUsesBoxes, 2},
    {"dmca", "DMCA", MethodFamily::kDma, 0, 2},
};

double NotANumber() { return std::numeric_limits<double>::quiet_NaN(); }

int32_t LeastScale(const CrossCorrelationSettings& s) {
    const CrossCorrelationMethod& method = CrossCorrelationMethodOf(s.family);
    return LeastScaleOf(method.leastScale, method.settings, s.order);
}

// The two series as analysed: each (its profile, when integrating) less its
// first sample and scaled by a power of two that brings its mean step near 1,
// which leaves ρ as it is and scales F back exactly. The boxes that slide take
// the cross part from the boxes of x, y and their sum s, r_s² = r_x² + r_y² +
// 2·r_x·r_y: series of like size and near zero keep the digits of both in s.
struct Pair {
    std::vector<double> x, y, s;
    int ex = 0, ey = 0;
    int64_t Length() const { return static_cast<int64_t>(x.size()); }
};

int Prepare(std::span<const double> samples, bool integrate, std::vector<double>& values) {
    values.assign(samples.begin(), samples.end());
    if (integrate) Integrate(values);
    double steps = 0.0;
    for (size_t t = 1; t < values.size(); ++t) steps += std::fabs(values[t] - values[t - 1]);
    steps /= static_cast<double>(std::max<size_t>(values.size(), 2) - 1);
    // Within these bounds 2^−e is a normal number, and scaling by it is exact.
    const int exponent = steps > 0.0 && std::isfinite(steps) ? std::clamp(std::ilogb(steps), -1000, 1000) : 0;
    const double scale = std::ldexp(1.0, -exponent), first = values[0] * scale;
    for (double& v : values) v = v * scale - first;
    return exponent;
}

// The sums over the boxes (or samples) of one scale of r_x², r_y² and r_x·r_y,
// each averaged over its box, and the number of boxes (or samples).
struct Sums {
    double xx = 0.0, yy = 0.0, xy = 0.0;
    int64_t units = 0;
};

// ρ of the mean squares; not a number unless both series fluctuate.
double Rho(double xy, double xx, double yy) { return xx > 0.0 && yy > 0.0 ? xy / std::sqrt(xx * yy) : NotANumber(); }

// DCCA over the whole records: the boxes of DFA placed over all N samples.
template <int M>
Sums StaticBoxes(const Pair& p, const BoxBasis& basis, const BoxPlacement& boxes) {
    const int32_t n = basis.Length(), N = static_cast<int32_t>(p.Length());
    const BoxRow row(n, N, boxes);
    Sums sums;
    sums.units = row.Boxes();
    if (int64_t{row.step} * 8 >= n) {  // boxes far apart: each fitted on its own, both series at once
        BoxPairSums b = PairTilingResiduals<M>(&p.x[N - n], &p.y[N - n], -row.step, row.count, basis);
        if (row.lag >= 0) {  // and the tiling from the start
            const BoxPairSums start = PairTilingResiduals<M>(p.x.data(), p.y.data(), n, row.count, basis);
            b.xx += start.xx, b.yy += start.yy, b.xy += start.xy;
        }
        sums.xx = b.xx, sums.yy = b.yy, sums.xy = b.xy;
        return sums;
    }
    // Boxes a few samples apart slide from one to the next.
    const int64_t first = N - int64_t{row.count - 1} * row.step - n;
    double ss = 0.0;
    SlideThroughBoxes<M>(p.x.data(), basis, first, row.step, row.count, [&](double r) { sums.xx += r; });
    SlideThroughBoxes<M>(p.y.data(), basis, first, row.step, row.count, [&](double r) { sums.yy += r; });
    SlideThroughBoxes<M>(p.s.data(), basis, first, row.step, row.count, [&](double r) { ss += r; });
    sums.xy = (ss - sums.xx - sums.yy) / 2.0;
    return sums;
}

// The residuals of both series about their moving averages, from the first
// sample whose average fits to the last, in blocks of a few n samples (each
// summed afresh): visit(t, r_x, r_y) for each, in order, until a stop is
// requested.
template <typename Visit>
void WalkAverages(const Pair& p, int32_t n, double theta, Visit&& visit) {
    StopCheck stopRequested;
    const int32_t back = AverageBack(n, theta);
    const int64_t end = p.Length() - (n - 1 - back), block = int64_t{n} * 8;
    for (int64_t t = back; t < end; t += block) {
        if (stopRequested()) return;
        AverageResiduals<2>({p.x.data(), p.y.data()}, n, back, t, std::min(block, end - t),
                            [&](int64_t at, const double* r) { visit(at, r[0], r[1]); });
    }
}

// DMCA over the whole records: every sample whose average fits.
Sums StaticAverages(const Pair& p, int32_t n, double theta) {
    Sums sums;
    sums.units = p.Length() - n + 1;
    WalkAverages(p, n, theta, [&](int64_t, double rx, double ry) {
        sums.xx += rx * rx, sums.yy += ry * ry, sums.xy += rx * ry;
    });
    return sums;
}

// The positions of a sliding analysis: every step-th sample from W − 1 on.
std::vector<int32_t> PositionsOf(int64_t N, int32_t W, int32_t step) {
    std::vector<int32_t> positions;
    for (int64_t p = (W - 1 + int64_t{step} - 1) / step * step; p < N; p += step)
        positions.push_back(static_cast<int32_t>(p));
    return positions;
}

// Sliding DCCA at one box size: the box ending at every sample slides on, for
// x, y and s, and each window's boxes are summed as the series is walked,
// until a stop is requested.
template <int M>
void SlidingBoxes(const Pair& p, const BoxBasis& basis, const BoxPlacement& boxes, int32_t W, size_t k,
                  CrossCorrelationResult& r) {
    StopCheck stopRequested;
    const int32_t n = basis.Length();
    const BoxRow row(n, W, boxes);
    BoxTrack<M> x(p.x.data(), basis, row, W), y(p.y.data(), basis, row, W), s(p.s.data(), basis, row, W);
    size_t next = 0;
    for (int32_t e = n - 1; next < r.positions.size(); ++e) {
        if (stopRequested()) return;
        x.At(e, e == n - 1), y.At(e, e == n - 1), s.At(e, e == n - 1);
        if (e != r.positions[next]) continue;
        const double xx = x.Square(), yy = y.Square();
        r.rhoAlong[next++][k] = Rho((s.Square() - xx - yy) / 2.0, xx, yy);
    }
}

// Sliding DMCA at one length: the products of the residuals summed over the
// last W − n + 1 samples whose averages lie in the window (kept as the sums of
// boxes one sample apart).
void SlidingAverages(const Pair& p, int32_t n, double theta, int32_t W, size_t k, CrossCorrelationResult& r) {
    const BoxRow row(n, W, BoxPlacement{BoxPlacement::Kind::kOverlap, 0.0});
    RowSums xx(row, W), yy(row, W), xy(row, W);
    const int32_t ahead = n - 1 - AverageBack(n, theta);
    size_t next = 0;
    WalkAverages(p, n, theta, [&](int64_t t, double rx, double ry) {
        xx.Push(rx * rx), yy.Push(ry * ry), xy.Push(rx * ry);
        if (next < r.positions.size() && t + ahead == r.positions[next])
            r.rhoAlong[next++][k] = Rho(xy.Mean(), xx.Mean(), yy.Mean());
    });
}

// The sums of one scale over the whole records.
Sums StaticSums(const Pair& p, int32_t n, const CrossCorrelationSettings& s, const BoxPlacement& boxes) {
    if (s.family == MethodFamily::kDma) return StaticAverages(p, n, s.theta);
    const BoxBasis basis(n, s.order);
    return WithOrder(s.order, [&]<int M>() { return StaticBoxes<M>(p, basis, boxes); });
}

// ρ of the k-th scale at every position.
void SlidingRho(const Pair& p, size_t k, const CrossCorrelationSettings& s, const BoxPlacement& boxes,
                CrossCorrelationResult& r) {
    const int32_t n = s.scales[k];
    if (s.family == MethodFamily::kDma) return SlidingAverages(p, n, s.theta, s.window, k, r);
    const BoxBasis basis(n, s.order);
    WithOrder(s.order, [&]<int M>() { SlidingBoxes<M>(p, basis, boxes, s.window, k, r); });
}

// Why some ρ is not a number, or empty.
std::string NotFiniteReason(const CrossCorrelationResult& r) {
    if (!r.Sliding()) {
        for (size_t k = 0; k < r.rho.size(); ++k)
            if (!std::isfinite(r.rho[k]))
                return Formatted("rho is not a number at n = %d: F of the %s series is 0 there (it follows its "
                                 "trend exactly).",
                                 r.scales[k], r.fx[k] > 0.0 ? "second" : "first");
        return {};
    }
    int64_t count = 0;
    std::string first;
    for (size_t i = 0; i < r.positions.size(); ++i)
        for (size_t k = 0; k < r.scales.size(); ++k)
            if (!std::isfinite(r.rhoAlong[i][k]) && count++ == 0)
                first = Formatted("position %d, n = %d", r.positions[i], r.scales[k]);
    if (count == 0) return {};
    return Formatted("rho is not a number at %lld of the %zu positions and scales (the first at %s): a series "
                     "follows its trend exactly there.",
                     static_cast<long long>(count), r.positions.size() * r.scales.size(), first.c_str());
}

// The exponent of sqrt|F²_xy| and the first change of sign.
void Exponent(CrossCorrelationResult& r) {
    LogLogFit fit;
    for (size_t k = 0; k < r.scales.size(); ++k) {
        fit.Add(std::log10(static_cast<double>(r.scales[k])), std::log10(std::sqrt(std::fabs(r.f2xy[k]))));
        if (k > 0 && r.signChange < 0 && (r.f2xy[k] < 0.0) != (r.f2xy[k - 1] < 0.0))
            r.signChange = static_cast<int32_t>(k);
    }
    r.exponent = fit.Slope(static_cast<int32_t>(r.scales.size()));
}

}  // namespace

std::span<const CrossCorrelationMethod> CrossCorrelationMethods() { return kCrossCorrelationMethods; }

const CrossCorrelationMethod* FindCrossCorrelationMethod(const std::string& name) {
    for (const CrossCorrelationMethod& method : kCrossCorrelationMethods)
        if (name == method.name) return &method;
    return nullptr;
}

const CrossCorrelationMethod& CrossCorrelationMethodOf(MethodFamily family) {
    return kCrossCorrelationMethods[family == MethodFamily::kDfa ? 0 : 1];
}

std::string CrossCorrelationMethodNames() {
    std::string text;
    for (const CrossCorrelationMethod& method : kCrossCorrelationMethods)
        text += (text.empty() ? "" : " or ") + std::string(method.name);
    return text;
}

std::vector<int32_t> DefaultCrossCorrelationScales(const CrossCorrelationSettings& s, int64_t length, int32_t least,
                                                   int32_t most) {
    const int64_t span = s.window > 0 ? std::min<int64_t>(s.window, length) : length;
    if (least <= 0) least = std::max(4, LeastScale(s));
    if (most <= 0) most = static_cast<int32_t>(std::min<int64_t>(span / 8, INT32_MAX));
    return LogSpacedScales(least, most, 20);
}

Refusal CheckCrossCorrelation(const CrossCorrelationSettings& s, int64_t lengthX, int64_t lengthY) {
    if (lengthX != lengthY)
        return {"series", Formatted("The two series differ in length: the first has %lld samples, the second %lld; "
                                    "they are compared sample by sample.",
                                    static_cast<long long>(lengthX), static_cast<long long>(lengthY))};
    const CrossCorrelationMethod& method = CrossCorrelationMethodOf(s.family);
    if (Refusal refusal = CheckDetrending(s.family, method.settings, s.order, s.boxes, s.theta)) return refusal;
    if (s.window < 0 || s.window > lengthX)
        return {"window", Formatted("The window %d is outside 1 ... %lld, the samples of each series (0: static).",
                                    s.window, static_cast<long long>(lengthX))};
    if (s.window > 0 && s.step < 1)
        return {"step", Formatted("The step %d is below 1.", s.step)};
    if (s.window > 0 && PositionsOf(lengthX, s.window, s.step).empty())
        return {"step", Formatted("No window of %d samples ends at a multiple of the step %d within the %lld "
                                  "samples: take a smaller step or window.",
                                  s.window, s.step, static_cast<long long>(lengthX))};
    const int32_t least = LeastScale(s);
    const int64_t most = s.window > 0 ? s.window : lengthX;
    if (s.scales.empty())
        return {"scales", Formatted("No scale lies between the least and the greatest asked (by default %d and an "
                                    "eighth of the %lld samples of %s): give the scales.",
                                    std::max(4, least), static_cast<long long>(most),
                                    s.window > 0 ? "the window" : "each series")};
    for (int32_t n : s.scales) {
        if (Refusal refusal = ScaleBelowLeast(n, least, method.title, method.settings, s.order)) return refusal;
        if (n > most)
            return {"scales", Formatted("Scale %d is longer than the %lld samples of %s; end the scales at %lld or "
                                        "less.",
                                        n, static_cast<long long>(most), s.window > 0 ? "the window" : "each series",
                                        static_cast<long long>(most))};
    }
    return {};
}

CrossCorrelationResult AnalyseCrossCorrelation(std::span<const double> x, std::span<const double> y,
                                               const CrossCorrelationSettings& s) {
    CrossCorrelationResult r;
    r.title = CrossCorrelationMethodOf(s.family).title;
    if (Refusal refusal = CheckCrossCorrelation(s, static_cast<int64_t>(x.size()), static_cast<int64_t>(y.size()))) {
        r.reason = refusal.reason;
        return r;
    }
    for (const auto& [series, name] : {std::pair{x, "first"}, std::pair{y, "second"}})
        for (size_t i = 0; i < series.size(); ++i)
            if (!std::isfinite(series[i])) {
                r.reason = Formatted("Sample %zu of the %s series is not a finite number.", i + 1, name);
                return r;
            }
    const bool sliding = s.window > 0;
    const BoxPlacement boxes = ParseBoxPlacement(s.boxes).value_or(BoxPlacement{});
    Pair p;
    p.ex = Prepare(x, s.integrate, p.x);
    p.ey = Prepare(y, s.integrate, p.y);
    if (s.family == MethodFamily::kDfa && (sliding || boxes.kind == BoxPlacement::Kind::kOverlap)) {
        p.s.resize(p.x.size());
        for (size_t t = 0; t < p.x.size(); ++t) p.s[t] = p.x[t] + p.y[t];
    }

    const size_t K = s.scales.size();
    r.scales = s.scales;
    if (sliding) {
        r.positions = PositionsOf(p.Length(), s.window, s.step);
        r.rhoAlong.assign(r.positions.size(), std::vector<double>(K, NotANumber()));
    }
    StopCheck stopRequested;
    PrintProgress("Performing cross-correlation calculation...");
    for (size_t k = 0; k < K && !stopRequested(); ++k) {
        if (sliding) {
            SlidingRho(p, k, s, boxes, r);
        } else {
            const Sums sums = StaticSums(p, s.scales[k], s, boxes);
            const double units = static_cast<double>(sums.units);
            const double xx = sums.xx / units, yy = sums.yy / units, xy = sums.xy / units;
            r.f2xy.push_back(std::ldexp(xy, p.ex + p.ey));
            r.fx.push_back(std::ldexp(std::sqrt(xx), p.ex));
            r.fy.push_back(std::ldexp(std::sqrt(yy), p.ey));
            r.rho.push_back(Rho(xy, xx, yy));
        }
        ReportProgress({Progress::Kind::kPercent, {}, static_cast<int64_t>(k + 1), static_cast<int64_t>(K)});
    }
    if (stopRequested()) {
        r.status = AnalysisStatus::kStopped;
        return r;
    }
    PrintProgress("Done.");
    if (!sliding) Exponent(r);
    r.reason = NotFiniteReason(r);
    r.status = r.reason.empty() ? AnalysisStatus::kAnalysed : AnalysisStatus::kNotFinite;
    return r;
}

std::vector<std::string> CrossCorrelationResult::Summary() const {
    std::vector<std::string> lines;
    double least = NotANumber(), most = NotANumber(), sum = 0.0;
    size_t counted = 0, leastAt = 0, mostAt = 0;
    auto take = [&](double value, size_t at) {
        if (!std::isfinite(value)) return;
        if (counted == 0 || value < least) least = value, leastAt = at;
        if (counted == 0 || value > most) most = value, mostAt = at;
        sum += value, ++counted;
    };
    if (Sliding()) {
        for (const std::vector<double>& row : rhoAlong)
            for (size_t k = 0; k < row.size(); ++k) take(row[k], k);
        const int32_t step = positions.size() > 1 ? positions[1] - positions[0] : 1;
        lines.push_back(Formatted("rho along the series at %zu positions (%d to %d, every %d) and %zu scales: from "
                                  "%.4f to %.4f, mean %.4f",
                                  positions.size(), positions.front(), positions.back(), step, scales.size(), least,
                                  most, sum / static_cast<double>(counted)));
        return lines;
    }
    for (size_t k = 0; k < rho.size(); ++k) take(rho[k], k);
    lines.push_back(std::isfinite(exponent)
                        ? Formatted("%s exponent %.4f: the slope of log sqrt|F2xy| against log n over %zu scales",
                                    title.c_str(), exponent, scales.size())
                        : title + " exponent: not a number (fewer than two scales, or F2xy is 0 at one)");
    if (counted > 0)
        lines.push_back(Formatted("rho %.4f at n = %d, %.4f at n = %d; from %.4f (n = %d) to %.4f (n = %d), mean %.4f",
                                  rho.front(), scales.front(), rho.back(), scales.back(), least, scales[leastAt], most,
                                  scales[mostAt], sum / static_cast<double>(counted)));
    if (signChange > 0)
        lines.push_back(Formatted("F2xy changes sign between n = %d and n = %d: the exponent is that of |F2xy|, "
                                  "which follows no single power law across the change",
                                  scales[signChange - 1], scales[signChange]));
    return lines;
}

std::string CrossCorrelationFileOf(const std::string& x, const std::string& y, const CrossCorrelationMethod& method,
                                   bool sliding) {
    return x + "." + FileNameOf(y) + "." + method.name + (sliding ? ".sliding.txt" : ".txt");
}

bool WriteCrossCorrelationFile(const std::string& path, const CrossCorrelationResult& r) {
    std::string text;
    if (r.Sliding()) {
        text = "# position";
        for (int32_t n : r.scales) text += Formatted(" rho_%d", n);
        text += "\n";
        for (size_t i = 0; i < r.positions.size(); ++i) {
            text += std::to_string(r.positions[i]);
            for (double rho : r.rhoAlong[i]) text += Formatted(" %.10g", rho);
            text += "\n";
        }
    } else {
        text = "# n F2xy Fx Fy rho\n";
        for (size_t k = 0; k < r.scales.size(); ++k)
            text += Formatted("%d %.10g %.10g %.10g %.10g\n", r.scales[k], r.f2xy[k], r.fx[k], r.fy[k], r.rho[k]);
    }
    for (const std::string& line : r.Summary()) text += "# " + line + "\n";
    return WriteWholeFile(path, text);
}

}  // namespace fractan
