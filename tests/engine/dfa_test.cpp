#include "engine/dfa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "setup/output.h"
#include "setup/series_loader.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DfaCase {
    test::TempDir dir;
    std::string input = dir.File("s.txt");
    std::string result = dir.File("t.Static DFA (3).out.txt");
    std::string chart = result + ".s.txt.chart.txt";
    std::string inc = dir.File("t.Static DFA (3).out.s.inc.txt");
    ScaleProgression boxes{2, 4, 2, kLinear, {}};  // 2, 4

    int32_t Static(int32_t W, int32_t order, int32_t size, int32_t offset = 0) {
        return RunStaticDfa(W, order, boxes, input, kTextInput, result, size, offset);
    }
    int32_t Dynamic(int32_t W, int32_t order, int32_t size, int32_t step) {
        return RunDynamicDfa(W, order, boxes, input, kTextInput, result, size, 0, step);
    }
    std::vector<int> Positions() {
        std::vector<int> positions;
        for (const auto& line : test::ReadLines(inc)) positions.push_back(std::stoi(test::SplitTabs(line)[3]));
        return positions;
    }
};

// F(n) at end position p from the definition: explicit least squares in each
// of the W div n boxes that end at p, p − n, …
double ReferenceF(const std::vector<double>& y, int p, int W, int n, int order) {
    const int count = W / n;
    double total = 0;
    for (int i = 0; i < count; ++i) {
        const int last = p - i * n, first = last - n + 1;
        double mt = 0, my = 0;
        for (int t = first; t <= last; ++t) mt += t, my += y[t];
        mt /= n, my /= n;
        double stt = 0, sty = 0;
        for (int t = first; t <= last; ++t) stt += (t - mt) * (t - mt), sty += (t - mt) * (y[t] - my);
        const double slope = order >= 1 ? sty / stt : 0.0;
        double r = 0;
        for (int t = first; t <= last; ++t) {
            const double d = y[t] - (my + slope * (t - mt));
            r += d * d;
        }
        total += r / n;
    }
    return std::sqrt(total / count);
}

TEST(StaticDfa, WorkedExampleOfARampChartResultAndProgress) {
    DfaCase c;
    test::WriteNumbers(c.input, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    OutputCapture out;
    EXPECT_EQ(c.Static(8, 0, 9), kAnalysed);
    EXPECT_EQ(test::ReadLines(c.chart),
              (Lines{"2.000000000\t0.500000000\t0.301029996\t-0.301029996",
                     "4.000000000\t1.118033989\t0.602059991\t0.048455007"}));
    EXPECT_EQ(test::ReadText(c.result), "s.txt\t9\t0\t8\t1.16096\n");
    const Lines lines = out.Lines();
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
              (Lines{"Done.", "Shifting data...", "Done.", "Setting up trend-lines windows...", "Done.",
                     "Setting up sums...", "Done.", "Performing Hurst exponent calculation...", "Done.",
                     "Writing output file...", "Done."}));

    // A line fits every box of the ramp exactly; order 2 acts as order 1.
    for (int order : {1, 2}) {
        OutputCapture quiet;
        c.Static(8, order, 9);
        const Lines chart = test::ReadLines(c.chart);
        ASSERT_EQ(chart.size(), 2u);
        for (const auto& line : chart) EXPECT_EQ(test::SplitTabs(line)[1], "0.000000000") << order;
    }
}

TEST(StaticDfa, AlternatingSeriesHasNoScaling) {
    DfaCase c;
    test::WriteNumbers(c.input, {0, 1, 0, 1, 0, 1, 0, 1, 0});
    OutputCapture out;
    c.Static(8, 0, 9);
    const Lines chart = test::ReadLines(c.chart);
    ASSERT_EQ(chart.size(), 2u);
    for (const auto& line : chart) EXPECT_EQ(test::SplitTabs(line)[1], "0.500000000");
    EXPECT_NEAR(std::stod(test::SplitTabs(test::ReadLines(c.result).at(0))[4]), 0.0, 1e-12);
}

TEST(StaticDfa, MatchesTheDefinitionOnTheLastSamplesAndOrdersClamp) {
    DfaCase c;
    const std::vector<double> x = test::RandomWalk(2600, 3);
    test::WriteNumbers(c.input, x);
    c.boxes = ScaleProgression{4, 128, 2, kGeometric, {}};
    const int W = 1999;  // not a multiple of any box size: the oldest samples are left out
    const std::vector<double> kept(x.end() - (W + 1), x.end());
    for (int order : {0, 1}) {
        OutputCapture out;
        ASSERT_EQ(c.Static(W, order, 2500, 100), kAnalysed);
        const Lines chart = test::ReadLines(c.chart);
        ASSERT_EQ(chart.size(), 6u);
        for (int k = 0; k < 6; ++k) {
            const double expected = ReferenceF(kept, W, W, 4 << k, order);
            EXPECT_NEAR(std::stod(test::SplitTabs(chart[k])[1]), expected, 1e-7 * expected) << order << " " << k;
        }
        const Lines fields = test::SplitTabs(test::ReadLines(c.result).at(0));
        EXPECT_EQ(fields[3], "1999");  // the window size, not a position
    }
    // Orders below 0 act as 0, above 1 as 1: the same files.
    const auto resultOf = [&](int order) {
        OutputCapture out;
        std::remove(c.result.c_str());  // the result file is only appended to
        c.Static(W, order, 2500, 100);
        return test::ReadText(c.chart) + test::ReadText(c.result);
    };
    EXPECT_EQ(resultOf(-3), resultOf(0));
    EXPECT_EQ(resultOf(7), resultOf(1));
    EXPECT_NE(resultOf(0), resultOf(1));
}

TEST(StaticDfa, RefusalsNameTheFileAndWriteNothing) {
    DfaCase c;
    test::WriteNumbers(c.input, {1, 2, 3, 4, 5, 6, 7, 8});
    struct Refusal {
        int W, size;
        ScaleProgression boxes;
        std::string reason;
    };
    for (const Refusal& r : std::vector<Refusal>{
             {8, 8, c.boxes, "it holds 8 samples, fewer than the 9 that window size 8 needs"},
             {8, 20, c.boxes, "the series could not be loaded"},  // fewer samples in the file
             {4, 8, ScaleProgression{0, 2, 2, kLinear, {}}, "the box size 0 is below 1"},
             {0, 8, c.boxes, "the window size is 0, it must be at least 1"},
         }) {
        c.boxes = r.boxes;
        OutputCapture out;
        EXPECT_EQ(c.Static(r.W, 0, r.size), kNotAnalysed);
        EXPECT_EQ(out.Lines().back(), "Nothing evaluated for [" + c.input + "]: " + r.reason + ".");
        EXPECT_FALSE(test::Exists(c.chart));
        EXPECT_FALSE(test::Exists(c.result));
    }
}

TEST(DynamicDfa, PositionsProgressAndTheDefinition) {
    DfaCase c;
    const std::vector<double> x = test::RandomWalk(1000, 4);
    test::WriteNumbers(c.input, x);
    c.boxes = ScaleProgression{10, 40, 10, kLinear, {}};
    OutputCapture out;
    ASSERT_EQ(c.Dynamic(500, 1, 1000, 7), kAnalysed);
    // Every position p ≥ W with p mod 7 = 0; the first is not W itself.
    std::vector<int> expected;
    for (int p = 504; p < 1000; p += 7) expected.push_back(p);
    EXPECT_EQ(c.Positions(), expected);
    // A percentage at every position, computed or not: 50 … 99.
    Lines percentages;
    for (const auto& line : out.Lines())
        if (line.starts_with("Hurst exponent ")) percentages.push_back(line);
    ASSERT_EQ(percentages.size(), 50u);
    EXPECT_EQ(percentages.front(), "Hurst exponent 50 %");
    EXPECT_EQ(percentages.back(), "Hurst exponent 99 %");

    // The exponent at p = 700 from the definition of F over the boxes ending there.
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int n = 10; n <= 40; n += 10) {
        const double X = std::log10(n), Y = std::log10(ReferenceF(x, 700, 500, n, 1));
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    const Lines lines = test::ReadLines(c.inc);
    const Lines at700 = test::SplitTabs(lines.at((700 - 504) / 7));
    EXPECT_EQ(at700[3], "700");
    EXPECT_NEAR(std::stod(at700[4]), LeastSquaresSlope(sx, sy, sxy, sxx, 4), 1e-5);
}

TEST(DynamicDfa, LastPositionOfAWindowLongSeriesIsTheStaticResult) {
    DfaCase c;
    test::WriteNumbers(c.input, test::RandomWalk(301, 5));
    c.boxes = ScaleProgression{5, 40, 2, kGeometric, {}};
    OutputCapture out;
    c.Dynamic(300, 1, 301, 0);  // step 0 computes every position: here only p = W
    c.Static(300, 1, 301);
    EXPECT_EQ(test::ReadText(c.inc), test::ReadText(c.result));
    EXPECT_EQ(c.Positions(), std::vector<int>{300});
}

TEST(DynamicDfa, SeriesNoLongerThanTheWindowLeavesAnEmptyIncrementalFile) {
    DfaCase c;
    test::WriteNumbers(c.input, test::RandomWalk(50, 6));
    test::WriteText(c.inc, "an earlier run\n");
    OutputCapture out;
    EXPECT_EQ(c.Dynamic(50, 0, 50, 1), kNotAnalysed);
    EXPECT_EQ(test::ReadText(c.inc), "");
    const Lines lines = out.Lines();
    EXPECT_EQ(Lines(lines.end() - 7, lines.end() - 1),
              (Lines{"Setting up trend-lines windows...", "Done.", "Setting up sums...", "Done.",
                     "Performing Hurst exponent calculation...", "Done."}));
    EXPECT_EQ(lines.back(), "Nothing evaluated for [" + c.input +
                                "]: it holds 50 samples, fewer than the 51 that window size 50 needs.");
}

TEST(Dfa, StopEndsPromptlyAndWritesNothingMore) {
    DfaCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 7));
    StopSource stop;
    ScopedStopSource scope(stop);
    {
        test::StopOnLine sink(stop, "Hurst exponent 60 %");  // printed at p = 600
        EXPECT_EQ(c.Dynamic(500, 1, 1000, 7), kStopped);
        EXPECT_TRUE(sink.Text().ends_with("Hurst exponent 60 %\n"));
    }
    const std::vector<int> positions = c.Positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 504);
    EXPECT_EQ(positions.back(), 595);  // the lines written before the stop are kept

    OutputCapture out;  // the stop is still requested
    EXPECT_EQ(c.Static(300, 1, 400), kStopped);
    EXPECT_FALSE(test::Exists(c.chart));
    EXPECT_FALSE(test::Exists(c.result));
}

}  // namespace
}  // namespace fractan
