#include "engine/shifted_dma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/dynamic_dma.h"
#include "engine/static_dma.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

SizeList Sizes(std::initializer_list<int32_t> values) {
    SizeList sizes(static_cast<int32_t>(values.size()), 10);
    int32_t i = 0;
    for (int32_t v : values) sizes[i++] = v;
    return sizes;
}

std::vector<int32_t> AsVector(const SizeList& list) { return {list.begin(), list.end()}; }

TEST(ShiftList, HalvesRoundUpAndShiftsMustStayWithinTheData) {
    EXPECT_EQ(AsVector(ShiftList(Sizes({3, 4, 5}), 0.5)), (std::vector<int32_t>{2, 2, 3}));
    EXPECT_EQ(AsVector(ShiftList(Sizes({3, 4, 5}), 1.0)), (std::vector<int32_t>{3, 4, 5}));
    EXPECT_EQ(AsVector(ShiftList(Sizes({3, 4, 5}), 0.0)), (std::vector<int32_t>{0, 0, 0}));

    EXPECT_EQ(ShiftRefusal(Sizes({3, 4, 5}), 1.0), "");
    EXPECT_EQ(ShiftRefusal(Sizes({4, 8}), 1.5),
              "shift percentage 1.5 moves moving average window 8 by 12 samples; shifts must lie "
              "within 0 ... 8, the maximum moving average");
    EXPECT_NE(ShiftRefusal(Sizes({4, 8}), -0.5), "");
    EXPECT_EQ(ShiftRefusal(Sizes({4, 8}), -0.01), "shift percentage -0.01 is below 0");  // rounds to 0
    EXPECT_NE(ShiftRefusal(Sizes({4, 8}), 1e12), "");  // no overflow in the rounding
    EXPECT_NE(ShiftRefusal(Sizes({4, 8}), std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_NE(ShiftRefusal(Sizes({8, 4}), 1.0), "");  // a custom list whose last is not the largest
    EXPECT_EQ(ShiftRefusal(Sizes({8, 4}), 0.5), "");
}

struct ShiftedCase {
    test::TempDir dir;
    std::string input = dir.File("s.txt");
    ScaleProgression progression{3, 24, 2, kGeometric, {}};  // 3, 6, 12, 24
    // Result files named as the driver names them: "<name>.out.txt".
    std::string Result(const char* name) { return dir.File(std::string(name) + ".out.txt"); }
    std::string Chart(const char* name) { return Result(name) + ".s.txt.chart.txt"; }
    std::string Inc(const char* name) { return dir.File(std::string(name) + ".out.s.inc.txt"); }
};

TEST(ShiftedDma, ThetaZeroIsPlainDma) {
    ShiftedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(500, 41));
    OutputCapture out;
    RunStaticDma(300, c.progression, c.input, kTextInput, c.Result("2"), 500, 0);
    RunStaticShiftedDma(300, c.progression, c.input, kTextInput, c.Result("6"), 500, 0, 0.0);
    EXPECT_EQ(test::ReadText(c.Chart("6")), test::ReadText(c.Chart("2")));
    EXPECT_EQ(test::ReadText(c.Result("6")), test::ReadText(c.Result("2")));

    // Dynamic: type 0's lines below N − M = 476, none at or above it.
    RunDynamicDma(100, c.progression, c.input, kTextInput, c.Result("0"), 500, 0, 5);
    RunDynamicShiftedDma(100, c.progression, c.input, kTextInput, c.Result("5"), 500, 0, 0.0, 5);
    Lines plain;
    for (const auto& line : test::ReadLines(c.Inc("0")))
        if (std::stoi(test::SplitTabs(line)[3]) < 476) plain.push_back(line);
    EXPECT_EQ(plain.size(), 71u);  // t = 125, 130, … 475
    EXPECT_EQ(test::ReadLines(c.Inc("5")), plain);
}

TEST(ShiftedDma, StaticAverageCoversTheSamplesAheadOfThePosition) {
    ShiftedCase c;
    const std::vector<double> x = test::RandomWalk(500, 42);
    test::WriteNumbers(c.input, x);
    const int W = 300, M = 24;
    const std::vector<double> kept(x.end() - (W + 2 * M), x.end());
    for (double theta : {0.5, 1.0}) {
        OutputCapture out;
        ASSERT_EQ(RunStaticShiftedDma(W, c.progression, c.input, kTextInput, c.Result("6"), 500, 0, theta),
                  kAnalysed);
        const Lines chart = test::ReadLines(c.Chart("6"));
        ASSERT_EQ(chart.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            const int n = 3 << k, s = RoundHalfUp(n * theta);
            double sum2 = 0;
            for (int j = M; j < M + W; ++j) {
                double mean = 0;
                for (int i = j + s - n + 1; i <= j + s; ++i) mean += kept[i];  // θ = 1 reads the last sample
                mean /= n;
                sum2 += (mean - kept[j]) * (mean - kept[j]);
            }
            const double f = std::sqrt(sum2 / W);
            EXPECT_NEAR(std::stod(test::SplitTabs(chart[k])[1]), f, 1e-7 * f) << theta << " " << n;
        }
        std::remove(c.Result("6").c_str());
    }
}

TEST(ShiftedDma, DynamicStopsMSamplesBeforeTheEnd) {
    ShiftedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 43));
    OutputCapture out;
    ASSERT_EQ(RunDynamicShiftedDma(100, c.progression, c.input, kTextInput, c.Result("5"), 1000, 0, 0.5, 1),
              kAnalysed);
    const Lines lines = test::ReadLines(c.Inc("5"));
    ASSERT_EQ(lines.size(), 1000u - 24 - 124);  // t = M + W … N − M − 1
    EXPECT_EQ(test::SplitTabs(lines.front())[3], "124");
    EXPECT_EQ(test::SplitTabs(lines.back())[3], "975");
    Lines percentages;
    for (const auto& line : out.Lines())
        if (line.starts_with("Hurst exponent ")) percentages.push_back(line);
    EXPECT_EQ(percentages.back(), "Hurst exponent 97 %");  // N stays the divisor
}

TEST(ShiftedDma, RefusalsReadNothingOutsideTheData) {
    ShiftedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(300, 44));
    OutputCapture out;
    EXPECT_EQ(RunStaticShiftedDma(100, c.progression, c.input, kTextInput, c.Result("6"), 300, 0, 1.2),
              kNotAnalysed);
    EXPECT_TRUE(out.Lines().back().starts_with("Nothing evaluated for [" + c.input + "]: shift percentage 1.2"));
    EXPECT_FALSE(test::Exists(c.Result("6")));
    // Type 5 needs W + 2M samples: the look-ahead of the last window.
    EXPECT_EQ(RunDynamicShiftedDma(253, c.progression, c.input, kTextInput, c.Result("5"), 300, 0, 0.5, 1),
              kNotAnalysed);
    EXPECT_EQ(out.Lines().back(), "Nothing evaluated for [" + c.input +
                                      "]: it holds 300 samples, fewer than the 301 that window size 253 "
                                      "and maximum moving average 24 need.");
    EXPECT_EQ(test::ReadText(c.Inc("5")), "");
}

}  // namespace
}  // namespace fractan
