#include "generator/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <set>
#include <sstream>

#include "generator/midpoint.h"
#include "generator/random_source.h"
#include "generator/series_writer.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

Lines FolderEntries(const std::string& folder) {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
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

// The values as the text files write them.
std::string Fixed(const std::vector<double>& values, int decimals) {
    std::ostringstream text;
    for (double y : values) text << std::fixed << std::setprecision(decimals) << y << "\n";
    return text.str();
}

TEST(BuildSeries, MidpointsLevelByLevelFromLeftToRight) {
    int32_t reference = -1;  // the Gaussian draws from −1, taken apart from the series
    const double g1 = GaussianDeviate(reference, 0.0, 1.0), g2 = GaussianDeviate(reference, 0.0, 1.0),
                 g3 = GaussianDeviate(reference, 0.0, 1.0);
    const double H = 0.7, e = std::sqrt(1.0 - std::pow(2.0, 2.0 * H - 2.0));
    SeriesPointPool pool(SeriesLength(2));
    int32_t seed = -1;
    OutputCapture quiet;
    const SeriesPoint* p = BuildSeries(pool, 2, 3, H, seed);
    // 0.5 is drawn first (level 1), then 0.25 and 0.75 (level 2).
    const double y50 = g1 / std::pow(2.0, H) * e;
    const std::vector<double> xs{0.0, 0.25, 0.5, 0.75, 1.0},
        ys{0.0, y50 * 0.5 + g2 / std::pow(2.0, 2 * H) * e, y50, y50 * 0.5 + g3 / std::pow(2.0, 2 * H) * e, 0.0};
    for (size_t k = 0; k < xs.size(); ++k, p = p->next) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->x, xs[k]) << k;
        EXPECT_NEAR(p->y, ys[k], 1e-15) << k;
    }
    EXPECT_EQ(p, nullptr);
    SeriesPointPool small(4);  // too small: no series, and nothing read past its end
    EXPECT_EQ(BuildSeries(small, 2, 1, H, seed), nullptr);
}

TEST(Generate, FilesTheirLinesAndKinds) {
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

    // N = 5: 33 values, the text with 10 decimals of the binary's; a negative seed repeats them.
    s.lengthExponent = 5;
    s.hurstStart = s.hurstEnd = 0.75;
    s.filePrefix = "p_";
    ASSERT_EQ(Generate(s), kGenerated);
    const std::vector<double> binary = test::ReadDoubles(dir.File("p_H=0.75-1.dat"));
    ASSERT_EQ(binary.size(), 33u);
    EXPECT_NE(binary[16], 0.0);
    EXPECT_EQ(test::ReadText(dir.File("p_H=0.75-1.txt")), Fixed(binary, 10));
    // Text only at precision 0, over a longer old file; binary only.
    s.precision = 0;
    s.outputKind = kTextSeries;
    s.filePrefix = "q_";
    test::WriteText(dir.File("q_H=0.75-1.txt"), std::string(1000, 'x'));
    ASSERT_EQ(Generate(s), kGenerated);
    EXPECT_EQ(test::ReadText(dir.File("q_H=0.75-1.txt")), Fixed(binary, 0));
    s.outputKind = kBinarySeries;
    s.filePrefix = "r_";
    ASSERT_EQ(Generate(s), kGenerated);
    EXPECT_EQ(FolderEntries(dir.Path()), (Lines{"Artificial_H=0.5-1.dat", "Artificial_H=0.5-1.txt", "p_H=0.75-1.dat",
                                               "p_H=0.75-1.txt", "q_H=0.75-1.txt", "r_H=0.75-1.dat"}));
    EXPECT_EQ(SeriesBaseName("d", "x", 0.7999999999999999, 12), "d/xH=0.8-12");  // two significant digits
}

TEST(Generate, TheHurstRangeAndTheNamesItShares) {
    GeneratorSettings s;
    s.hurstStart = 0.1;
    s.hurstEnd = 0.3;
    EXPECT_EQ(HurstExponents(s), (std::vector<double>{0.1, 0.1 + 0.1}));  // 0.1 + 0.1 + 0.1 is above 0.3
    s.hurstStart = 0.5, s.hurstEnd = 1.05, s.hurstStep = 0.25;  // 0.5, 0.75 and 1: an end above 1 bounds them
    EXPECT_EQ(GeneratorRefusal(s), "");
    test::TempDir dir;
    s = Settings(dir, 2, -3);
    s.hurstEnd = 0.5025;  // exponents closer than two digits share their files: said once
    s.hurstStep = 0.001;
    OutputCapture out;
    EXPECT_EQ(Generate(s), kGenerated);
    EXPECT_EQ(test::StartingWith(out.Lines(), "Warning"),
              Lines{"Warning: H=0.5 and H=0.501 share the file names " + dir.Path() +
                    "/Artificial_H=0.5-*; the later series replace the earlier ones."});
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
        return std::make_pair(test::ReadDoubles(dir.File(prefix + "H=0.5-1.dat")),
                              test::ReadDoubles(dir.File(prefix + "H=0.5-2.dat")));
    };
    // Negative: every series the same, on every run.
    const auto negative = series(-9, "n");
    EXPECT_EQ(negative.first, negative.second);
    EXPECT_EQ(series(-9, "m").first, negative.first);
    EXPECT_NE(series(-10, "o").first, negative.first);
    // 0 and above: the table and the Gaussian cache carry over, the series differ;
    // a request starts afresh, so that it repeats, and the first series in memory is its first.
    // Every seed its own series, the two whose states wrap round included.
    std::set<std::vector<double>> firsts{negative.first};
    for (int32_t seed : {9, 0, 1, 2147483646, 2147483647}) {
        const auto carried = series(seed, "s" + std::to_string(seed));
        EXPECT_NE(carried.first, carried.second) << seed;
        EXPECT_EQ(series(seed, "r" + std::to_string(seed)), carried);
        EXPECT_EQ(GenerateSeries(kMidpointMethod, 6, 0.5, seed).values, carried.first);
        firsts.insert(carried.first);
    }
    EXPECT_EQ(firsts.size(), 6u);
    // Each series of a run, and the next seed's, draws from a stretch of the cycle of its own.
    std::set<int32_t> second;
    for (int32_t k = 0, state = MidpointStart(9, 2); k < 100000; ++k) second.insert(state = MinimalStandardStep(state));
    for (int32_t state : {MidpointStart(9, 1), MidpointStart(10, 1)})
        for (int k = 0; k < 100000; ++k) ASSERT_FALSE(second.count(state = MinimalStandardStep(state))) << k;
    // Every H draws of its own: the first series of the second H is not GenerateSeries's.
    GeneratorSettings two = Settings(dir, 6, 9);
    two.hurstEnd = 0.7, two.hurstStep = 0.2, two.outputKind = kBinarySeries, two.filePrefix = "h";
    ASSERT_EQ(Generate(two), kGenerated);
    EXPECT_NE(test::ReadDoubles(dir.File("hH=0.7-1.dat")), GenerateSeries(kMidpointMethod, 6, 0.7, 9).values);
    EXPECT_EQ(GenerateSeries(kMidpointMethod, 6, 0.5, -9).values, negative.first);
    EXPECT_EQ(GenerateSeries(kMidpointMethod, 6, 1.5, -9).reason, "The Hurst exponent 1.5 is outside (0, 1].");
    EXPECT_EQ(GenerateSeries(kMidpointMethod, 2, 1.0, -9).reason, "");  // H may be 1 exactly
}

TEST(Generate, RefusalsWriteNothing) {
    using Change = std::function<void(GeneratorSettings&)>;
    for (const auto& [change, line] : std::vector<std::pair<Change, std::string>>{
             {[](auto& s) { s.hurstEnd = 1.2, s.hurstStep = 0.6; }, "The Hurst exponent 1.1 is outside (0, 1]."},
             {[](auto& s) { s.hurstStart = 2.0; }, "The Hurst exponent 2 is outside (0, 1]."},  // not an empty range
             {[](auto& s) { s.hurstStart = 0.0; }, "The Hurst exponent 0 is outside (0, 1]."},
             {[](auto& s) { s.hurstStep = -0.1; }, "The Hurst step is -0.1, it must be greater than 0 (start is not above end)."},
             {[](auto& s) { s.hurstEnd = 0.6, s.hurstStep = 1e-300; }, "The Hurst range gives more than 1000000 exponents; use a larger step."},
             {[](auto& s) { s.hurstStart = std::nan(""); }, "The Hurst range from nan to 0.5 is not a range of numbers."},
             {[](auto& s) { s.lengthExponent = -1; }, "The length exponent N is -1, it must be at least 0."},
             {[](auto& s) { s.lengthExponent = 31; }, "The length exponent N is 31, at most 30 is accepted."},
             {[](auto& s) { s.outputKind = 0; }, "The output kind is 0, it must be 1 (text), 2 (binary) or 3 (both)."},
             {[](auto& s) { s.outputKind = 4; }, "The output kind is 4, it must be 1 (text), 2 (binary) or 3 (both)."},
             {[](auto& s) { s.precision = -1; }, "The precision is -1, it must be between 0 and 1074."},
             {[](auto& s) { s.precision = 1075; }, "The precision is 1075, it must be between 0 and 1074."},
             {[](auto& s) { s.hurstStart = 0.6, s.hurstStep = 0.0; }, ""},  // start above end: nothing to build, nothing said
         }) {
        test::TempDir dir;
        GeneratorSettings s = Settings(dir, 5, -1);
        change(s);
        OutputCapture out;
        EXPECT_EQ(Generate(s), line.empty() ? kGenerated : kGeneratorRefused) << line;
        EXPECT_EQ(out.Text(), line.empty() ? "" : line + " Nothing generated.\n");
        EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << line;
    }
}

TEST(Generate, StopEndsPromptlyAndLeavesNoUnfinishedSeries) {
    // While building (at a level line, at a stage of the spectral method) and
    // while writing (at the line every 10000 samples).
    for (const std::string at : {"Building series 1 (H=0.5). Level 3", "Building series 1 (H=0.5). Gaussian draws",
                                 " sample 10000"}) {
        test::TempDir dir;
        GeneratorSettings s = Settings(dir, 14, -4);
        s.seriesCount = 3;
        if (at.ends_with("draws")) s.method = kSpectralMethod;
        const std::string line = at[0] == ' ' ? "Printing series " + dir.File("Artificial_H=0.5-1") + at : at;
        StopSource stop;
        ScopedStopSource scope(stop);
        test::StopOnLine watch(stop, line);
        EXPECT_EQ(Generate(s), kGeneratorStopped) << at;
        EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << at;
        EXPECT_TRUE(watch.Text().ends_with("\n" + line + "\n")) << at;  // nothing after it
    }
}

}  // namespace
}  // namespace fractan
