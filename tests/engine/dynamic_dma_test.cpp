#include "engine/dynamic_dma.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

#include "setup/series_loader.h"
#include "dma_reference.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DynamicCase : test::SeriesFolder {
    std::string inc = Inc("t");
    ScaleProgression progression{4, 16, 4, kLinear, {}};  // 4, 8, 12, 16: M = 16

    int32_t Run(int32_t W, int32_t size, int32_t offset, int32_t step) {
        return RunDynamicDma(W, progression, input, kTextInput, Result("t"), size, offset, step);
    }
};

// The lines of the full snapshot scheme: 3000 samples from offset 500 of 3600
// (positions count within them), a custom list whose last size is not the
// largest, and steps below 2, which evaluate every position.
TEST(DynamicDma, IncrementalLinesDigitForDigit) {
    DynamicCase c;
    test::WriteText(c.dir.File("p.txt"), "3\n5\n40\n20\n");  // M = 20: 40 is not full at first
    const std::vector<double> all = test::RandomWalk(3600, 3);
    test::WriteNumbers(c.input, all);
    struct Case {
        const ScaleProgression* progression;
        std::vector<int> sizes;
        int W, size, offset, step;
    };
    const ScaleProgression linear = c.progression, geometric{3, 48, 2, kGeometric, {}},
                           custom{0, 0, 0, kCustom, c.dir.File("p.txt")};
    for (const Case& k : std::vector<Case>{{&geometric, {3, 6, 12, 24, 48}, 250, 3000, 500, 7},
                                           {&custom, {5, 40, 20}, 50, 400, 0, 10},
                                           {&linear, {4, 8, 12, 16}, 100, 200, 0, 0},
                                           {&linear, {4, 8, 12, 16}, 100, 200, 0, -5}}) {
        c.progression = *k.progression;
        OutputCapture out;
        EXPECT_EQ(c.Run(k.W, k.size, k.offset, k.step), kAnalysed);
        const std::vector<double> x(all.begin() + k.offset, all.begin() + k.offset + k.size);
        EXPECT_EQ(test::ReadLines(c.inc), test::ReferenceDynamic(x, k.sizes, k.W, k.step, "s.txt", k.offset));
    }
}

// A folder where the file would be (it cannot be opened) or /dev/full (every
// write fails): said once, and the input is not analysed.
TEST(DynamicDma, IncrementalFileThatCannotBeWritten) {
    for (bool full : {false, true}) {
        DynamicCase c;
        test::WriteNumbers(c.input, test::RandomWalk(300, 16));
        ASSERT_EQ(full ? ::symlink("/dev/full", c.inc.c_str()) : ::mkdir(c.inc.c_str(), 0777), 0);
        OutputCapture out;
        EXPECT_EQ(c.Run(100, 300, 0, 10), kNotAnalysed) << full;
        EXPECT_EQ(test::StartingWith(out.Lines(), "Error"), Lines{"Error writing incremental file [" + c.inc + "]."});
    }
}

// Nothing read outside the series, an earlier run's file emptied once the series is read, and the reason.
TEST(DynamicDma, RefusalsAndRunsWithoutAPosition) {
    DynamicCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 5));
    for (auto [W, size, step, reason] : std::vector<std::tuple<int, int, int, std::string>>{
             {100, 115, 1, "it holds 115 samples, fewer than the 116 that window size 100 and maximum moving average "
                           "16 need"},
             {10, 2000, 1, "the series could not be loaded"},
             {100, 116, 1, "no position is left after the data window"},
             {100, 1000, 5000, "no position from 116 to 999 is a multiple of the dynamic step 5000"}}) {
        test::WriteText(c.inc, "old results\n");
        OutputCapture out;
        EXPECT_EQ(c.Run(W, size, 0, step), kNotAnalysed) << reason;
        EXPECT_EQ(test::ReadText(c.inc), W == 10 ? "old results\n" : "") << reason;
        EXPECT_EQ(out.Lines().back(), "Nothing evaluated for [" + c.input + "]: " + reason + ".");
    }
}

// The phases and a percentage at every evaluated position, up to the stop.
TEST(DynamicDma, ProgressAndAStopThatKeepsTheLinesWritten) {
    DynamicCase c;
    test::WriteNumbers(c.input, test::RandomWalk(1000, 6));
    StopSource stop;
    ScopedStopSource scope(stop);
    test::StopOnLine sink(stop, "Hurst exponent 50 %");
    EXPECT_EQ(c.Run(100, 1000, 0, 100), kStopped);
    EXPECT_EQ(test::Column(c.inc, 3), (Lines{"200", "300", "400", "500"}));
    EXPECT_EQ(sink.Text(), "Loading data...\nProcessing sample 0 (1)\nDone.\nFilling up moving averages...\nDone.\n"
                           "Filling up data window...\nDone.\nPerforming Hurst exponent calculation...\n"
                           "Hurst exponent 20 %\nHurst exponent 30 %\nHurst exponent 40 %\nHurst exponent 50 %\n");
}

}  // namespace
}  // namespace fractan
