#include "engine/static_dma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/analysis.h"
#include "engine/methods.h"
#include "setup/series_loader.h"
#include "dma_reference.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct StaticCase : test::SeriesFolder {
    std::string result = Result("t"), chart = Chart("t");
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
    EXPECT_EQ(test::Column(c.chart, 1), (Lines{"1.00000000e-12", "1.00000000e-12"}));
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

// The last W + 2M of the samples loaded (1400 from offset 100 of 1600), and a
// custom list whose last size, M, is not its largest.
TEST(StaticDma, ChartAndExponentOfTheLastSamplesDigitForDigit) {
    StaticCase c;
    const std::vector<double> all = test::RandomWalk(1600, 7);
    test::WriteNumbers(c.input, all);
    test::WriteText(c.dir.File("down.txt"), "2\n8\n4\n");
    const ScaleProgression geometric{3, 81, 3, kGeometric, {}}, down{0, 0, 0, kCustom, c.dir.File("down.txt")};
    struct Case {
        const ScaleProgression* progression;
        std::vector<int> sizes;
        int W, size, offset, position;  // the position is M + W
    };
    for (const Case& k : std::vector<Case>{{&geometric, {3, 9, 27, 81}, 1000, 1400, 100, 1081},
                                           {&down, {8, 4}, 20, 40, 0, 24}}) {
        c.progression = *k.progression;
        std::remove(c.result.c_str());
        OutputCapture out;
        ASSERT_EQ(c.Run(k.W, k.size, k.offset), kAnalysed);
        const std::vector<double> x(all.begin() + k.offset, all.begin() + k.offset + k.size);
        const test::StaticReference expected = test::ReferenceStatic(x, k.sizes, k.W);
        EXPECT_EQ(test::ReadLines(c.chart), expected.chart);
        EXPECT_EQ(test::ReadText(c.result), test::ResultLine("s.txt", k.size, k.offset, k.position, expected.hurst));
    }
}

// Over fewer than two distinct sizes the slope is undefined, whatever rounding makes of it.
TEST(StaticDma, FewerThanTwoDistinctSizesGiveANonFiniteExponent) {
    StaticCase c;
    test::WriteText(c.dir.File("same.txt"), "3\n8\n8\n8\n");
    c.progression = ScaleProgression{0, 0, 0, kCustom, c.dir.File("same.txt")};
    test::WriteNumbers(c.input, test::RandomWalk(100, 10));
    OutputCapture out;
    EXPECT_EQ(c.Run(20, 40), kNotFinite);
    EXPECT_FALSE(std::isfinite(test::HurstOf(c.result)));
}

// A result line that cannot be written says the file and the reason.
TEST(StaticDma, ChartAndResultThatCannotBeWritten) {
    StaticCase c;
    test::WriteNumbers(c.input, test::RandomWalk(100, 12));
    c.result = c.dir.File("missing/r.out.txt");
    OutputCapture none;
    EXPECT_EQ(c.Run(50, 100), kNotAnalysed);
    EXPECT_EQ(test::StartingWith(none.Lines(), "Error"),
              (Lines{"Error writing chart file [" + c.result + ".s.txt.chart.txt].", "Error writing to output file."}));
    EXPECT_EQ(none.Lines().back(), "Cannot write [" + c.result + "]: No such file or directory.");
}

// A stop heard in the data window's loop ends the run, and nothing is written.
TEST(StaticDma, StopInTheDataWindowWritesNothing) {
    StaticCase c;
    test::WriteNumbers(c.input, test::RandomWalk(100, 14));
    StopSource stop;
    ScopedStopSource scope(stop);
    test::StopOnLine sink(stop, "Filling up data window...");
    EXPECT_EQ(c.Run(50, 100), kStopped);
    EXPECT_TRUE(sink.Text().ends_with("Filling up data window...\n"));
    EXPECT_FALSE(test::Exists(c.chart) || test::Exists(c.result));
}

// The scales shared by three threads give every F, every H along the series
// (over several rounds of positions, a step that does not divide them, and
// dynamic DFA's sizes above W, whose F is not a number) and every line of one thread.
TEST(Analysis, ThreadsGiveTheNumbersAndLinesOfOne) {
    const std::vector<double> walk = test::RandomWalk(12000, 21);
    for (int type = 0; type < kComputationTypeCount; ++type)
        for (int step : {1, 3, 700}) {
            AnalysisSettings s;
            s.computationType = type;
            s.windowSize = 1500;
            s.sizes = {4, 9, 20, 45, 100, 230};
            if (type == 1 && step == 3) s.sizes.push_back(2000);
            s.dmaWeight = 2;
            s.dmaLambda = 0.5;
            s.shiftPercentage = 0.5;
            s.dynamicStep = step;
            if (!IsDynamicType(type) && step > 1) continue;
            std::vector<double> numbers[2];
            std::string lines[2];
            for (int t : {0, 1}) {
                s.jobs = 1 + 2 * t;
                OutputCapture out;
                const AnalysisResult r = Analyse(walk, s);
                numbers[t] = IsDynamicType(type) ? r.hursts : r.fluctuations;
                lines[t] = out.Text();
            }
            EXPECT_GT(numbers[0].size(), IsDynamicType(type) ? 9000u / step : s.sizes.size() - 1) << type;
            ASSERT_EQ(numbers[1].size(), numbers[0].size()) << type;
            // Bit for bit, NaN included.
            EXPECT_EQ(std::memcmp(numbers[1].data(), numbers[0].data(), numbers[0].size() * sizeof(double)), 0)
                << type << " " << step;
            EXPECT_EQ(lines[1], lines[0]) << type << " " << step;
            if (!IsDynamicType(type) || step != 3) continue;
            // A stop heard by the calling thread ends every thread's rounds.
            StopSource stop;
            ScopedStopSource scope(stop);
            test::StopOnLine sink(stop, "Hurst exponent 50 %");
            EXPECT_EQ(Analyse(walk, s).status, AnalysisStatus::kStopped) << type;
            EXPECT_TRUE(sink.Text().ends_with("Hurst exponent 50 %\n")) << type;
        }
}

}  // namespace
}  // namespace fractan
