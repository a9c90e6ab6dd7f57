#include "engine/result_reading.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace fractan {
namespace {

TEST(ChartFile, ReadsTheLinesThatBeginWithTwoNumbers) {
    test::TempDir dir;
    test::WriteText(dir.File("c.txt"), "n\tF\n10\t2\t1\t0.3\nnot a point\n100\t20\n1000 200\n");
    std::vector<ChartPoint> points;
    ASSERT_TRUE(ReadChartPoints(dir.File("c.txt"), points));
    ASSERT_EQ(points.size(), 3u);  // blanks separate as a tab does
    const LogLogLine line = FitLogLogLine(points);
    EXPECT_DOUBLE_EQ(line.slope, 1.0);
    EXPECT_DOUBLE_EQ(line.intercept, std::log10(0.2));

    EXPECT_FALSE(ReadChartPoints(dir.File("none.txt"), points));
    EXPECT_FALSE(ReadChartPoints(dir.Path(), points));  // a folder
    // A scale without fluctuation makes the line not finite, as it makes H.
    EXPECT_FALSE(std::isfinite(FitLogLogLine({{10, 1}, {100, 0}}).slope));
}

// The positions and exponents of the result lines the runs write (a file name
// may hold blanks); other lines are skipped.
TEST(IncrementalReading, PositionsAndExponentsOfResultLines) {
    test::TempDir dir;
    test::WriteText(dir.File("inc.txt"), test::ResultLine("my walk.txt", 1500, 40, 70, 0.625) + "not a line\n" +
                                             "b\t1\t0\tx\t0.5\n\t9\n" + test::ResultLine("c", 1, 0, 80, NAN));
    std::vector<HurstPoint> points;
    ASSERT_TRUE(ReadHurstSeries(dir.File("inc.txt"), points));
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position, 70);
    EXPECT_EQ(points[0].hurst, 0.625);
    EXPECT_EQ(points[1].position, 80);
    EXPECT_TRUE(std::isnan(points[1].hurst));
    EXPECT_FALSE(ReadHurstSeries(dir.File("none.txt"), points));
}

}  // namespace
}  // namespace fractan
