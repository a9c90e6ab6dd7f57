#include "setup/containers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fractan {
namespace {

TEST(RunningWindow, TrailingMeanWhileFillingAndFull) {
    RunningWindow window;
    window.SetLength(3);
    EXPECT_EQ(window.Push(1), 1.0);
    EXPECT_EQ(window.Push(2), 1.5);
    EXPECT_EQ(window.Push(3), 2.0);
    EXPECT_EQ(window.Push(4), 3.0);
    EXPECT_EQ(window.Push(10), 17.0 / 3.0);

    RunningWindow one;
    one.SetLength(1);
    for (double x : {5.0, -2.0, 7.5}) EXPECT_EQ(one.Push(x), x);

    RunningWindow empty;  // no slots: no finite mean, and nothing written outside
    empty.SetLength(0);
    empty.Push(1.0);
    EXPECT_FALSE(std::isfinite(empty.Push(2.0)));

    window.SetLength(2);  // starts afresh
    EXPECT_EQ(window.Push(8), 8.0);
    EXPECT_EQ(window.Push(4), 6.0);
}

TEST(FirstOrderWindow, LagsByOneAndCorrectsTheTrend) {
    FirstOrderWindow window;
    window.SetLength(3);  // m = 2, g = 1: the line through the two at the newer
    EXPECT_EQ(window.Push(1), 0.0);
    EXPECT_EQ(window.Push(2), 0.0);
    EXPECT_EQ(window.Push(5), 0.0);
    EXPECT_EQ(window.Push(4), 5.0);  // buffer 2, 5

    // n = 5 (m = 4, g = 1): the line through 3, 5, 7, 9 one sample past their
    // centre less a half, at 7, whatever the level.
    FirstOrderWindow odd;
    odd.SetLength(5);
    for (double x : {1.0, 3.0, 5.0, 7.0, 9.0}) EXPECT_EQ(odd.Push(x + 1e6), 0.0);
    EXPECT_EQ(odd.Push(11 + 1e6), 7 + 1e6);

    // n = 4 (m = 3, g = 1): pushing 9 after 1, 3, 5, 7 fits the line through
    // 3, 5, 7 and evaluates it one step past their centre, at 7.
    FirstOrderWindow line;
    line.SetLength(4);
    for (double x : {1.0, 3.0, 5.0, 7.0}) EXPECT_EQ(line.Push(x), 0.0);
    EXPECT_EQ(line.Push(9), 7.0);
    EXPECT_EQ(line.Push(11), 9.0);

    FirstOrderWindow two;
    two.SetLength(2);  // m = 1, h = 0: D is 0
    two.Push(1);
    two.Push(2);
    EXPECT_TRUE(std::isnan(two.Push(3)));
}

}  // namespace
}  // namespace fractan
