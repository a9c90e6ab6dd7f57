#include "engine/dfa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

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

// F(n) at end position p from the definition: explicit least squares in each
// of the W div n boxes that end at p, p − n, …
double ReferenceF(const std::vector<double>& y, int p, int W, int n, int order) {
    double total = 0;
    for (int last = p; last > p - W / n * n; last -= n) {
        double mt = 0, my = 0, stt = 0, sty = 0, r = 0;
        for (int t = last - n + 1; t <= last; ++t) mt += double(t) / n, my += y[t] / n;
        for (int t = last - n + 1; t <= last; ++t) stt += (t - mt) * (t - mt), sty += (t - mt) * (y[t] - my);
        const double slope = order >= 1 ? sty / stt : 0.0;
        for (int t = last - n + 1; t <= last; ++t) r += std::pow(y[t] - (my + slope * (t - mt)), 2);
        total += r / n;
    }
    return std::sqrt(total / (W / n));
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

}  // namespace
}  // namespace fractan
