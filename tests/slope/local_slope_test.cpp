#include "slope/local_slope.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

// n = 10, 100, 1000, 10000 (X = 1 … 4) and F with Y = X·0.5 + 1.
const std::string kExample = "10\t31.622776601683793\n100\t100\n1000\t316.22776601683793\n10000\t1000\n";

// The file of (centre, slope) lines that the local slope of `chart` writes.
std::string SlopesOf(const std::string& path, const std::string& chart, double width, double delta) {
    test::WriteText(path, chart);
    bool written = false;
    LocalSlope(path, width, delta, &written);
    EXPECT_TRUE(written);
    return test::ReadText(LocalSlopePath(path));
}

TEST(LocalSlope, WorkedExamplesAndTheWindowBorders) {
    test::TempDir dir;
    const std::string chart = dir.File("chart.txt");
    OutputCapture out;
    EXPECT_EQ(SlopesOf(chart, kExample, 2.5, 0.5), "1.25\t0.5\n1.75\t0.5\n2.25\t0.5\n2.75\t0.5\n3.25\t0.5\n3.75\t0.5\n");
    EXPECT_EQ(LocalSlopePath(chart), dir.File("chart.txt.localslope.txt"));
    EXPECT_EQ(SlopesOf(chart, kExample, 0.5, 0.5), "");  // no window holds two points
    // X = 0 … 3 and windows of width 1 around 0.5, 1.5, 2.5: every point lies on a
    // border and belongs to no window. A little wider, each holds two.
    const std::string steps = "1\t1\n10\t10\n100\t1000\n1000\t1000\n";
    EXPECT_EQ(SlopesOf(chart, steps, 1.0, 1.0), "");
    EXPECT_EQ(SlopesOf(chart, steps, 1.5, 1.0), "0.5\t1\n1.5\t2\n2.5\t0\n");
    EXPECT_EQ(SlopesOf(chart, "1\t1\n100\t5\n10\t10\n", 5.0, 2.0), "");  // the last point on the first centre
    EXPECT_EQ(out.Text(), "");
}

TEST(LocalSlope, RefusalsWriteNothing) {
    test::TempDir dir;
    const std::string chart = dir.File("c.txt");
    for (const auto& [text, width, delta, line] : std::vector<std::tuple<std::string, double, double, std::string>>{
             {kExample, 0.0, 0.1, "Window width is 0, it must be greater than 0."},
             {kExample, std::nan(""), 0.1, "Window width is nan, it must be greater than 0."},
             {kExample, 1.0, 0.0, "Window delta is 0, it must be greater than 0."},
             {kExample, 1.0, std::nan(""), "Window delta is nan, it must be greater than 0."},
             {kExample, 1.0, 1e-9, "Window delta 1e-09 gives more than 10000000 windows over the chart."},
             // A delta below the rounding step of the centres would never move them.
             {"10\t10\n10.00000000000001\t100\n", 1.0, 1e-17, "Window delta 1e-17 gives more than 10000000 windows over the chart."},
             {"0\t1\n10\t10\n", 1.0, 0.1, "Chart file [" + chart + "], line 1: n is 0; n and F must be finite and above 0."},
             {"n\tF\n10\t10\n100\t-1\n1000\t100\n", 1.0, 0.1,  // inside the chart, named by its line
              "Chart file [" + chart + "], line 3: F is -1; n and F must be finite and above 0."},
             {"no numbers here\n\n", 1.0, 0.1, "No chart point was read from [" + chart + "]: a chart's lines begin with two numbers, n and F(n)."},
         }) {
        test::WriteText(chart, text);
        OutputCapture out;
        EXPECT_EQ(LocalSlope(chart, width, delta), kLocalSlopeRefused) << line;
        EXPECT_EQ(out.Lines(), Lines{line});
        EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
    }
    OutputCapture none;  // a chart that cannot be read: no line
    EXPECT_EQ(LocalSlope(dir.File("none.txt"), 1.0, 0.1), kChartNotOpened);
    EXPECT_EQ(LocalSlope(dir.Path(), 1.0, 0.1), kChartNotOpened);  // a folder is not a chart
    EXPECT_EQ(none.Text(), "");
    EXPECT_FALSE(test::Exists(dir.File("none.txt.localslope.txt")) || test::Exists(LocalSlopePath(dir.Path())));

    test::WriteText(chart, kExample);  // a stop ends the windows and writes nothing
    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(LocalSlope(chart, 1.0, 0.1), kLocalSlopeStopped);
    EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
}

}  // namespace
}  // namespace fractan
