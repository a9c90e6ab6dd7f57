#include "engine/smoothed_dma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/dynamic_dma.h"
#include "engine/static_dma.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

template <class Window>
std::vector<double> PushAll(Window& window, const std::vector<double>& xs) {
    std::vector<double> out;
    for (double x : xs) out.push_back(window.Push(x));
    return out;
}

TEST(SmoothedWindow, SeedsThenBlendsTheMeanWithTheOutputOfWPushesAgo) {
    SmoothedWindow w2;
    w2.SetLength(3, 2);  // h = 0.6
    const std::vector<double> y = PushAll(w2, {1, 2, 3, 4, 5});
    EXPECT_EQ(y[0], 0.0);  // seeds 1 and 1.5 are kept, not returned
    EXPECT_EQ(y[1], 0.0);
    EXPECT_DOUBLE_EQ(y[2], 0.4 * 5 / 2 + 0.6 * 1.0);   // seed of the first push
    EXPECT_DOUBLE_EQ(y[3], 0.4 * 7 / 2 + 0.6 * 1.5);   // seed of the second
    EXPECT_DOUBLE_EQ(y[4], 0.4 * 9 / 2 + 0.6 * y[2]);  // its own output, w pushes ago

    SmoothedWindow w1;  // w = 1: exponential smoothing y = (x + n·y') / (n + 1)
    w1.SetLength(3, 1);
    const std::vector<double> e = PushAll(w1, {1, 2, 4});
    EXPECT_DOUBLE_EQ(e[1], (2 + 3 * 1.0) / 4);
    EXPECT_DOUBLE_EQ(e[2], (4 + 3 * e[1]) / 4);

    w2.SetLength(3, 2);  // starts over
    EXPECT_EQ(PushAll(w2, {9, 9})[1], 0.0);
}

TEST(LambdaWindow, LambdaZeroIsTheTrailingMeanLambdaOneRepeatsTheSeeds) {
    LambdaWindow mean;
    mean.SetLength(0.0, 2);
    EXPECT_EQ(PushAll(mean, {1, 2, 3, 4}), (std::vector<double>{0, 0, 2.5, 3.5}));
    LambdaWindow repeat;
    repeat.SetLength(1.0, 2);
    EXPECT_EQ(PushAll(repeat, {1, 2, 3, 4, 5, 6}), (std::vector<double>{0, 0, 1, 1.5, 1, 1.5}));
}

struct SmoothedCase {
    test::TempDir dir;
    std::string input = dir.File("s.txt");
    ScaleProgression progression{4, 32, 2, kGeometric, {}};  // 4, 8, 16, 32
    // Result files named as the driver names them: "<name>.out.txt".
    std::string Result(const char* name) { return dir.File(std::string(name) + ".out.txt"); }
    std::string Chart(const char* name) { return Result(name) + ".s.txt.chart.txt"; }
};

TEST(SmoothedDma, WeightZeroGivesThePlainResults) {
    SmoothedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(600, 31));
    OutputCapture out;
    RunStaticDma(400, c.progression, c.input, kTextInput, c.Result("2"), 600, 0);
    RunStaticSmoothedDma(400, 0, c.progression, c.input, kTextInput, c.Result("4"), 600, 0);
    RunStaticSmoothedDmaLambda(400, 0, 0.7, c.progression, c.input, kTextInput, c.Result("9"), 600, 0);
    EXPECT_EQ(test::ReadText(c.Chart("4")), test::ReadText(c.Chart("2")));
    EXPECT_EQ(test::ReadText(c.Chart("9")), test::ReadText(c.Chart("2")));
    EXPECT_EQ(test::ReadText(c.Result("4")), test::ReadText(c.Result("2")));
    EXPECT_EQ(test::ReadText(c.Result("9")), test::ReadText(c.Result("2")));

    RunDynamicDma(100, c.progression, c.input, kTextInput, c.Result("0"), 600, 0, 10);
    RunDynamicSmoothedDma(100, 0, c.progression, c.input, kTextInput, c.Result("8"), 600, 0, 10);
    const std::string inc0 = c.dir.File("0.out.s.inc.txt"), inc8 = c.dir.File("8.out.s.inc.txt");
    EXPECT_EQ(test::ReadLines(inc8).size(), 46u);  // t = 140, 150, … 590
    EXPECT_EQ(test::ReadText(inc8), test::ReadText(inc0));
    EXPECT_EQ(test::ReadText(c.Result("8")), "");  // dynamic types write no result line
}

TEST(SmoothedDma, StaticWeightOneIsExponentialSmoothingOfTheKeptSamples) {
    SmoothedCase c;
    const std::vector<double> x = test::RandomWalk(700, 32);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    ASSERT_EQ(RunStaticSmoothedDma(500, 1, c.progression, c.input, kTextInput, c.Result("4"), 700, 0),
              kAnalysed);
    const Lines chart = test::ReadLines(c.Chart("4"));
    ASSERT_EQ(chart.size(), 4u);
    const std::vector<double> kept(x.end() - (500 + 64), x.end());
    for (int k = 0; k < 4; ++k) {
        const double n = 4 << k;
        // y_0 is the first sample (its seed); y_t = (x_t + n·y_{t−1}) / (n + 1).
        double y = kept[0], sum2 = 0;
        for (int t = 1; t < 32 + 500; ++t) {
            y = (kept[t] + n * y) / (n + 1);
            if (t >= 32) sum2 += (y - kept[t]) * (y - kept[t]);
        }
        const double f = std::sqrt(sum2 / 500);
        EXPECT_NEAR(std::stod(test::SplitTabs(chart[k])[1]), f, 1e-7 * f) << n;
    }
}

TEST(SmoothedDma, LambdaFiltersIgnoreTheWindowSize) {
    SmoothedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(700, 33));
    OutputCapture out;
    ASSERT_EQ(RunStaticSmoothedDmaLambda(500, 3, 0.5, c.progression, c.input, kTextInput, c.Result("9"),
                                         700, 0),
              kAnalysed);
    const Lines chart = test::ReadLines(c.Chart("9"));
    ASSERT_EQ(chart.size(), 4u);
    for (const auto& line : chart) EXPECT_EQ(test::SplitTabs(line)[1], test::SplitTabs(chart[0])[1]);
    EXPECT_NEAR(std::stod(test::SplitTabs(test::ReadLines(c.Result("9")).at(0))[4]), 0.0, 1e-5);
}

TEST(SmoothedDma, NegativeWeightIsRefusedByEveryRoutine) {
    SmoothedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(700, 34));
    const std::string reason =
        "Nothing evaluated for [" + c.input + "]: the DMA filter weight is -2, it must be at least 0.";
    OutputCapture out;
    EXPECT_EQ(RunStaticSmoothedDmaLambda(500, -2, 0.5, c.progression, c.input, kTextInput, c.Result("9"), 700, 0),
              kNotAnalysed);
    EXPECT_EQ(out.Lines().back(), reason);
    EXPECT_EQ(RunStaticSmoothedDma(500, -2, c.progression, c.input, kTextInput, c.Result("4"), 700, 0),
              kNotAnalysed);
    EXPECT_EQ(out.Lines().back(), reason);
    EXPECT_EQ(RunDynamicSmoothedDma(100, -2, c.progression, c.input, kTextInput, c.Result("8"), 700, 0, 1),
              kNotAnalysed);
    EXPECT_EQ(out.Lines().back(), reason);
    EXPECT_FALSE(test::Exists(c.Result("9")));
    EXPECT_EQ(test::ReadText(c.dir.File("8.out.s.inc.txt")), "");
}

}  // namespace
}  // namespace fractan
