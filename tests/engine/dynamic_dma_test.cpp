#include "engine/dynamic_dma.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "engine/result_files.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "setup/stop.h"
#include "dma_reference.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DynamicCase {
    test::TempDir dir;
    std::string input = dir.File("s1.txt");
    std::string result = dir.File("t.Dynamic DMA (0).out.txt");
    std::string inc = dir.File("t.Dynamic DMA (0).out.s1.inc.txt");
    ScaleProgression progression{4, 16, 4, kLinear, {}};  // 4, 8, 12, 16: M = 16

    int32_t Run(int32_t W, int32_t size, int32_t offset, int32_t step) {
        return RunDynamicDma(W, progression, input, kTextInput, result, size, offset, step);
    }
    std::vector<int> Positions() {
        std::vector<int> positions;
        for (const auto& line : test::ReadLines(inc)) positions.push_back(std::stoi(test::SplitTabs(line)[3]));
        return positions;
    }
};

Lines ProgressLines(const Lines& lines) {
    Lines progress;
    for (const auto& l : lines)
        if (l.rfind("Hurst exponent", 0) == 0) progress.push_back(l);
    return progress;
}

TEST(DynamicDma, EvaluatedPositionsAndProgress) {
    DynamicCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 1));
    OutputCapture out;
    EXPECT_EQ(c.Run(100, 1000, 0, 100), kAnalysed);
    EXPECT_EQ(c.Positions(), (std::vector<int>{200, 300, 400, 500, 600, 700, 800, 900}));
    Lines expected;
    for (int p = 20; p <= 90; p += 10) expected.push_back("Hurst exponent " + std::to_string(p) + " %");
    EXPECT_EQ(ProgressLines(out.Lines()), expected);

    const Lines lines = out.Lines();
    const Lines head(lines.begin(), lines.begin() + 2);
    EXPECT_EQ(head, (Lines{"Loading data...", "Processing sample 0 (1)"}));
    const Lines phases = {"Done.", "Filling up moving averages...", "Done.",
                          "Filling up data window...", "Done.",
                          "Performing Hurst exponent calculation..."};
    EXPECT_EQ(Lines(lines.begin() + 2, lines.begin() + 8), phases);
    EXPECT_EQ(lines.back(), "Done.");
    EXPECT_FALSE(test::Exists(c.result));  // a dynamic variant never writes the result file
}

TEST(DynamicDma, StepsBelowTwoEvaluateEveryPosition) {
    for (int step : {0, 1, -5}) {
        DynamicCase c;
        test::WriteNumbers(c.input, test::RandomWalk(200, 2));
        OutputCapture out;
        c.Run(100, 200, 0, step);
        std::vector<int> all;
        for (int t = 116; t < 200; ++t) all.push_back(t);
        EXPECT_EQ(c.Positions(), all) << step;
        // Progress only when the percentage grows; 116 / 200 · 100 truncates to 57.
        EXPECT_EQ(ProgressLines(out.Lines()).front(), "Hurst exponent 57 %");
        EXPECT_EQ(ProgressLines(out.Lines()).size(), 43u);
        EXPECT_EQ(ProgressLines(out.Lines()).back(), "Hurst exponent 99 %");
    }
}

// F from the definition: the RMS deviation from the trailing mean over the last W points.
double DirectHurst(const std::vector<double>& x, const std::vector<int>& sizes, int W, int t) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int n : sizes) {
        const double X = std::log10(n), Y = std::log10(test::DirectFluctuation(x, n, t - W + 1, t));
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    return LeastSquaresSlope(sx, sy, sxy, sxx, sizes.size());
}

TEST(DynamicDma, ResultsMatchTheFullSnapshotSchemeDigitForDigit) {
    DynamicCase c;
    c.progression = ScaleProgression{3, 48, 2, kGeometric, {}};  // 3, 6, 12, 24, 48
    const std::vector<double> all = test::RandomWalk(3500, 3);
    test::WriteNumbers(c.input, all);
    const std::vector<double> x(all.begin() + 500, all.end());  // offset 500
    OutputCapture out;
    c.Run(250, 3000, 500, 7);
    const Lines lines = test::ReadLines(c.inc);
    EXPECT_EQ(lines, test::ReferenceDynamic(x, {3, 6, 12, 24, 48}, 250, 7, "s1.txt", 500));
    ASSERT_FALSE(lines.empty());
    // Position counts from 0 within the loaded stretch; field 3 is the offset.
    const auto first = test::SplitTabs(lines.front());
    EXPECT_EQ(first[1], "3000");
    EXPECT_EQ(first[2], "500");
    EXPECT_EQ(first[3], "301");
    // And the fluctuations are those of the definition.
    for (const auto& line : {lines.front(), lines.back()}) {
        const auto fields = test::SplitTabs(line);
        EXPECT_NEAR(std::stod(fields[4]), DirectHurst(x, {3, 6, 12, 24, 48}, 250, std::stoi(fields[3])), 1e-5);
    }
}

TEST(DynamicDma, CustomProgressionWhoseLastIsNotTheLargest) {
    DynamicCase c;
    test::WriteText(c.dir.File("p.txt"), "3\n5\n40\n20\n");  // M = 20; 40 is not full at first
    c.progression = ScaleProgression{0, 0, 0, kCustom, c.dir.File("p.txt")};
    const std::vector<double> x = test::RandomWalk(400, 15);
    test::WriteNumbers(c.input, x);
    OutputCapture out;
    EXPECT_EQ(c.Run(50, 400, 0, 10), kAnalysed);
    EXPECT_EQ(test::ReadLines(c.inc), test::ReferenceDynamic(x, {5, 40, 20}, 50, 10, "s1.txt", 0));
    EXPECT_EQ(c.Positions().front(), 70);
}

TEST(DynamicDma, IncrementalFileThatCannotBeWritten) {
    DynamicCase c;
    ASSERT_EQ(::mkdir(c.inc.c_str(), 0777), 0);  // a folder stands where the file would be
    test::WriteNumbers(c.input, test::RandomWalk(300, 16));
    OutputCapture out;
    EXPECT_EQ(c.Run(100, 300, 0, 50), kNotAnalysed);
    int said = 0;
    for (const auto& line : out.Lines()) said += line == "Error writing incremental file [" + c.inc + "].";
    EXPECT_EQ(said, 1);  // once, not once per line
    EXPECT_EQ(out.Lines().back(), "Done.");
}

TEST(DynamicDma, ExactlyMPlusWSamplesEvaluatesNothing) {
    DynamicCase c;
    test::WriteText(c.inc, "old results\n");
    test::WriteNumbers(c.input, test::RandomWalk(1000, 4));
    OutputCapture out;
    EXPECT_EQ(c.Run(100, 116, 0, 1), kNotAnalysed);
    EXPECT_TRUE(test::Exists(c.inc));
    EXPECT_EQ(test::ReadText(c.inc), "");
    EXPECT_TRUE(ProgressLines(out.Lines()).empty());
    EXPECT_EQ(out.Lines().back(),
              "Nothing evaluated for [" + c.input + "]: no position is left after the data window.");

    OutputCapture wide;  // a step past every position
    EXPECT_EQ(c.Run(100, 1000, 0, 5000), kNotAnalysed);
    EXPECT_EQ(test::ReadText(c.inc), "");
    EXPECT_EQ(wide.Lines().back(), "Nothing evaluated for [" + c.input +
                                       "]: no position from 116 to 999 is a multiple of the dynamic step 5000.");
}

TEST(DynamicDma, TooShortOrInvalidReadsNothingOutsideTheSeries) {
    struct Case {
        int W, size;
        ScaleProgression progression;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {100, 115, {4, 16, 4, kLinear, {}}, "it holds 115 samples, fewer than the 116 that window size 100 and maximum moving average 16 need"},
        {0, 115, {4, 16, 4, kLinear, {}}, "the window size is 0, it must be at least 1"},
        {10, 115, {0, 16, 4, kLinear, {}}, "the moving average window 0 is below 1"},
        {10, 115, {0, 0, 0, kLinear, {}}, "the moving average progression gives no window size"},
        {10, 200, {4, 16, 4, kLinear, {}}, "the series could not be loaded"},
    };
    for (const Case& k : cases) {
        DynamicCase c;
        c.progression = k.progression;
        test::WriteNumbers(c.input, test::RandomWalk(115, 5));
        OutputCapture out;
        EXPECT_EQ(c.Run(k.W, k.size, 0, 1), kNotAnalysed);
        EXPECT_EQ(test::ReadText(c.inc), "");
        const Lines lines = out.Lines();
        const Lines tail(lines.end() - 7, lines.end());
        EXPECT_EQ(tail, (Lines{"Filling up moving averages...", "Done.", "Filling up data window...", "Done.",
                               "Performing Hurst exponent calculation...", "Done.",
                               "Nothing evaluated for [" + c.input + "]: " + k.reason + "."}));
    }
}

TEST(DynamicDma, IncrementalFileThatCannotBeWrittenIsAFailure) {
    DynamicCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 7));
    ASSERT_EQ(::symlink("/dev/full", c.inc.c_str()), 0);  // opens, but every write fails
    OutputCapture out;
    EXPECT_EQ(c.Run(100, 1000, 0, 10), kNotAnalysed);
    int said = 0;
    for (const auto& line : out.Lines()) said += line == "Error writing incremental file [" + c.inc + "].";
    EXPECT_EQ(said, 1);
}

TEST(DynamicDma, StopEndsPromptlyAndKeepsLinesWritten) {
    DynamicCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 6));
    StopSource stop;
    ScopedStopSource scope(stop);
    test::StopOnLine sink(stop, "Hurst exponent 50 %");
    EXPECT_EQ(c.Run(100, 1000, 0, 100), kStopped);
    EXPECT_EQ(c.Positions(), (std::vector<int>{200, 300, 400, 500}));
    EXPECT_TRUE(sink.Text().ends_with("Hurst exponent 50 %\n"));
}

}  // namespace
}  // namespace fractan
