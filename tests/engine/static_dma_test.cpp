#include "engine/static_dma.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include "engine/result_files.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "dma_reference.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct StaticCase {
    test::TempDir dir;
    std::string input = dir.File("s.txt");
    std::string result = dir.File("t.Static DMA (2).out.txt");
    std::string chart = result + ".s.txt.chart.txt";
    ScaleProgression progression{2, 4, 2, kLinear, {}};  // 2, 4: M = 4

    int32_t Run(int32_t W, int32_t size, int32_t offset = 0) {
        return RunStaticDma(W, progression, input, kTextInput, result, size, offset);
    }
};

TEST(StaticDma, ChartLinesResultLineAndProgress) {
    StaticCase c;
    // Alternating 0, 2: every even-length trailing mean is 1, every deviation ±1.
    std::vector<double> x;
    for (int i = 0; i < 12; ++i) x.push_back(i % 2 ? 2.0 : 0.0);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    EXPECT_EQ(c.Run(4, 12), kAnalysed);  // exactly W + 2M samples: the shift moves nothing
    EXPECT_EQ(test::ReadLines(c.chart),
              (Lines{"2.000000000\t1.000000000\t0.301029996\t0.000000000",
                     "4.000000000\t1.000000000\t0.602059991\t0.000000000"}));
    EXPECT_EQ(test::ReadText(c.result), "s.txt\t12\t0\t8\t0\n");
    // An F below 0.001 keeps nine significant digits rather than nine decimals.
    for (double& v : x) v *= 1e-12;
    test::WriteNumbers(c.input, x);
    {
        OutputCapture quiet;
        c.Run(4, 12);
    }
    EXPECT_EQ(test::SplitTabs(test::ReadLines(c.chart).at(0))[1], "1.00000000e-12");
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (1)", "Done.",
                                  "Shifting data...", "Done.", "Filling up moving averages...", "Done.",
                                  "Filling up data window...", "Done.",
                                  "Performing Hurst exponent calculation...", "Done.",
                                  "Writing output file...", "Done.",
                                  // values that do not follow each other are pointed to integration
                                  "The values of [" + c.input + "] look like increments (lag-1 autocorrelation "
                                  "-0.92, H 0.00), while DMA and DFA take a profile such as a walk: to analyse "
                                  "their cumulative sum, integrate them (--integrate, or \"Integrate the values\" "
                                  "on the page)."}));
}

TEST(StaticDma, UsesTheLastSamplesAndMatchesTheDefinition) {
    StaticCase c;
    c.progression = ScaleProgression{3, 81, 3, kGeometric, {}};  // 3, 9, 27, 81
    std::vector<double> x = test::RandomWalk(1500, 7);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    ASSERT_EQ(c.Run(1000, 1400, 100), kAnalysed);  // 1400 loaded, the last 1162 kept
    const Lines chart = test::ReadLines(c.chart);
    const std::vector<double> kept(x.end() - (1000 + 2 * 81), x.end());  // the last W + 2M
    std::vector<double> f;
    for (int n : {3, 9, 27, 81}) f.push_back(test::DirectFluctuation(kept, n, 81, 81 + 1000 - 1));
    ASSERT_EQ(chart.size(), 4u);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int k = 0; k < 4; ++k) {
        const auto fields = test::SplitTabs(chart[k]);
        EXPECT_NEAR(std::stod(fields[1]), f[k], 1e-8 * f[k]);
        const double X = std::log10(std::stod(fields[0])), Y = std::log10(f[k]);
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    const auto result = test::SplitTabs(test::ReadLines(c.result).at(0));
    EXPECT_EQ(result[0], "s.txt");
    EXPECT_EQ(result[1], "1400");
    EXPECT_EQ(result[2], "100");
    EXPECT_EQ(result[3], "1081");  // M + W
    EXPECT_NEAR(std::stod(result[4]), LeastSquaresSlope(sx, sy, sxy, sxx, 4), 1e-5);
}

TEST(StaticDma, ChartAndExponentDigitForDigit) {
    StaticCase c;
    c.progression = ScaleProgression{5, 60, 5, kLinear, {}};  // K = 12, M = 60
    const std::vector<double> x = test::RandomWalk(2000, 17);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    ASSERT_EQ(c.Run(1500, 2000), kAnalysed);
    std::vector<int> sizes;
    for (int n = 5; n <= 60; n += 5) sizes.push_back(n);
    const test::StaticReference expected = test::ReferenceStatic(x, sizes, 1500);
    EXPECT_EQ(test::ReadLines(c.chart), expected.chart);
    EXPECT_EQ(test::ReadText(c.result), test::ResultLine("s.txt", 2000, 0, 1560, expected.hurst));
}

TEST(StaticDma, RunsAppendResultsAndReplaceCharts) {
    StaticCase c;
    test::WriteNumbers(c.input, test::RandomWalk(200, 9));
    OutputCapture out;
    c.Run(20, 200);
    c.progression = ScaleProgression{2, 8, 2, kLinear, {}};
    c.Run(20, 200);
    EXPECT_EQ(test::ReadLines(c.result).size(), 2u);
    EXPECT_EQ(test::ReadLines(c.chart).size(), 4u);  // only the second run's lines
}

TEST(StaticDma, FewerThanTwoDistinctWindowSizesGiveANonFiniteExponent) {
    StaticCase c;
    test::WriteText(c.dir.File("p.txt"), "3\n8\n8\n8\n");  // a slope over one size is undefined
    test::WriteNumbers(c.input, test::RandomWalk(100, 10));
    for (const ScaleProgression& p : {ScaleProgression{4, 4, 1, kLinear, {}}, ScaleProgression{0, 0, 0, kCustom, c.dir.File("p.txt")}}) {
        c.progression = p;
        std::remove(c.result.c_str());
        OutputCapture out;
        EXPECT_EQ(c.Run(50, 100), kNotFinite);
        const std::string h = test::SplitTabs(test::ReadLines(c.result).at(0))[4];
        EXPECT_TRUE(h == "nan" || h == "-nan") << h;
    }
}

TEST(StaticDma, CustomProgressionWhoseLastIsNotTheLargest) {
    StaticCase c;
    test::WriteText(c.dir.File("p.txt"), "2\n8\n4\n");
    c.progression = ScaleProgression{0, 0, 0, kCustom, c.dir.File("p.txt")};
    test::WriteNumbers(c.input, test::RandomWalk(30, 11));
    OutputCapture out;
    EXPECT_EQ(c.Run(20, 30), kAnalysed);  // W + 2M = 28 ≤ 30
    EXPECT_EQ(test::ReadLines(c.chart).size(), 2u);
    EXPECT_EQ(test::SplitTabs(test::ReadLines(c.result).at(0))[3], "24");
}

TEST(StaticDma, FileFailures) {
    {
        StaticCase c;  // result folder missing: the chart cannot be written either
        test::WriteNumbers(c.input, test::RandomWalk(100, 12));
        c.result = c.dir.File("missing/r.out.txt");
        OutputCapture out;
        EXPECT_EQ(c.Run(50, 100), kNotAnalysed);
        const Lines lines = out.Lines();
        EXPECT_EQ(lines.back(), "Cannot write [" + c.result + "]: No such file or directory.");
        EXPECT_EQ(lines[lines.size() - 2], "Error writing to output file.");
        EXPECT_EQ(lines[lines.size() - 4],
                  "Error writing chart file [" + c.result + ".s.txt.chart.txt].");
    }
    {
        StaticCase c;  // chart blocked by a folder of its name: the result is still written
        test::WriteNumbers(c.input, test::RandomWalk(100, 13));
        ASSERT_EQ(::mkdir(c.chart.c_str(), 0777), 0);
        OutputCapture out;
        EXPECT_EQ(c.Run(50, 100), kAnalysed);
        EXPECT_EQ(test::ReadLines(c.result).size(), 1u);
        const Lines lines = out.Lines();
        EXPECT_EQ(lines[lines.size() - 5], "Performing Hurst exponent calculation...");
        EXPECT_EQ(lines[lines.size() - 4], "Error writing chart file [" + c.chart + "].");
    }
}

TEST(StaticDma, TooShortSeriesIsRefusedWithItsName) {
    StaticCase c;
    test::WriteNumbers(c.input, test::RandomWalk(20, 14));
    for (auto [W, size] : {std::pair{13, 20}, std::pair{5, 25}}) {
        OutputCapture out;
        EXPECT_EQ(c.Run(W, size), kNotAnalysed);
        EXPECT_FALSE(test::Exists(c.chart));
        EXPECT_FALSE(test::Exists(c.result));
        const Lines lines = out.Lines();
        const Lines tail(lines.end() - 9, lines.end());
        EXPECT_EQ(Lines(tail.begin(), tail.end() - 1),
                  (Lines{"Shifting data...", "Done.", "Filling up moving averages...", "Done.",
                         "Filling up data window...", "Done.", "Performing Hurst exponent calculation...",
                         "Done."}));
        EXPECT_TRUE(tail.back().starts_with("Nothing evaluated for [" + c.input + "]: ")) << tail.back();
    }
}

}  // namespace
}  // namespace fractan
