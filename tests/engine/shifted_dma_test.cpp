#include "engine/shifted_dma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/dynamic_dma.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct ShiftedCase : test::SeriesFolder {
    ScaleProgression progression{3, 24, 2, kGeometric, {}};  // 3, 6, 12, 24
};

// Dynamic shifted DMA at θ = 0 gives type 0's lines, but stops M samples before the end.
TEST(ShiftedDma, DynamicThetaZeroIsPlainDmaUpToMBeforeTheEnd) {
    ShiftedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(500, 41));
    OutputCapture out;
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
    for (double theta : {0.0, 0.5, 1.0}) {  // θ = 0: the plain trailing mean
        OutputCapture out;
        ASSERT_EQ(RunStaticShiftedDma(W, c.progression, c.input, kTextInput, c.Result("6"), 500, 0, theta), kAnalysed);
        const Lines f = test::Column(c.Chart("6"), 1);
        for (int k = 0; k < 4; ++k) {
            const int n = 3 << k, s = std::lround(n * theta);  // halves up: 1.5 → 2
            double sum2 = 0;
            for (int j = M; j < M + W; ++j) {
                double mean = 0;
                for (int i = j + s - n + 1; i <= j + s; ++i) mean += kept[i];  // θ = 1 reads the last sample
                mean /= n;
                sum2 += (mean - kept[j]) * (mean - kept[j]);
            }
            const double expected = std::sqrt(sum2 / W);
            EXPECT_NEAR(std::stod(f.at(k)), expected, 1e-7 * expected) << theta << " " << n;
        }
    }
}

}  // namespace
}  // namespace fractan
