#include "engine/multifractal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/box_fit.h"
#include "engine/computation.h"
#include "engine/dfa.h"
#include "engine/dma_frames.h"
#include "engine/result_files.h"
#include "setup/output.h"
#include "setup/progression.h"
#include "setup/stop.h"

namespace fractan {
namespace {

constexpr MultifractalMethod kMultifractalMethods[] = {
    {"dfa", "MF-DFA", MethodFamily::kDfa, kUsesOrder | kUsesBoxes, 2},
    {"dma", "MF-DMA", MethodFamily::kDma, 0, 2},
};

const MultifractalMethod& MethodOf(MethodFamily family) {
    return kMultifractalMethods[family == MethodFamily::kDfa ? 0 : 1];
}

double NotANumber() { return std::numeric_limits<double>::quiet_NaN(); }

int32_t LeastScale(const MultifractalSettings& s) {
    const MultifractalMethod& method = MethodOf(s.family);
    return LeastScaleOf(method.leastScale, method.settings, s.order);
}

// The segments of n samples that a method cuts the profile of N samples into.
int64_t MostScale(const MultifractalSettings& s, int64_t N) {
    return s.family == MethodFamily::kDfa ? N : (N + 1) / 2;  // DMA: N − n + 1 residuals hold a segment
}

// F²(v) of every DFA box of n samples, placed as `boxes` says over the whole profile.
std::vector<double> BoxSquares(std::span<const double> y, int32_t n, int32_t order, const BoxPlacement& boxes) {
    const int64_t N = static_cast<int64_t>(y.size());
    const BoxBasis basis(n, order);
    std::vector<double> squares;
    WithOrder(order, [&]<int M>() {
        const int32_t step = boxes.StepIn(n);
        const int64_t count = (N - n) / step + 1;
        // Boxes far apart are fitted each on its own, exactly zero on a flat
        // stretch; boxes a few samples apart slide from one to the next, as
        // DFA's do, at the cost of a rounding floor on flat stretches.
        if (boxes.kind == BoxPlacement::Kind::kOverlap && int64_t{step} * 8 >= n) {
            for (int64_t i = 0; i < count; ++i)
                squares.push_back(TilingResiduals<M>(y.data() + (N - n - i * step), n, 1, basis));
            return;
        }
        if (boxes.kind == BoxPlacement::Kind::kOverlap) {
            SlideThroughBoxes<M>(y.data(), basis, N - (count - 1) * step - n, step, count,
                                 [&](double residual) { squares.push_back(residual); });
            return;
        }
        for (int64_t i = 1; i <= count; ++i) squares.push_back(TilingResiduals<M>(y.data() + (N - i * n), n, 1, basis));
        if (boxes.kind == BoxPlacement::Kind::kBoth && N % n != 0)  // two tilings that coincide are one
            for (int64_t i = 0; i < count; ++i) squares.push_back(TilingResiduals<M>(y.data() + i * n, n, 1, basis));
    });
    return squares;
}

// F²(v) of the segments of n residuals of the moving average reaching back
// AverageBack(n, θ) samples, cut from the first sample whose average fits.
std::vector<double> AverageSquares(std::span<const double> y, int32_t n, double theta) {
    const int64_t N = static_cast<int64_t>(y.size());
    const int32_t back = AverageBack(n, theta);
    const int64_t count = (N - n + 1) / n;
    std::vector<double> squares(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        double sum = 0.0;
        AverageResiduals<1>({y.data()}, n, back, back + i * n, n,
                            [&](int64_t, const double* r) { sum += r[0] * r[0]; });
        squares[i] = sum / n;
    }
    return squares;
}

// F_q of one scale from its segments' F²; `flat` receives how many are zero.
// Sums of powers are taken as exp(shift)·Σ exp(q/2·ln F² − shift), shift the
// largest exponent, so that no large |q| overflows.
std::vector<double> QOrderFluctuations(const std::vector<double>& squares, const std::vector<double>& q,
                                       int64_t& flat) {
    double mean = 0.0;
    for (double s : squares) mean += s / static_cast<double>(squares.size());
    // Below this, F² is the rounding of an exact fit: taken as zero.
    const double zero = mean * 1e-24;
    std::vector<double> logs;
    for (double s : squares)
        if (s > zero) logs.push_back(std::log(s));
    flat = static_cast<int64_t>(squares.size() - logs.size());
    std::vector<double> fluctuations(q.size(), NotANumber());
    if (logs.empty()) return fluctuations;
    for (size_t j = 0; j < q.size(); ++j) {
        const double half = q[j] / 2.0;
        if (half == 0.0) {
            double sum = 0.0;
            for (double l : logs) sum += l;
            fluctuations[j] = std::exp(sum / (2.0 * static_cast<double>(logs.size())));
            continue;
        }
        double shift = -std::numeric_limits<double>::infinity();
        for (double l : logs) shift = std::max(shift, half * l);
        double sum = 0.0;
        for (double l : logs) sum += std::exp(half * l - shift);
        // Zero segments add nothing to a positive power, but count in its mean.
        const double segments = static_cast<double>(half > 0.0 ? squares.size() : logs.size());
        fluctuations[j] = std::exp((shift + std::log(sum / segments)) / q[j]);
    }
    return fluctuations;
}

// h, τ, α and f from F_q(n): α by central differences in q, one-sided at the ends.
void Spectrum(MultifractalResult& r) {
    SizeList sizes;
    for (int32_t n : r.scales) sizes.Append(n);
    const size_t Q = r.q.size();
    for (size_t j = 0; j < Q; ++j) {
        r.h.push_back(HurstOf(sizes, r.fluctuation[j]));
        r.tau.push_back(r.q[j] * r.h[j] - 1.0);
    }
    for (size_t j = 0; j < Q; ++j) {
        const size_t before = j == 0 ? 0 : j - 1, after = j + 1 == Q ? j : j + 1;
        const double alpha = Q < 2 ? NotANumber() : (r.tau[after] - r.tau[before]) / (r.q[after] - r.q[before]);
        r.alpha.push_back(alpha);
        r.f.push_back(r.q[j] * alpha - r.tau[j]);
    }
}

}  // namespace

std::span<const MultifractalMethod> MultifractalMethods() { return kMultifractalMethods; }

const MultifractalMethod* FindMultifractalMethod(const std::string& name) {
    for (const MultifractalMethod& method : kMultifractalMethods)
        if (name == method.name) return &method;
    return nullptr;
}

std::string MultifractalMethodNames() {
    std::string text;
    for (const MultifractalMethod& method : kMultifractalMethods)
        text += (text.empty() ? "" : " or ") + std::string(method.name);
    return text;
}

int64_t MultifractalResult::FlatSegments() const {
    int64_t total = 0;
    for (int64_t count : flat) total += count;
    return total;
}

std::string MultifractalResult::FlatSegmentsNote() const {
    const int64_t flatSegments = FlatSegments();
    if (flatSegments == 0) return {};
    int64_t total = 0;
    for (int64_t count : segments) total += count;
    return Formatted("Note: %lld of the %lld segments have zero fluctuation (flat stretches); they are left out "
                     "of F_q for q <= 0.",
                     static_cast<long long>(flatSegments), static_cast<long long>(total));
}

std::vector<double> MultifractalQRange(double first, double last, double step) {
    std::vector<double> q;
    if (!(step > 0.0) || !(last >= first) || !std::isfinite(last)) return q;
    // A cap on the count, so that a step far below the range cannot exhaust the memory.
    for (int64_t i = 0; first + i * step <= last + step * 1e-9 && i < 100000; ++i) q.push_back(first + i * step);
    return q;
}

std::vector<double> DefaultMultifractalQ() {
    std::vector<double> q;
    for (int32_t i = -10; i <= 10; ++i) q.push_back(i / 2.0);
    return q;
}

std::vector<int32_t> DefaultMultifractalScales(const MultifractalSettings& settings, int64_t length) {
    // From 16: the smallest segments still show the detrending in F_q(n) (docs/accuracy.md).
    const double first = std::max(16, LeastScale(settings)), last = static_cast<double>(length / 8);
    return last > first ? LogSpacedScales(first, last, 20) : std::vector<int32_t>{};
}

Refusal CheckMultifractal(const MultifractalSettings& s, int64_t length) {
    if (s.q.empty()) return {"q", "No q is given."};
    for (size_t j = 0; j < s.q.size(); ++j) {
        if (!std::isfinite(s.q[j])) return {"q", "q " + Shortest(s.q[j]) + " is not a finite number."};
        if (j > 0 && !(s.q[j] > s.q[j - 1]))
            return {"q", "The q values must rise: " + Shortest(s.q[j]) + " follows " + Shortest(s.q[j - 1]) + "."};
    }
    const MultifractalMethod& method = MethodOf(s.family);
    if (Refusal refusal = CheckDetrending(s.family, method.settings, s.order, s.boxes, s.theta)) return refusal;
    std::vector<int32_t> sorted = s.scales;
    std::sort(sorted.begin(), sorted.end());
    if (std::unique(sorted.begin(), sorted.end()) - sorted.begin() < 2)
        return {"scales", "Fewer than two distinct scales are given: h(q) is the slope over two or more."};
    const int32_t least = LeastScale(s);
    const int64_t most = MostScale(s, length);
    for (int32_t n : s.scales) {
        if (Refusal refusal = ScaleBelowLeast(n, least, method.title, method.settings, s.order)) return refusal;
        if (n > most)
            return {"scales", "Scale " + std::to_string(n) + " leaves no segment in " + std::to_string(length) +
                                  " samples; end the scales at " + std::to_string(most) + " or less."};
    }
    return {};
}

MultifractalResult AnalyseMultifractal(std::span<const double> samples, const MultifractalSettings& s) {
    MultifractalResult r;
    if (Refusal refusal = CheckMultifractal(s, static_cast<int64_t>(samples.size()))) {
        r.reason = refusal.reason;
        return r;
    }
    for (size_t i = 0; i < samples.size(); ++i)
        if (!std::isfinite(samples[i])) {
            r.reason = "Sample " + std::to_string(i + 1) + " is not a finite number.";
            return r;
        }
    std::vector<double> profile(samples.begin(), samples.end());
    if (s.integrate) {
        double mean = 0.0;
        for (double x : samples) mean += x / static_cast<double>(samples.size());
        double sum = 0.0;
        for (double& y : profile) y = sum += y - mean;
    }
    // Values far from 1 are analysed near it: F_q scales back exactly.
    std::span<const double> analysed = profile;
    std::vector<double> scaled;
    const int exponent = BroughtToRange(analysed, scaled);

    StopCheck stopRequested;
    r.q = s.q;
    r.scales = s.scales;
    r.fluctuation.assign(s.q.size(), std::vector<double>(s.scales.size()));
    const BoxPlacement boxes = ParseBoxPlacement(s.boxes).value_or(BoxPlacement{});
    PrintProgress("Performing q-order fluctuation calculation...");
    for (size_t k = 0; k < s.scales.size(); ++k) {
        if (stopRequested()) {
            r.status = AnalysisStatus::kStopped;
            return r;
        }
        const std::vector<double> squares = s.family == MethodFamily::kDfa
                                                ? BoxSquares(analysed, s.scales[k], s.order, boxes)
                                                : AverageSquares(analysed, s.scales[k], s.theta);
        r.segments.push_back(static_cast<int64_t>(squares.size()));
        r.flat.push_back(0);
        const std::vector<double> fq = QOrderFluctuations(squares, s.q, r.flat.back());
        for (size_t j = 0; j < s.q.size(); ++j) r.fluctuation[j][k] = std::ldexp(fq[j], exponent);
    }
    PrintProgress("Done.");
    if (const std::string note = r.FlatSegmentsNote(); !note.empty()) WriteOutput(note + "\n");
    Spectrum(r);
    r.status = AnalysisStatus::kAnalysed;
    for (size_t j = 0; j < r.q.size(); ++j)
        if (!std::isfinite(r.h[j])) {
            r.status = AnalysisStatus::kNotFinite;
            r.reason = "h(q) is not a finite number at q = " + Shortest(r.q[j]) +
                       ": every segment of some scale has zero fluctuation.";
            break;
        }
    return r;
}

MultifractalFiles MultifractalFilesOf(const std::string& input, const MultifractalMethod& method) {
    const std::string base = input + ".mf" + method.name;
    return {base + ".fq.txt", base + ".spectrum.txt"};
}

std::string WriteMultifractalFiles(const MultifractalFiles& files, const MultifractalResult& r) {
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
    if (!WriteWholeFile(files.fluctuations, fq)) return files.fluctuations;
    if (!WriteWholeFile(files.spectrum, spectrum)) return files.spectrum;
    return {};
}

}  // namespace fractan
