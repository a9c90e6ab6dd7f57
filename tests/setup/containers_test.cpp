#include "setup/containers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fractan {
namespace {

TEST(CircularIndex, WrapsInBothDirections) {
    CircularIndex index(5);
    --index;
    EXPECT_EQ(index.Position(), 4);
    EXPECT_EQ(CircularIndex(5).Minus(1).Position(), 4);
    CircularIndex a(5);
    a.Add(-6);
    EXPECT_EQ(a.Position(), 4);
    CircularIndex b(5);
    b.Add(7);
    EXPECT_EQ(b.Position(), 2);
    CircularIndex c(5, 4);
    EXPECT_EQ((c++).Position(), 4);
    EXPECT_EQ(c.Position(), 0);
    EXPECT_EQ((c--).Position(), 0);
    EXPECT_EQ(c.Position(), 4);
    c.Set(12);
    EXPECT_EQ(c.Position(), 2);
    c.Subtract(3);
    EXPECT_EQ(c.Position(), 4);
}

TEST(ChunkedArray, CapacityMovesInWholeChunks) {
    SampleArray array;
    EXPECT_EQ(array.Capacity(), 0);
    array.SetSize(25);
    EXPECT_EQ(array.Size(), 25);
    EXPECT_EQ(array.Capacity(), 30);
    for (int i = 0; i < 25; ++i) array[i] = i;
    array.SetSize(11);  // compacted: more than a chunk unused
    EXPECT_EQ(array.Size(), 11);
    EXPECT_EQ(array.Capacity(), 20);
    EXPECT_EQ(array[10], 10.0);
    array.SetSize(15);  // fits: no reallocation, earlier elements kept
    EXPECT_EQ(array.Capacity(), 20);
    EXPECT_EQ(array[3], 3.0);
    array.SetSize(0);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);

    ChunkedArray<int32_t> sized(0, 10);
    EXPECT_EQ(sized.Capacity(), 0);
    ChunkedArray<int32_t> made(21, 10);
    EXPECT_EQ(made.Capacity(), 30);
    for (int i = 0; i < 21; ++i) made.Append(i);
    EXPECT_EQ(made.Size(), 42);
    EXPECT_EQ(made.Capacity(), 60);  // a full array doubles: 30, then 60
    EXPECT_EQ(made[41], 20);

    ChunkedArray<int32_t> copy;
    copy = made;
    EXPECT_EQ(copy.Size(), 42);
    EXPECT_EQ(copy.Capacity(), 50);
    EXPECT_EQ(copy[21], 0);
    EXPECT_EQ(copy[41], 20);
}

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
    window.SetLength(3);  // m = 2, h = 1, D = 2, g = 1
    EXPECT_EQ(window.Push(1), 0.0);
    EXPECT_EQ(window.Push(2), 0.0);
    EXPECT_EQ(window.Push(3), 0.0);
    EXPECT_EQ(window.Push(4), 4.0);  // buffer 2, 3: 3/2 + 5/2

    // n = 4 (m = 3, g = 1): pushing 9 after 1, 3, 5, 7 fits the line through
    // 3, 5, 7 and evaluates it one step past their centre, at 7.
    FirstOrderWindow line;
    line.SetLength(4);
    for (double x : {1.0, 3.0, 5.0, 7.0}) EXPECT_EQ(line.Push(x), 0.0);
    EXPECT_EQ(line.Push(9), 7.0);
    EXPECT_EQ(line.Push(11), 9.0);
}

TEST(FirstOrderWindow, WindowOfTwoGivesNotANumber) {
    FirstOrderWindow window;
    window.SetLength(2);  // m = 1, h = 0: D is 0
    window.Push(1);
    window.Push(2);
    EXPECT_TRUE(std::isnan(window.Push(3)));
}

TEST(SumsSnapshot, CopiesAreIndependent) {
    const double sums[3] = {1.0, 2.0, 3.0};
    SumsSnapshot a(sums, 3);
    SumsSnapshot b;
    EXPECT_EQ(b.Count(), 0);
    b = a;
    SumsSnapshot c(b);
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c[2], 3.0);
    const double other[1] = {9.0};
    b = SumsSnapshot(other, 1);
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(a[1], 2.0);
    EXPECT_EQ(c[1], 2.0);
}

TEST(LeastSquaresSlope, FitsAndDegenerates) {
    EXPECT_EQ(LeastSquaresSlope(6, 12, 28, 14, 3), 2.0);
    EXPECT_FALSE(std::isfinite(LeastSquaresSlope(2, 4, 8, 4, 1)));  // one point: 0/0
}

TEST(RoundHalfUp, HalvesGoUp) {
    EXPECT_EQ(RoundHalfUp(2.5), 3);
    EXPECT_EQ(RoundHalfUp(2.49), 2);
    EXPECT_EQ(RoundHalfUp(0.75), 1);
    EXPECT_EQ(RoundHalfUp(1.5), 2);
    EXPECT_EQ(RoundHalfUp(0.25), 0);
}

}  // namespace
}  // namespace fractan
