#include "engine/first_order_dma.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "setup/output.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct FirstOrderCase {
    test::TempDir dir;
    std::string input = dir.File("s.txt");
    std::string result = dir.File("t.out.txt");
    std::string chart = result + ".s.txt.chart.txt";
    ScaleProgression progression{3, 4, 1, kLinear, {}};  // 3, 4

    int32_t Run(int32_t W, int32_t size) {
        return RunStaticFirstOrderDma(W, progression, input, kTextInput, result, size, 0);
    }
};

TEST(FirstOrderDma, ReadAheadPlacesThePositionAQuarterWindowAfterTheCentre) {
    EXPECT_EQ(FirstOrderReadAhead(2), 1);  // A = 1, B = round(0.25) = 0
    EXPECT_EQ(FirstOrderReadAhead(3), 1);  // A = round(1.5) = 2, B = round(0.5) = 1
    EXPECT_EQ(FirstOrderReadAhead(4), 1);  // A = 2, B = round(0.75) = 1
    EXPECT_EQ(FirstOrderReadAhead(8), 2);  // A = 4, B = round(1.75) = 2
    EXPECT_EQ(FirstOrderReadAhead(101), 26);
}

TEST(FirstOrderDma, WindowFourFitsALineExactlyWindowThreeDeviatesByHalfThePreviousSample) {
    FirstOrderCase c;
    // Linear up to the data window's last stretch; a kink leaves F(4) 0 only on the line.
    std::vector<double> x;
    for (int t = 0; t < 40; ++t) x.push_back(3.0 * t + 1.0);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    // 38 of 40 kept (W + 2M); F(4) = 0 makes log10 F and so H not finite.
    ASSERT_EQ(c.Run(30, 40), kNotFinite);
    const Lines chart = test::ReadLines(c.chart);
    ASSERT_EQ(chart.size(), 2u);
    EXPECT_EQ(test::SplitTabs(chart[1])[1], "0.000000000");  // window 4 on a line
    const std::vector<double> kept(x.end() - 38, x.end());
    double sum2 = 0;
    for (int j = 4; j < 34; ++j) sum2 += kept[j - 1] / 2 * (kept[j - 1] / 2);
    EXPECT_NEAR(std::stod(test::SplitTabs(chart[0])[1]), std::sqrt(sum2 / 30), 1e-9);
    EXPECT_TRUE(test::ReadText(c.result).starts_with("s.txt\t40\t0\t34\t"));
}

TEST(FirstOrderDma, OneMarkPerThousandPositionsInEachPhase) {
    FirstOrderCase c;
    c.progression = ScaleProgression{2500, 2500, 1, kLinear, {}};
    test::WriteNumbers(c.input, test::RandomWalk(8000, 51));
    OutputCapture out;
    c.Run(3000, 8000);
    const Lines lines = out.Lines();
    const auto shift = std::find(lines.begin(), lines.end(), "Shifting data...");
    ASSERT_LE(shift + 8, lines.end());
    const Lines expected = {"Shifting data...", "Done.", "Filling up moving averages...", "...Done.",
                            "Filling up data window...", "...Done.",
                            "Performing Hurst exponent calculation...", "Done."};
    EXPECT_EQ(Lines(shift, shift + 8), expected);
}

TEST(FirstOrderDma, WindowsThatWouldReadOutsideTheDataAreRefused) {
    FirstOrderCase c;
    test::WriteNumbers(c.input, test::RandomWalk(200, 52));
    test::WriteText(c.dir.File("p.txt"), "2\n40\n4\n");  // 40 reads 10 ahead, M = 4
    OutputCapture out;
    c.progression = ScaleProgression{0, 0, 0, kCustom, c.dir.File("p.txt")};
    EXPECT_EQ(c.Run(100, 200), kNotAnalysed);
    EXPECT_EQ(out.Lines().back(), "Nothing evaluated for [" + c.input +
                                      "]: moving average window 40 reads 10 samples ahead, more than the 4 "
                                      "of the maximum moving average (the last one).");
    c.progression = ScaleProgression{1, 4, 1, kLinear, {}};
    EXPECT_EQ(c.Run(100, 200), kNotAnalysed);
    EXPECT_EQ(out.Lines().back(),
              "Nothing evaluated for [" + c.input + "]: the moving average window 1 is below 2.");
    EXPECT_FALSE(test::Exists(c.result));
}

}  // namespace
}  // namespace fractan
