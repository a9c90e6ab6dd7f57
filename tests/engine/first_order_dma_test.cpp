#include "engine/first_order_dma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

struct FirstOrderCase : test::SeriesFolder {
    ScaleProgression progression{3, 4, 1, kLinear, {}};  // 3, 4

    int32_t Run(int32_t W, int32_t size) {
        return RunStaticFirstOrderDma(W, progression, input, kTextInput, Result("t"), size, 0);
    }
};

TEST(FirstOrderDma, WindowFourFitsALineExactlyWindowThreeDeviatesByHalfThePreviousSample) {
    FirstOrderCase c;
    std::vector<double> x;
    for (int t = 0; t < 40; ++t) x.push_back(3.0 * t + 1.0);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    // 38 of 40 kept (W + 2M); F(4) = 0 makes log10 F and so H not finite.
    ASSERT_EQ(c.Run(30, 40), kNotFinite);
    const std::vector<std::string> f = test::Column(c.Chart("t"), 1);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1], "0.000000000");  // window 4 on a line
    const std::vector<double> kept(x.end() - 38, x.end());
    double sum2 = 0;
    for (int j = 4; j < 34; ++j) sum2 += kept[j - 1] / 2 * (kept[j - 1] / 2);
    EXPECT_NEAR(std::stod(f[0]), std::sqrt(sum2 / 30), 1e-9);
    EXPECT_TRUE(test::ReadText(c.Result("t")).starts_with("s.txt\t40\t0\t34\t"));
}

}  // namespace
}  // namespace fractan
