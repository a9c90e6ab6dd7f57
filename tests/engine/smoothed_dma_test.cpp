#include "engine/smoothed_dma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "engine/dynamic_dma.h"
#include "engine/static_dma.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

struct SmoothedCase : test::SeriesFolder {
    ScaleProgression progression{4, 32, 2, kGeometric, {}};  // 4, 8, 16, 32
};

// The filter as the method describes it: the first w outputs are seeds, the
// mean of the samples so far; then y_t = (1 − h)·(mean of the last w) + h·y_{t−w},
// h = n / (n + w) for type 4, λ for type 9 whatever the window size.
TEST(SmoothedDma, StaticFiltersOfTheKeptSamplesMatchTheirDefinition) {
    SmoothedCase c;
    const std::vector<double> x = test::RandomWalk(700, 32);
    test::WriteNumbers(c.input, x);
    const std::vector<double> kept(x.end() - (500 + 64), x.end());
    for (auto [type, w, lambda] : {std::tuple{4, 2, 0.0}, std::tuple{9, 3, 0.5}}) {
        OutputCapture out;
        ASSERT_EQ(type == 4 ? RunStaticSmoothedDma(500, w, c.progression, c.input, kTextInput, c.Result("r"), 700, 0)
                            : RunStaticSmoothedDmaLambda(500, w, lambda, c.progression, c.input, kTextInput,
                                                         c.Result("r"), 700, 0),
                  kAnalysed);
        const std::vector<std::string> f = test::Column(c.Chart("r"), 1);
        for (int k = 0, n = 4; k < 4; ++k, n *= 2) {
            const double h = type == 4 ? n / (n + double(w)) : lambda;
            std::vector<double> y(kept.size());
            double sum = 0, sum2 = 0;
            for (int t = 0; t < 32 + 500; ++t) {
                sum += kept[t] - (t >= w ? kept[t - w] : 0.0);
                y[t] = t < w ? sum / (t + 1) : (1 - h) * sum / w + h * y[t - w];
                if (t >= 32) sum2 += (y[t] - kept[t]) * (y[t] - kept[t]);
            }
            const double expected = std::sqrt(sum2 / 500);
            EXPECT_NEAR(std::stod(f.at(k)), expected, 1e-7 * expected) << type << " " << n;
        }
    }
}

TEST(SmoothedDma, WeightZeroGivesThePlainResults) {
    SmoothedCase c;
    test::WriteNumbers(c.input, test::RandomWalk(600, 31));
    OutputCapture out;
    RunStaticDma(400, c.progression, c.input, kTextInput, c.Result("2"), 600, 0);
    RunStaticSmoothedDmaLambda(400, 0, 0.7, c.progression, c.input, kTextInput, c.Result("9"), 600, 0);
    EXPECT_EQ(test::ReadText(c.Chart("9")), test::ReadText(c.Chart("2")));
    EXPECT_EQ(test::ReadText(c.Result("9")), test::ReadText(c.Result("2")));

    RunDynamicDma(100, c.progression, c.input, kTextInput, c.Result("0"), 600, 0, 10);
    RunDynamicSmoothedDma(100, 0, c.progression, c.input, kTextInput, c.Result("8"), 600, 0, 10);
    EXPECT_EQ(test::ReadLines(c.Inc("8")).size(), 46u);  // t = 140, 150, … 590
    EXPECT_EQ(test::ReadText(c.Inc("8")), test::ReadText(c.Inc("0")));
}

}  // namespace
}  // namespace fractan
