#include "slope/local_slope.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "setup/output.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

// First column 10, 100, 1000, 10000 (X = 1 … 4), Y = X·0.5 + 1, as a chart
// file writes them, with the logarithms after the first two columns.
std::string ExampleChart() {
    std::string text;
    for (int x = 1; x <= 4; ++x) {
        char line[200];
        std::snprintf(line, sizeof line, "%.9f\t%.9f\t%.9f\t%.9f\n", std::pow(10.0, x),
                      std::pow(10.0, x * 0.5 + 1), double(x), x * 0.5 + 1);
        text += line;
    }
    return text;
}

std::vector<std::pair<double, double>> ReadResult(const std::string& path) {
    std::vector<std::pair<double, double>> rows;
    for (const std::string& line : test::ReadLines(path)) {
        const auto fields = test::SplitTabs(line);
        EXPECT_EQ(fields.size(), 2u) << line;
        rows.emplace_back(std::stod(fields[0]), std::stod(fields[1]));
    }
    return rows;
}

TEST(LocalSlope, ExampleChartAndItsWindows) {
    test::TempDir dir;
    const std::string chart = dir.File("chart.txt");
    test::WriteText(chart, ExampleChart());
    OutputCapture out;
    bool written = false;
    ASSERT_EQ(LocalSlope(chart, 2.5, 0.5, &written), kLocalSlopeDone);
    EXPECT_TRUE(written);
    EXPECT_EQ(LocalSlopePath(chart), dir.File("chart.txt.localslope.txt"));
    const auto rows = ReadResult(dir.File("chart.txt.localslope.txt"));
    const std::vector<double> centres{1.25, 1.75, 2.25, 2.75, 3.25, 3.75};
    ASSERT_EQ(rows.size(), centres.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i].first, centres[i], 1e-12) << i;
        EXPECT_NEAR(rows[i].second, 0.5, 1e-9) << i;
    }
    EXPECT_EQ(out.Text(), "");

    // Width 0.5: no window holds two points; the file is emptied.
    ASSERT_EQ(LocalSlope(chart, 0.5, 0.5), kLocalSlopeDone);
    EXPECT_EQ(test::ReadText(LocalSlopePath(chart)), "");

    // X = 0 … 3 and windows of width 1 around 0.5, 1.5, 2.5: every point lies on a
    // border and belongs to no window. A little wider, each holds two.
    test::WriteText(chart, "1\t1\n10\t10\n100\t1000\n1000\t1000\n");
    ASSERT_EQ(LocalSlope(chart, 1.0, 1.0), kLocalSlopeDone);
    EXPECT_EQ(test::ReadText(LocalSlopePath(chart)), "");
    ASSERT_EQ(LocalSlope(chart, 1.5, 1.0), kLocalSlopeDone);
    const auto wider = ReadResult(LocalSlopePath(chart));
    ASSERT_EQ(wider.size(), 3u);
    const std::vector<double> slopes{1.0, 2.0, 0.0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(wider[i].first, i + 0.5, 1e-12) << i;
        EXPECT_NEAR(wider[i].second, slopes[i], 1e-12) << i;
    }

    // The last point in file order on the first centre: no window is visited.
    test::WriteText(chart, "1\t1\n100\t5\n10\t10\n");
    ASSERT_EQ(LocalSlope(chart, 5.0, 2.0), kLocalSlopeDone);
    EXPECT_EQ(test::ReadText(LocalSlopePath(chart)), "");
}

TEST(LocalSlope, UnreadableLinesAndCharts) {
    test::TempDir dir;
    const std::string chart = dir.File("c.txt");
    // A header, a line with one number, blanks instead of a tab, and a last line
    // without a line end: only the lines with two numbers count, the last one too.
    test::WriteText(chart, "n\tF(n)\n10\t1\n7\n100  10\n1000\t100");
    OutputCapture out;
    ASSERT_EQ(LocalSlope(chart, 5.0, 1.0), kLocalSlopeDone);
    // X = 1, 2, 3; first centre 1.5, then 2.5; each window holds all three points.
    const auto rows = ReadResult(LocalSlopePath(chart));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0].second, 1.0, 1e-12);
    EXPECT_NEAR(rows[1].first, 2.5, 1e-12);

    // No readable point: refused with a line, nothing written.
    std::remove(LocalSlopePath(chart).c_str());
    test::WriteText(chart, "no numbers here\n\n");
    ASSERT_EQ(LocalSlope(chart, 1.0, 0.1), kLocalSlopeRefused);
    EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
    EXPECT_EQ(out.Text(), "No chart point was read from [" + chart + "]: a chart's lines begin with two numbers, n and F(n).\n");

    // A missing chart: −1, nothing written, no line.
    OutputCapture none;
    EXPECT_EQ(LocalSlope(dir.File("none.txt"), 1.0, 0.1), kChartNotOpened);
    EXPECT_FALSE(test::Exists(dir.File("none.txt.localslope.txt")));
    EXPECT_EQ(none.Text(), "");

    // A result file that cannot be opened: the line, and still 0.
    test::WriteText(chart, "10\t10\n100\t100\n");
    test::TempDir other;
    const std::string blocked = other.File("b.txt");
    test::WriteText(blocked, "10\t10\n100\t100\n");
    ASSERT_EQ(::mkdir(LocalSlopePath(blocked).c_str(), 0777), 0);
    bool written = true;
    OutputCapture error;
    EXPECT_EQ(LocalSlope(blocked, 1.0, 0.1, &written), kLocalSlopeDone);
    EXPECT_FALSE(written);
    EXPECT_EQ(error.Lines(), Lines{"Errore nell'apertura el file " + LocalSlopePath(blocked)});
}

TEST(LocalSlope, DeltasThatWouldNeverEnd) {
    test::TempDir dir;
    const std::string chart = dir.File("c.txt");
    test::WriteText(chart, ExampleChart());
    for (double width : {0.0, -1.0, std::nan("")}) {
        OutputCapture out;
        EXPECT_EQ(LocalSlope(chart, width, 0.1), kLocalSlopeRefused) << width;
        EXPECT_EQ(out.Lines().size(), 1u);
        EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
    }
    EXPECT_EQ(LocalSlope(dir.Path(), 1.0, 0.1), kChartNotOpened);  // a folder is not a chart
    EXPECT_FALSE(test::Exists(LocalSlopePath(dir.Path())));
    for (double delta : {0.0, -0.1, std::nan("")}) {
        OutputCapture out;
        EXPECT_EQ(LocalSlope(chart, 1.0, delta), kLocalSlopeRefused) << delta;
        EXPECT_EQ(out.Lines().size(), 1u);
        EXPECT_NE(out.Text().find("must be greater than 0"), std::string::npos) << out.Text();
        EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
    }
    // Too small for the chart's range, and a chart whose first point is at −∞.
    OutputCapture out;
    EXPECT_EQ(LocalSlope(chart, 1.0, 1e-9), kLocalSlopeRefused);
    test::WriteText(chart, "0\t1\n10\t10\n");
    EXPECT_EQ(LocalSlope(chart, 1.0, 0.1), kLocalSlopeRefused);
    EXPECT_EQ(out.Lines().back(), "Chart file [" + chart + "] has a first or last point that is not above 0.");
    // A delta below the rounding step of the centres would never move them.
    test::WriteText(chart, "10\t10\n10.00000000000001\t100\n");
    EXPECT_EQ(LocalSlope(chart, 1.0, 1e-17), kLocalSlopeRefused);
    EXPECT_EQ(out.Lines().size(), 3u);
    EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));

    // A stop ends the windows and writes nothing.
    test::WriteText(chart, ExampleChart());
    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(LocalSlope(chart, 1.0, 0.1), kLocalSlopeStopped);
    EXPECT_FALSE(test::Exists(LocalSlopePath(chart)));
}

}  // namespace
}  // namespace fractan
