#include "engine/dfa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "engine/analysis.h"
#include "engine/cross_correlation.h"
#include "engine/multifractal.h"
#include "setup/output.h"

#include "setup/series_loader.h"
#include "dma_reference.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DfaCase : test::SeriesFolder {
    std::string result = Result("t"), chart = Chart("t"), inc = Inc("t");
    ScaleProgression boxes{2, 4, 2, kLinear, {}};  // 2, 4

    int32_t Static(int32_t W, int32_t order, int32_t size, int32_t offset = 0) {
        return RunStaticDfa(W, order, boxes, input, kTextInput, result, size, offset);
    }
    int32_t Dynamic(int32_t W, int32_t order, int32_t size, int32_t step) {
        return RunDynamicDfa(W, order, boxes, input, kTextInput, result, size, 0, step);
    }
};

// The residuals of the least-squares polynomial of the order through the n
// samples from `first`: the normal equations in long double, over t scaled to
// [−1, 1], solved by elimination.
std::vector<long double> PlainBoxResiduals(const std::vector<double>& y, int first, int n, int order) {
    const int m = order + 1;
    long double a[6][7] = {}, c[6];
    for (int u = 0; u < n; ++u) {
        long double power[11] = {1};  // t^0 … t^10
        for (int i = 1; i < 2 * m - 1; ++i) power[i] = power[i - 1] * (2.0L * u - (n - 1)) / (n - 1);
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < m; ++j) a[i][j] += power[i + j];
            a[i][m] += power[i] * y[first + u];
        }
    }
    for (int i = 0; i < m; ++i)
        for (int k = i + 1; k < m; ++k)
            for (int j = m; j >= i; --j) a[k][j] -= a[k][i] / a[i][i] * a[i][j];
    for (int i = m - 1; i >= 0; --i) {
        c[i] = a[i][m];
        for (int j = i + 1; j < m; ++j) c[i] -= a[i][j] * c[j];
        c[i] /= a[i][i];
    }
    std::vector<long double> residuals(n);
    for (int u = 0; u < n; ++u) {
        long double fit = 0;
        for (int i = m - 1; i >= 0; --i) fit = fit * (2.0L * u - (n - 1)) / (n - 1) + c[i];
        residuals[u] = y[first + u] - fit;
    }
    return residuals;
}

// R/n of that fit, the residuals summed plainly.
long double PlainBoxResidual(const std::vector<double>& y, int first, int n, int order) {
    long double r = 0;
    for (long double residual : PlainBoxResiduals(y, first, n, order)) r += residual * residual;
    return r / n;
}

// The first samples of the boxes in the W samples up to p: those that end at
// p, p − s, … (s = n, or the overlap's step), and for both ends those that
// start at p − W + 1, p − W + 1 + n, …
std::vector<int> BoxFirsts(int p, int W, int n, const std::string& boxes) {
    const int step = boxes == "overlap"            ? 1
                     : boxes.starts_with("overlap:") ? std::max(1, int(std::lround(std::stod(boxes.substr(8)) * n)))
                                                   : n;
    std::vector<int> firsts;
    for (int first = p - n + 1; first > p - W; first -= step) firsts.push_back(first);
    if (boxes == "both")
        for (int first = p - W + 1; first + n - 1 <= p; first += n) firsts.push_back(first);
    return firsts;
}

// F(n) at end position p from the definition.
double ReferenceF(const std::vector<double>& y, int p, int W, int n, int order, const std::string& boxes = "end") {
    const std::vector<int> firsts = BoxFirsts(p, W, n, boxes);
    long double total = 0;
    for (int first : firsts) total += PlainBoxResidual(y, first, n, order);
    return double(std::sqrt(total / firsts.size()));
}

// Every order and placement of the boxes gives the F(n) of a plain fit in each
// box, and the same F(n) after 1e9 is added to the walk (whose steps are
// multiples of 2^-16, so that the sums hold them exactly); the dynamic DFA,
// whose boxes slide on along the series, gives at every position the H of the
// static DFA of the samples up to there.
TEST(Dfa, EveryOrderAndPlacementIsAPlainFitInEachBox) {
    std::vector<double> walk = test::RandomWalk(12000, 5), raised;
    for (double& v : walk) raised.push_back((v = std::ldexp(std::round(std::ldexp(v, 16)), -16)) + 1e9);
    const int W = 1500, N = int(walk.size());
    const std::vector<double> head(walk.begin(), walk.begin() + W + 1), raisedHead(raised.begin(), raised.begin() + W + 1);
    OutputCapture out;
    for (int order = 0; order <= kMostDfaOrder; ++order)
        for (const std::string boxes : {"end", "both", "overlap", "overlap:0.3"}) {
            AnalysisSettings s;
            s.computationType = 3;
            s.windowSize = W;
            s.sizes = {8, 21, 50, 128, 300};
            s.dfaOrder = order;
            s.dfaBoxes = boxes;
            const AnalysisResult plain = Analyse(head, s), offset = Analyse(raisedHead, s);
            for (size_t k = 0; k < s.sizes.size(); ++k) {
                const double f = plain.fluctuations.at(k), expected = ReferenceF(head, W, W, s.sizes[k], order, boxes);
                EXPECT_NEAR(f, expected, 1e-10 * expected) << order << " " << boxes << " " << k;
                EXPECT_NEAR(offset.fluctuations.at(k), f, 1e-9 * f) << order << " " << boxes << " " << k;
            }
            s.jobs = 3;  // the box sizes shared by three threads: the same numbers
            EXPECT_EQ(Analyse(head, s).fluctuations, plain.fluctuations) << order << " " << boxes;
            s.jobs = 1;
            s.computationType = 1;
            s.dynamicStep = 1;
            const AnalysisResult dynamic = Analyse(raised, s);
            s.computationType = 3;
            for (int p = N - 30; p < N; ++p)
                EXPECT_NEAR(dynamic.hursts.at(p - W), Analyse(std::span(walk).first(p + 1), s).hurst, 1e-9)
                    << order << " " << boxes << " " << p;
        }
}

TEST(StaticDfa, WorkedExampleOfARamp) {
    DfaCase c;
    test::WriteNumbers(c.input, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    OutputCapture out;
    EXPECT_EQ(c.Static(8, 0, 9), kAnalysed);
    EXPECT_EQ(test::ReadLines(c.chart),
              (Lines{"2.000000000\t0.500000000\t0.301029996\t-0.301029996",
                     "4.000000000\t1.118033989\t0.602059991\t0.048455007"}));
    EXPECT_EQ(test::ReadText(c.result), "s.txt\t9\t0\t8\t1.16096\n");  // the position is W
}

TEST(StaticDfa, MatchesTheDefinitionOnTheLastSamples) {
    DfaCase c;
    const std::vector<double> x = test::RandomWalk(2600, 3);
    test::WriteNumbers(c.input, x);
    c.boxes = ScaleProgression{4, 128, 2, kGeometric, {}};
    const int W = 1999;  // not a multiple of any box size: the oldest samples are left out
    const std::vector<double> kept(x.end() - (W + 1), x.end());
    for (int order : {0, 1}) {
        OutputCapture out;
        std::remove(c.result.c_str());
        ASSERT_EQ(c.Static(W, order, 2500, 100), kAnalysed);
        const Lines f = test::Column(c.chart, 1);
        for (int k = 0; k < 6; ++k) {
            const double expected = ReferenceF(kept, W, W, 4 << k, order);
            EXPECT_NEAR(std::stod(f.at(k)), expected, 1e-7 * expected) << order << " " << k;
        }
    }
}

// Step 0 evaluates every position from W on, H there as the definition of F
// gives it; a stop keeps the lines written before it. Percentages come at every
// position, evaluated or not, and step 7 evaluates its multiples (504, 511, …).
TEST(DynamicDfa, EveryPositionMatchesTheDefinitionAndAStopEndsPromptly) {
    DfaCase c;
    const std::vector<double> x = test::RandomWalk(1000, 4);
    test::WriteNumbers(c.input, x);
    c.boxes = ScaleProgression{10, 40, 10, kLinear, {}};
    {
        OutputCapture out;
        ASSERT_EQ(c.Dynamic(500, 1, 1000, 0), kAnalysed);
        EXPECT_EQ(test::StartingWith(out.Lines(), "Hurst exponent ").size(), 50u);  // 50 … 99 %, each once
    }
    EXPECT_EQ(test::Column(c.inc, 3).size(), 500u);
    for (int p : {500, 777, 999}) {
        std::vector<double> f;
        for (int n = 10; n <= 40; n += 10) f.push_back(ReferenceF(x, p, 500, n, 1));
        EXPECT_EQ(test::Column(c.inc, 3).at(p - 500), std::to_string(p));
        EXPECT_NEAR(test::HurstOf(c.inc, p - 500), test::FitSlope({10, 20, 30, 40}, f), 1e-5) << p;
    }

    StopSource stop;
    ScopedStopSource scope(stop);
    {
        test::StopOnLine sink(stop, "Hurst exponent 60 %");  // at 600, not a multiple of 7
        EXPECT_EQ(c.Dynamic(500, 1, 1000, 7), kStopped);
        EXPECT_TRUE(sink.Text().ends_with("Hurst exponent 60 %\n"));
    }
    Lines positions;
    for (int p = 504; p < 600; p += 7) positions.push_back(std::to_string(p));
    EXPECT_EQ(test::Column(c.inc, 3), positions);
    OutputCapture out;  // the stop is still requested
    EXPECT_EQ(c.Static(300, 1, 400), kStopped);
    EXPECT_FALSE(test::Exists(c.chart) || test::Exists(c.result));
}

// F_q(n) of multifractal DFA and DMA against the definition, segment by
// segment, on a series with a flat stretch of zeros: its segments are left
// out of q <= 0 and counted, and count as zero in the mean for q > 0.
TEST(MultifractalTest, FluctuationsFollowTheDefinitionSegmentBySegment) {
    struct Row {
        MethodFamily family;
        int order;
        std::string boxes;
        double theta;
    };
    const Row rows[] = {{MethodFamily::kDfa, 1, "end", 0},         {MethodFamily::kDfa, 2, "both", 0},
                        {MethodFamily::kDfa, 0, "overlap:0.5", 0}, {MethodFamily::kDma, 0, "", 0},
                        {MethodFamily::kDma, 0, "", 0.5},          {MethodFamily::kDma, 0, "", 1}};
    std::vector<double> y(307);
    for (int t = 0; t < 307; ++t) y[t] = t >= 100 && t < 200 ? 0.0 : std::sin(t * 0.7) * 3 + std::cos(t * t * 0.1);
    const std::vector<double> q = {-3, -1, 0, 0.5, 2};
    const int N = static_cast<int>(y.size());
    for (const Row& row : rows) {
        const MultifractalSettings s{row.family, q, {5, 8, 20}, row.order, row.boxes, row.theta, false};
        OutputCapture capture;
        const MultifractalResult r = AnalyseMultifractal(y, s);
        ASSERT_EQ(r.status, AnalysisStatus::kAnalysed) << r.reason;
        int64_t flat = 0;
        for (size_t k = 0; k < s.scales.size(); ++k) {
            const int n = s.scales[k];
            std::vector<long double> squares;
            if (row.family == MethodFamily::kDfa) {
                const int step = row.boxes == "overlap:0.5" ? (n + 1) / 2 : n;
                for (int first = N - n; first >= 0; first -= step) squares.push_back(PlainBoxResidual(y, first, n, row.order));
                if (row.boxes == "both")
                    for (int first = 0; first + n <= N; first += n) squares.push_back(PlainBoxResidual(y, first, n, row.order));
            } else {
                const int back = static_cast<int>(std::ceil((n - 1) * (1 - row.theta)));
                for (int first = back; first + n <= N - (n - 1 - back); first += n) {
                    long double sum = 0;
                    for (int t = first; t < first + n; ++t) {
                        long double average = 0;
                        for (int u = t - back; u < t - back + n; ++u) average += y[u] / static_cast<long double>(n);
                        sum += (y[t] - average) * (y[t] - average);
                    }
                    squares.push_back(sum / n);
                }
            }
            for (size_t j = 0; j < q.size(); ++j) {
                long double sum = 0;
                int used = 0;
                for (long double f2 : squares) {
                    if (f2 == 0 && q[j] <= 0) continue;
                    sum += q[j] == 0 ? std::log(f2) / 2 : std::pow(f2, q[j] / 2);
                    ++used;
                }
                const double expected = q[j] == 0 ? std::exp(sum / used) : std::pow(sum / used, 1 / q[j]);
                EXPECT_NEAR(r.fluctuation[j][k], expected, 1e-9 * expected) << row.boxes << row.theta << " n " << n;
                if (j == 0) flat += static_cast<int64_t>(squares.size()) - used;
            }
        }
        EXPECT_GT(flat, 0);
        EXPECT_EQ(r.FlatSegments(), flat);
        EXPECT_NE(capture.Text().find(std::to_string(flat) + " of the"), std::string::npos) << capture.Text();
    }
}

// DCCA and DMCA against the products of plain residuals, box by box or sample
// by sample, over the whole series and in windows sliding along it (each
// analysed as a series of its own); ρ of a series with itself is 1, with its
// negative −1; series of different lengths are refused with both lengths.
TEST(CrossCorrelationTest, FollowsThePlainResidualsBoxByBoxAndSampleBySample) {
    struct Row {
        MethodFamily family;
        int order;
        std::string boxes;
        double theta;
        int window;
    };
    using enum MethodFamily;
    const Row rows[] = {{kDfa, 1, "end", 0, 0},         {kDfa, 2, "both", 0, 0},        {kDfa, 1, "overlap", 0, 0},
                        {kDfa, 0, "overlap:0.5", 0, 0}, {kDma, 0, "", 0, 0},            {kDma, 0, "", 0.5, 0},
                        {kDfa, 2, "both", 0, 150},      {kDfa, 1, "overlap", 0, 150},   {kDma, 0, "", 0.5, 150}};
    const int N = 307, step = 37;
    std::vector<double> x(N), y(N), negative(N);
    for (int t = 0; t < N; ++t) {
        x[t] = std::sin(t * 0.7) * 3 + std::cos(t * t * 0.1) + 0.01 * t;
        y[t] = 0.5 * x[t] + std::cos(t * 1.3) + std::sin(t * t * 0.07);
        negative[t] = -x[t];
    }
    for (const Row& row : rows) {
        CrossCorrelationSettings s{row.family, {5, 8, 20}, row.order, row.boxes, row.theta};
        s.window = row.window, s.step = step;
        OutputSilence quiet;
        const CrossCorrelationResult r = AnalyseCrossCorrelation(x, y, s);
        ASSERT_EQ(r.status, AnalysisStatus::kAnalysed) << r.reason;
        const int W = row.window > 0 ? row.window : N;
        std::vector<int> ends = {N - 1};  // the last samples of the windows analysed
        if (row.window > 0) {
            ends.clear();
            for (int p = W - 1; p < N; ++p)
                if (p % step == 0) ends.push_back(p);
            EXPECT_EQ(std::vector<int>(r.positions.begin(), r.positions.end()), ends);
        }
        for (size_t i = 0; i < ends.size(); ++i)
            for (size_t k = 0; k < s.scales.size(); ++k) {
                const int n = s.scales[k], p = ends[i];
                long double xx = 0, yy = 0, xy = 0;
                int units = 0;
                auto take = [&](const std::vector<long double>& rx, const std::vector<long double>& ry) {
                    const size_t m = rx.size();
                    for (size_t u = 0; u < m; ++u)
                        xx += rx[u] * rx[u] / m, yy += ry[u] * ry[u] / m, xy += rx[u] * ry[u] / m;
                    ++units;
                };
                if (row.family == kDfa) {
                    for (int first : BoxFirsts(p, W, n, row.boxes))
                        take(PlainBoxResiduals(x, first, n, row.order), PlainBoxResiduals(y, first, n, row.order));
                } else {
                    const int back = static_cast<int>(std::ceil((n - 1) * (1 - row.theta)));
                    for (int t = p - W + 1 + back; t <= p - (n - 1 - back); ++t) {
                        long double mx = 0, my = 0;
                        for (int u = t - back; u < t - back + n; ++u) mx += x[u], my += y[u];
                        mx /= n, my /= n;
                        take({x[t] - mx}, {y[t] - my});
                    }
                }
                const double rho = double(xy / std::sqrt(xx * yy));
                if (row.window > 0) {
                    EXPECT_NEAR(r.rhoAlong[i][k], rho, 1e-9) << row.boxes << row.theta << " n " << n << " at " << p;
                    continue;
                }
                EXPECT_NEAR(r.f2xy[k], double(xy / units), 1e-9 * std::fabs(double(xy / units))) << row.boxes << n;
                EXPECT_NEAR(r.fx[k], double(std::sqrt(xx / units)), 1e-9 * r.fx[k]) << row.boxes << n;
                EXPECT_NEAR(r.fy[k], double(std::sqrt(yy / units)), 1e-9 * r.fy[k]) << row.boxes << n;
                EXPECT_NEAR(r.rho[k], rho, 1e-9) << row.boxes << row.theta << " n " << n;
            }
        for (const auto& [other, sign] : {std::pair{x, 1.0}, std::pair{negative, -1.0}}) {
            const CrossCorrelationResult self = AnalyseCrossCorrelation(x, other, s);
            std::vector<double> all = self.rho;
            for (const std::vector<double>& along : self.rhoAlong) all.insert(all.end(), along.begin(), along.end());
            for (double rho : all) EXPECT_NEAR(rho, sign, 1e-12) << row.boxes << row.theta;
        }
    }
    const std::string refused = AnalyseCrossCorrelation(x, std::span(y).first(300), {}).reason;
    EXPECT_NE(refused.find("the first has 307 samples, the second 300"), std::string::npos) << refused;
}

}  // namespace
}  // namespace fractan
