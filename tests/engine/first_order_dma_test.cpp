#include "engine/first_order_dma.h"

#include <gtest/gtest.h>

#include "engine/analysis.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

struct FirstOrderCase : test::SeriesFolder {
    ScaleProgression progression{4, 7, 1, kLinear, {}};  // odd and even windows

    int32_t Run(int32_t W, int32_t size) {
        return RunStaticFirstOrderDma(W, progression, input, kTextInput, Result("t"), size, 0);
    }
};

TEST(FirstOrderDma, EveryWindowFitsALineExactlyAndIgnoresTheLevel) {
    FirstOrderCase c;
    std::vector<double> x;
    for (int t = 0; t < 40; ++t) x.push_back(3.0 * t + 1.0);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    c.Run(26, 40);  // W + 2M = 40
    const std::vector<std::string> f = test::Column(c.Chart("t"), 1);
    EXPECT_EQ(f, std::vector<std::string>(4, "0.000000000"));
    EXPECT_TRUE(test::ReadText(c.Result("t")).starts_with("s.txt\t40\t0\t33\t"));

    AnalysisSettings s;
    s.computationType = 7;
    s.windowSize = 300;
    s.sizes = {4, 5, 6, 7};
    std::vector<double> walk = test::RandomWalk(400, 3), raised = walk;
    for (double& v : raised) v += 1000.0;
    const AnalysisResult low = Analyse(walk, s), high = Analyse(raised, s);
    ASSERT_EQ(high.fluctuations.size(), 4u);
    for (size_t k = 0; k < 4; ++k) EXPECT_NEAR(high.fluctuations[k], low.fluctuations[k], 1e-9) << s.sizes[k];
}

}  // namespace
}  // namespace fractan
