#include "engine/result_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/driver.h"
#include "engine/progress_lines.h"
#include "setup/output.h"
#include "test_support.h"

namespace fractan {
namespace {

// The chart read back fits to the very H the run wrote in its result line, and
// the run names the charts it wrote, one per analysed file, in input order.
TEST(ChartFile, ReadBackFitGivesTheResultLinesExponent) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("a.txt"), test::RandomWalk(3000, 4));
    test::WriteNumbers(dir.File("b.txt"), test::RandomWalk(3000, 5));
    test::WriteText(dir.File("list.txt"), dir.File("b.txt") + "\n" + dir.File("missing.txt") + "\n" +
                                              dir.File("a.txt") + "\n");
    AnalysisParameters p;
    p.inputFileMode = 1;
    p.inputFileName = dir.File("list.txt");
    p.inputFileType = 0;
    p.computationType = 2;
    p.outputPath = dir.Path();
    p.testName = std::string(1, 't');
    p.windowSize = 1000;
    p.dataSize = 2000;
    p.averageProgression = ScaleProgression{4, 64, 4, kLinear, {}};
    RunSummary summary;
    OutputCapture quiet;
    ASSERT_EQ(RunAnalysis(p, &summary), 0);
    ASSERT_EQ(summary.chartFiles.size(), 2u);
    EXPECT_NE(summary.chartFiles[0].find("b.txt.chart.txt"), std::string::npos);
    EXPECT_NE(summary.chartFiles[1].find("a.txt.chart.txt"), std::string::npos);

    const std::vector<std::string> results = test::ReadLines(summary.resultPath);
    ASSERT_EQ(results.size(), 2u);
    const double written = std::atof(test::SplitTabs(results[0])[4].c_str());
    std::vector<ChartPoint> points;
    ASSERT_TRUE(ReadChartPoints(summary.chartFiles[0], points));
    ASSERT_EQ(points.size(), 16u);
    EXPECT_EQ(points[0].n, 4.0);
    EXPECT_EQ(points[15].n, 64.0);
    const LogLogLine line = FitLogLogLine(points);
    // The result line carries %g, six significant digits.
    EXPECT_NEAR(line.slope, written, 5e-6 * std::fabs(written));
    // The line passes through the centre of the points.
    double mx = 0, my = 0;
    for (const ChartPoint& q : points) mx += std::log10(q.n) / 16, my += std::log10(q.f) / 16;
    EXPECT_NEAR(line.intercept + line.slope * mx, my, 1e-12);
}

TEST(ChartFile, ReadsTheLinesThatBeginWithTwoNumbers) {
    test::TempDir dir;
    test::WriteText(dir.File("c.txt"), "n\tF\n10\t2\t1\t0.3\nnot a point\n100\t20\n1000 200\n");
    std::vector<ChartPoint> points;
    ASSERT_TRUE(ReadChartPoints(dir.File("c.txt"), points));
    ASSERT_EQ(points.size(), 3u);  // blanks separate as a tab does
    EXPECT_EQ(points[1].n, 100.0);
    EXPECT_EQ(points[1].f, 20.0);
    const LogLogLine line = FitLogLogLine(points);
    EXPECT_DOUBLE_EQ(line.slope, 1.0);
    EXPECT_DOUBLE_EQ(line.intercept, std::log10(0.2));

    EXPECT_FALSE(ReadChartPoints(dir.File("none.txt"), points));
    EXPECT_FALSE(ReadChartPoints(dir.Path(), points));  // a folder
    // A scale without fluctuation makes the line not finite, as it makes H.
    EXPECT_FALSE(std::isfinite(FitLogLogLine({{10, 1}, {100, 0}}).slope));
}

// A dynamic run names its incremental files, and they read back as the
// positions and exponents of their lines.
TEST(IncrementalReading, DynamicRunReadsBackPositionsAndExponents) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("my walk.txt"), test::RandomWalk(1500, 7));
    AnalysisParameters p;
    p.inputFileMode = 0;
    p.inputFileName = dir.File("my walk.txt");
    p.inputFileType = 0;
    p.computationType = 0;
    p.outputPath = dir.Path();
    p.testName = std::string(1, 'd');
    p.windowSize = 500;
    p.dataSize = 1500;
    p.dynamicStep = 100;
    p.averageProgression = ScaleProgression{4, 32, 4, kLinear, {}};
    RunSummary summary;
    OutputCapture quiet;
    ASSERT_EQ(RunAnalysis(p, &summary), 0);
    EXPECT_TRUE(summary.chartFiles.empty());
    ASSERT_EQ(summary.incrementalFiles.size(), 1u);
    const std::vector<std::string> lines = test::ReadLines(summary.incrementalFiles[0]);
    std::vector<HurstPoint> points;
    ASSERT_TRUE(ReadHurstSeries(summary.incrementalFiles[0], points));
    ASSERT_EQ(points.size(), 9u);  // 600, 700, … 1400: from M + W = 532 to the last sample
    ASSERT_EQ(lines.size(), 9u);
    for (size_t i = 0; i < points.size(); ++i) {
        const std::vector<std::string> fields = test::SplitTabs(lines[i]);
        EXPECT_EQ(fields[0], "my walk.txt");
        EXPECT_EQ(points[i].position, 600 + 100 * static_cast<int>(i));
        EXPECT_EQ(points[i].hurst, std::atof(fields[4].c_str()));
    }

    // Lines that are not result lines are skipped.
    test::WriteText(dir.File("inc.txt"), "a\t1\t0\t70\t0.5\nnot a line\nb\t1\t0\tx\t0.5\n\t9\nc\t1\t0\t80\tnan\n");
    points.clear();
    ASSERT_TRUE(ReadHurstSeries(dir.File("inc.txt"), points));
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position, 70);
    EXPECT_EQ(points[1].position, 80);
    EXPECT_TRUE(std::isnan(points[1].hurst));
    EXPECT_FALSE(ReadHurstSeries(dir.File("none.txt"), points));
}

}  // namespace
}  // namespace fractan
