#include "engine/first_order_dma.h"

#include <gtest/gtest.h>

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

TEST(FirstOrderDma, EveryWindowFitsALineExactly) {
    FirstOrderCase c;
    std::vector<double> x;  // a line off 0: odd windows whose weights missed the level gave F > 0
    for (int t = 0; t < 40; ++t) x.push_back(3.0 * t + 1.0);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    c.Run(26, 40);  // W + 2M = 40
    const std::vector<std::string> f = test::Column(c.Chart("t"), 1);
    EXPECT_EQ(f, std::vector<std::string>(4, "0.000000000"));
    EXPECT_TRUE(test::ReadText(c.Result("t")).starts_with("s.txt\t40\t0\t33\t"));
}

}  // namespace
}  // namespace fractan
