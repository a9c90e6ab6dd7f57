#include "engine/result_reading.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace fractan {
namespace {

TEST(ChartFile, ReadsTheLinesThatBeginWithTwoNumbers) {
    test::TempDir dir;
    test::WriteText(dir.File("c.txt"), "n\tF\n10\t2\t1\t0.3\nnot a point\n100\t20\n1000 200\n");
    std::vector<ChartPoint> points;
    ASSERT_TRUE(ReadChartPoints(dir.File("c.txt"), points));
    ASSERT_EQ(points.size(), 3u);  // blanks separate as a tab does
    EXPECT_EQ(points[2].f, 200.0);

    EXPECT_FALSE(ReadChartPoints(dir.File("none.txt"), points));
    EXPECT_FALSE(ReadChartPoints(dir.Path(), points));  // a folder
}

}  // namespace
}  // namespace fractan
