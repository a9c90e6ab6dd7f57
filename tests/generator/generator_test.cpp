#include "generator/generator.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/dfa.h"
#include "engine/static_dma.h"
#include "generator/midpoint.h"
#include "generator/random_source.h"
#include "generator/series_writer.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

std::vector<double> ReadDoubles(const std::string& path) {
    const std::string bytes = test::ReadText(path);
    std::vector<double> values(bytes.size() / sizeof(double));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
    return values;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

GeneratorSettings Settings(const test::TempDir& dir, int32_t levels, int32_t seed) {
    GeneratorSettings s;
    s.lengthExponent = levels;
    s.outputPath = dir.Path();
    s.seed = seed;
    return s;
}

TEST(BuildSeries, MidpointsLevelByLevelFromLeftToRight) {
    // The Gaussian draws from −1, taken apart from the series.
    int32_t reference = -1;
    const double g1 = GaussianDeviate(reference, 0.0, 1.0);
    const double g2 = GaussianDeviate(reference, 0.0, 1.0);
    const double g3 = GaussianDeviate(reference, 0.0, 1.0);

    const double H = 0.7;
    const double e = std::sqrt(1.0 - std::pow(2.0, 2.0 * H - 2.0));
    SeriesPointPool pool(SeriesLength(2));
    int32_t seed = -1;
    OutputCapture out;
    const SeriesPoint* first = BuildSeries(pool, 2, 3, H, seed);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(out.Lines(), (Lines{"Building series 3 (H=0.7). Level 0", "Building series 3 (H=0.7). Level 1"}));
    EXPECT_EQ(pool.Used(), 5u);

    // 0.5 is drawn first (level 1), then 0.25 and 0.75 (level 2).
    const double y50 = g1 / std::pow(2.0, H) * e;
    const double y25 = y50 * 0.5 + g2 / std::pow(2.0, 2 * H) * e;
    const double y75 = y50 * 0.5 + g3 / std::pow(2.0, 2 * H) * e;
    const std::vector<double> xs{0.0, 0.25, 0.5, 0.75, 1.0}, ys{0.0, y25, y50, y75, 0.0};
    size_t k = 0;
    for (const SeriesPoint* p = first; p; p = p->next, ++k) {
        ASSERT_LT(k, xs.size());
        EXPECT_EQ(p->x, xs[k]) << k;
        EXPECT_NEAR(p->y, ys[k], 1e-15) << k;
    }
    EXPECT_EQ(k, 5u);

    // N = 0: the two end values and no level line.
    OutputCapture none;
    first = BuildSeries(pool, 0, 1, H, seed);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->y, 0.0);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(first->next->x, 1.0);
    EXPECT_EQ(first->next->y, 0.0);
    EXPECT_EQ(first->next->next, nullptr);
    EXPECT_EQ(none.Text(), "");

    // A pool too small for the series gives no series, and never reads past its end.
    SeriesPointPool small(4);
    EXPECT_EQ(BuildSeries(small, 2, 1, H, seed), nullptr);
}

TEST(Generate, FilesNamesSizesAndLines) {
    test::TempDir dir;
    GeneratorSettings s = Settings(dir, 1, -2);
    OutputCapture out;
    GeneratorSummary summary;
    ASSERT_EQ(Generate(s, &summary), kGenerated);
    EXPECT_EQ(summary.seriesWritten, 1);
    const std::string base = dir.File("Artificial_H=0.5-1");
    EXPECT_EQ(out.Lines(), (Lines{"Building series #0 (H=0.50)", "Building series 1 (H=0.5). Level 0",
                                  "Building series 1 (H=0.5).", "Printing series " + base + "(3)",
                                  "Printing series " + base + " sample 0", "Done."}));

    // N = 5: 33 values; text with 10 decimals, binary of 264 bytes, the same values.
    s.lengthExponent = 5;
    s.hurstStart = s.hurstEnd = 0.75;
    s.filePrefix = "p_";
    ASSERT_EQ(Generate(s), kGenerated);
    const Lines text = test::ReadLines(dir.File("p_H=0.75-1.txt"));
    const std::vector<double> binary = ReadDoubles(dir.File("p_H=0.75-1.dat"));
    ASSERT_EQ(text.size(), 33u);
    ASSERT_EQ(binary.size(), 33u);
    EXPECT_EQ(test::ReadText(dir.File("p_H=0.75-1.dat")).size(), 264u);
    EXPECT_EQ(text.front(), "0.0000000000");
    EXPECT_EQ(text.back(), "0.0000000000");
    for (size_t i = 0; i < text.size(); ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.10f", binary[i]);
        EXPECT_EQ(text[i], expected) << i;
    }
    // Not all zero: the interior points are displaced.
    EXPECT_NE(binary[16], 0.0);

    // Precision 0: whole numbers, no point; text only, existing files overwritten.
    s.precision = 0;
    s.outputKind = kTextSeries;
    s.hurstStart = s.hurstEnd = 1.0 / 3.0;
    test::WriteText(dir.File("p_H=0.33-1.txt"), "old contents that are longer than the series\n");
    ASSERT_EQ(Generate(s), kGenerated);
    for (const std::string& line : test::ReadLines(dir.File("p_H=0.33-1.txt")))
        EXPECT_EQ(line.find('.'), std::string::npos) << line;
    EXPECT_EQ(test::ReadLines(dir.File("p_H=0.33-1.txt")).size(), 33u);
    EXPECT_FALSE(test::Exists(dir.File("p_H=0.33-1.dat")));

    // Binary only; H = 1 displaces nothing.
    s.outputKind = kBinarySeries;
    s.hurstStart = s.hurstEnd = 1.0;
    ASSERT_EQ(Generate(s), kGenerated);
    EXPECT_FALSE(test::Exists(dir.File("p_H=1-1.txt")));
    const std::vector<double> flat = ReadDoubles(dir.File("p_H=1-1.dat"));
    ASSERT_EQ(flat.size(), 33u);
    for (double y : flat) EXPECT_EQ(y, 0.0);
}

TEST(SeriesBaseName, TwoSignificantDigitsOfH) {
    EXPECT_EQ(SeriesBaseName("d", "Artificial_", 0.5, 1), "d/Artificial_H=0.5-1");
    EXPECT_EQ(SeriesBaseName("d", "", 0.75, 12), "d/H=0.75-12");
    EXPECT_EQ(SeriesBaseName("d/", "x", 1.0, 2), "d//xH=1-2");
    EXPECT_EQ(SeriesBaseName("d", "x", 0.333, 3), "d/xH=0.33-3");
    EXPECT_EQ(SeriesBaseName("d", "x", 0.7999999999999999, 1), "d/xH=0.8-1");
}

TEST(Generate, ExponentsThatShareFileNamesAreWarnedOf) {
    test::TempDir dir;
    GeneratorSettings s = Settings(dir, 2, -5);
    s.hurstStart = 0.5;
    s.hurstEnd = 0.5025;
    s.hurstStep = 0.001;
    OutputCapture out;
    EXPECT_EQ(Generate(s), kGenerated);
    EXPECT_EQ(out.Lines().front(), "Warning: H=0.5 and H=0.501 share the file names " + dir.Path() +
                                       "/Artificial_H=0.5-*; the later series replace the earlier ones.");
}

TEST(Generate, HurstLoopAndSeries) {
    test::TempDir dir;
    GeneratorSettings s = Settings(dir, 2, -3);
    s.hurstStart = 0.1;
    s.hurstEnd = 0.3;
    s.hurstStep = 0.1;
    s.seriesCount = 2;
    s.outputKind = kTextSeries;
    OutputCapture out;
    ASSERT_EQ(Generate(s), kGenerated);
    // The third sum, 0.30000000000000004, is above the end.
    EXPECT_EQ(FolderEntries(dir.Path()), (Lines{"Artificial_H=0.1-1.txt", "Artificial_H=0.1-2.txt",
                                               "Artificial_H=0.2-1.txt", "Artificial_H=0.2-2.txt"}));
    EXPECT_EQ(HurstExponents(s), (std::vector<double>{0.1, 0.1 + 0.1}));
    // The line that begins each series is told apart from the level and print lines.
    Lines numbered;
    for (const std::string& line : out.Lines())
        if (IsSeriesBegunLine(line)) numbered.push_back(line);
    EXPECT_EQ(numbered, (Lines{"Building series #0 (H=0.10)", "Building series #1 (H=0.10)",
                               "Building series #0 (H=0.20)", "Building series #1 (H=0.20)"}));
    EXPECT_GT(out.Lines().size(), numbered.size());
    EXPECT_FALSE(IsSeriesBegunLine("Building series #0 (H=0.10) and more"));

    // A step that is not positive gives no exponent; a limit cuts the list.
    GeneratorSettings stepping = s;
    stepping.hurstStep = 0.0;
    EXPECT_TRUE(HurstExponents(stepping).empty());
    stepping.hurstStep = 1e-9;
    EXPECT_EQ(HurstExponents(stepping, 3).size(), 3u);

    // Start above end: nothing at all; a count of 0: nothing either.
    test::TempDir empty;
    GeneratorSettings none = Settings(empty, 2, -3);
    none.hurstStart = 0.6;
    none.hurstEnd = 0.5;
    none.hurstStep = 0.0;
    OutputCapture quiet;
    EXPECT_EQ(Generate(none), kGenerated);
    none.hurstStart = 0.5;
    none.hurstStep = 0.1;
    none.seriesCount = 0;
    EXPECT_EQ(Generate(none), kGenerated);
    EXPECT_EQ(quiet.Text(), "");
    EXPECT_TRUE(FolderEntries(empty.Path()).empty());
}

TEST(Generate, SeedRules) {
    test::TempDir dir;
    OutputCapture out;
    auto series = [&](int32_t seed, const std::string& prefix) {
        GeneratorSettings s = Settings(dir, 6, seed);
        s.seriesCount = 2;
        s.outputKind = kBinarySeries;
        s.filePrefix = prefix;
        EXPECT_EQ(Generate(s), kGenerated);
        return std::make_pair(ReadDoubles(dir.File(prefix + "H=0.5-1.dat")),
                              ReadDoubles(dir.File(prefix + "H=0.5-2.dat")));
    };
    // Negative: every series the same, on every run.
    const auto negative = series(-9, "n");
    EXPECT_EQ(negative.first, negative.second);
    EXPECT_EQ(series(-9, "m").first, negative.first);
    EXPECT_NE(series(-10, "o").first, negative.first);
    // Positive and 0: the table and the Gaussian cache carry over, the series differ;
    // a request starts afresh, so that it repeats, and the first series in memory is its first.
    for (int32_t seed : {9, 0}) {
        const auto carried = series(seed, "s" + std::to_string(seed));
        EXPECT_NE(carried.first, carried.second) << seed;
        EXPECT_EQ(carried.first.size(), 65u);
        EXPECT_EQ(series(seed, "r" + std::to_string(seed)), carried);
        EXPECT_EQ(GenerateRmdSeries(6, 0.5, seed).values, carried.first);
    }
    EXPECT_EQ(GenerateRmdSeries(6, 0.5, -9).values, negative.first);
    EXPECT_EQ(GenerateRmdSeries(6, 1.5, -9).reason, "The Hurst exponent 1.5 is outside (0, 1].");
}

TEST(Generate, RefusalsWriteNothing) {
    struct Case {
        double start, end, step;
        int32_t levels, kind, precision;
        std::string line;
    };
    const std::string none = " Nothing generated.";
    for (const Case& k : std::vector<Case>{
             {0.5, 1.2, 0.6, 5, 3, 10, "The Hurst exponent 1.1 is outside (0, 1]." + none},
             {0.0, 0.5, 0.1, 5, 3, 10, "The Hurst exponent 0 is outside (0, 1]." + none},
             {-0.1, 0.5, 0.3, 5, 3, 10, "The Hurst exponent -0.1 is outside (0, 1]." + none},
             {0.5, 0.5, 0.0, 5, 3, 10, "The Hurst step is 0, it must be greater than 0 (start is not above end)." + none},
             {0.2, 0.5, -0.1, 5, 3, 10, "The Hurst step is -0.1, it must be greater than 0 (start is not above end)." + none},
             {0.2, 0.5, 1e-300, 5, 3, 10, "The Hurst range gives more than 1000000 exponents; use a larger step." + none},
             {std::nan(""), 0.5, 0.1, 5, 3, 10, "The Hurst range from nan to 0.5 is not a range of numbers." + none},
             {0.5, 0.5, 0.1, -1, 3, 10, "The length exponent N is -1, it must be at least 0." + none},
             {0.5, 0.5, 0.1, 31, 3, 10, "The length exponent N is 31, at most 30 is accepted." + none},
             {0.5, 0.5, 0.1, 5, 0, 10, "The output kind is 0, it must be 1 (text), 2 (binary) or 3 (both)." + none},
             {0.5, 0.5, 0.1, 5, 4, 10, "The output kind is 4, it must be 1 (text), 2 (binary) or 3 (both)." + none},
             {0.5, 0.5, 0.1, 5, 3, -1, "The precision is -1, it must be between 0 and 1074." + none},
             {0.5, 0.5, 0.1, 5, 3, 2147483647, "The precision is 2147483647, it must be between 0 and 1074." + none},
         }) {
        test::TempDir dir;
        GeneratorSettings s = Settings(dir, k.levels, -1);
        s.hurstStart = k.start;
        s.hurstEnd = k.end;
        s.hurstStep = k.step;
        s.outputKind = k.kind;
        s.precision = k.precision;
        OutputCapture out;
        EXPECT_EQ(Generate(s), kGeneratorRefused) << k.line;
        EXPECT_EQ(out.Lines(), Lines{k.line});
        EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << k.line;
    }
    // The last exponent of a range may be 1 exactly.
    GeneratorSettings edge;
    edge.hurstStart = 0.5;
    edge.hurstEnd = 1.0;
    edge.hurstStep = 0.25;
    EXPECT_EQ(GeneratorRefusal(edge), "");
}

TEST(Generate, UnwritableFilesAndTheNextSeries) {
    test::TempDir dir;
    const std::string missing = dir.File("missing");
    GeneratorSettings s = Settings(dir, 3, -1);
    s.outputPath = missing;
    s.seriesCount = 2;
    OutputCapture out;
    GeneratorSummary summary;
    EXPECT_EQ(Generate(s, &summary), kSomeSeriesFailed);
    EXPECT_EQ(summary.seriesWritten, 0);
    EXPECT_EQ(summary.seriesFailed, 2);
    const std::string noFile = "Error printing series. No output file could be opened.";
    Lines errors;
    for (const std::string& line : out.Lines())
        if (line.rfind("Error", 0) == 0) errors.push_back(line);
    // Kind 3 with no text file: the binary file is not attempted.
    EXPECT_EQ(errors, (Lines{"Error while opening " + missing + "/Artificial_H=0.5-1.txt", noFile,
                             "Error while opening " + missing + "/Artificial_H=0.5-2.txt", noFile}));

    // The binary file cannot be opened (a folder of that name): the text file stays empty.
    s.outputPath = dir.Path();
    s.seriesCount = 2;
    ASSERT_EQ(::mkdir(dir.File("Artificial_H=0.5-1.dat").c_str(), 0777), 0);
    OutputCapture second;
    EXPECT_EQ(Generate(s, &summary), kSomeSeriesFailed);
    EXPECT_EQ(summary.seriesWritten, 1);
    EXPECT_EQ(summary.seriesFailed, 1);
    EXPECT_EQ(test::ReadText(dir.File("Artificial_H=0.5-1.txt")), "");
    EXPECT_EQ(test::ReadLines(dir.File("Artificial_H=0.5-2.txt")).size(), 9u);
    const Lines lines = second.Lines();
    const auto at = std::find(lines.begin(), lines.end(), "Error while opening " + dir.File("Artificial_H=0.5-1.dat"));
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at + 1), noFile);
    EXPECT_EQ(*(at + 2), "Building series #1 (H=0.50)");
}

TEST(Generate, ProgressEveryTenThousandSamples) {
    test::TempDir dir;
    GeneratorSettings s = Settings(dir, 14, -4);  // 16385 values
    s.outputKind = kBinarySeries;
    OutputCapture out;
    ASSERT_EQ(Generate(s), kGenerated);
    const std::string base = dir.File("Artificial_H=0.5-1");
    Lines printing;
    for (const std::string& line : out.Lines())
        if (line.find(" sample ") != std::string::npos) printing.push_back(line);
    EXPECT_EQ(printing, (Lines{"Printing series " + base + " sample 0", "Printing series " + base + " sample 10000"}));
    EXPECT_EQ(ReadDoubles(base + ".dat").size(), 16385u);
}

TEST(Generate, StopEndsPromptlyAndLeavesNoUnfinishedSeries) {
    for (const std::string& at : {std::string("Building series 1 (H=0.5). Level 3"), std::string("sample 10000")}) {
        test::TempDir dir;
        GeneratorSettings s = Settings(dir, 14, -4);
        s.seriesCount = 3;
        const std::string line = at == "sample 10000" ? "Printing series " + dir.File("Artificial_H=0.5-1") + " sample 10000" : at;
        StopSource stop;
        ScopedStopSource scope(stop);
        test::StopOnLine watch(stop, line);
        EXPECT_EQ(Generate(s), kGeneratorStopped) << at;
        EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << at;
        const std::string& text = watch.Text();
        EXPECT_EQ(text.substr(text.size() - line.size() - 1), line + "\n") << at;  // nothing after it
    }
}

// The series are fractional Brownian motion: DFA and DMA on the values as they
// are find the prescribed exponent.
TEST(Generate, EstimatesFindTheHurstExponent) {
    test::TempDir dir;
    GeneratorSettings s = Settings(dir, 15, -11);
    s.hurstStart = s.hurstEnd = 0.7;
    s.outputKind = kBinarySeries;
    s.seriesCount = 1;
    const int32_t n = (1 << 15) + 1;
    const ScaleProgression scales{8, 2048, 2, kGeometric, {}};
    double dfaSum = 0, dmaSum = 0;
    const int runs = 4;
    for (int run = 0; run < runs; ++run) {
        s.seed = -11 - run;
        s.filePrefix = "r" + std::to_string(run) + "_";
        OutputCapture quiet;
        ASSERT_EQ(Generate(s), kGenerated);
        const std::string series = dir.File(s.filePrefix + "H=0.7-1.dat");
        const std::string dfaResult = dir.File(s.filePrefix + "dfa.out.txt");
        const std::string dmaResult = dir.File(s.filePrefix + "dma.out.txt");
        RunStaticDfa(n - 1, 1, scales, series, kBinaryInput, dfaResult, n, 0);
        RunStaticDma(n - 2 * 2048 - 1, scales, series, kBinaryInput, dmaResult, n, 0);
        const double dfa = std::stod(test::SplitTabs(test::ReadLines(dfaResult).at(0)).at(4));
        const double dma = std::stod(test::SplitTabs(test::ReadLines(dmaResult).at(0)).at(4));
        EXPECT_NEAR(dfa, 0.7, 0.08) << run;
        EXPECT_NEAR(dma, 0.7, 0.08) << run;
        dfaSum += dfa;
        dmaSum += dma;
    }
    EXPECT_NEAR(dfaSum / runs, 0.7, 0.04);
    EXPECT_NEAR(dmaSum / runs, 0.7, 0.04);

    // And a different exponent is told apart.
    s.hurstStart = s.hurstEnd = 0.3;
    s.filePrefix = "low_";
    OutputCapture quiet;
    ASSERT_EQ(Generate(s), kGenerated);
    const std::string result = dir.File("low_dfa.out.txt");
    RunStaticDfa(n - 1, 1, scales, dir.File("low_H=0.3-1.dat"), kBinaryInput, result, n, 0);
    EXPECT_NEAR(std::stod(test::SplitTabs(test::ReadLines(result).at(0)).at(4)), 0.3, 0.08);
}

}  // namespace
}  // namespace fractan
