#include "clusters/cluster_analyzer.h"
#include "clusters/cluster_analysis.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <tuple>

#include "setup/output.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

// Each cluster found: start, end, length and area.
using Found = std::vector<std::array<double, 4>>;

// The clusters of the values, loaded as a text series, with window n.
Found Detect(const std::vector<double>& y, int n, bool extended) {
    test::TempDir dir;
    ClusterAnalyzer analyzer;
    OutputCapture quiet;
    test::WriteNumbers(dir.File("s.txt"), y);
    EXPECT_TRUE(analyzer.Load(dir.File("s.txt"), kTextInput, 0, 1000));
    analyzer.SetWindowLength(n);
    EXPECT_TRUE(extended ? analyzer.FindClustersExtended(0, 0) : analyzer.FindClusters(0, 0));
    Found found;
    analyzer.Clusters().ForEach([&](const Cluster& c) { found.push_back({double(c.start), double(c.end), c.length, c.area}); });
    return found;
}

TEST(ClusterDetection, SidesCrossingsAndShortSeries) {
    for (const auto& [y, n, extended, found] : std::vector<std::tuple<std::vector<double>, int, bool, Found>>{
             // Around the mean of two; the cluster opened at t = 5 is discarded.
             {{1, 3, 1, 3, 1, 3}, 2, false, {{2, 3, 2, 1}, {3, 4, 2, 1}, {4, 5, 2, 1}}},
             {{0, 2, 0, 2, 0}, 1, false, {}},  // window 1: the average is the series, nothing crosses
             {{0, -2, 1, 3, 1}, 2, false, {{2, 4, 0, 2}}},  // ends at the same height; area |3 − 2| + |1 − 2|
             {{0, 2, 2, 0, 4, 0}, 2, false, {{3, 4, 4, 2}, {4, 5, 4, 2}}},  // y_2 = a_2 keeps the side
             // Extended: the first n averages are 0.0 and the first sample sets the side; then the line
             // through the two samples before, at the newer: −1 at t = 3, 5 at t = 4.
             {{-1, 1, -1, 5, 5}, 3, true, {{1, 2, 2, 1}, {2, 3, 6, 6}}},
             // Too short to decide a side: nothing, nothing read outside.
             {{5}, 2, false, {}}, {{}, 2, false, {}}, {{5}, 2, true, {}}, {{}, 2, true, {}},
         })
        EXPECT_EQ(Detect(y, n, extended), found) << y.size() << " " << n << " " << extended;
}

TEST(ClusterLoading, OffsetsCountsShortFilesAndBadData) {
    test::TempDir dir;
    OutputCapture out;
    ClusterAnalyzer a;
    test::WriteNumbers(dir.File("s.txt"), {1, 2, 3, 4, 5});
    test::WriteBinary(dir.File("s.dat"), {1, 2, 3, 4, 5});
    ASSERT_TRUE(a.Load(dir.File("s.txt"), kTextInput, 1, 3));
    EXPECT_EQ(std::vector<double>(a.Series().begin(), a.Series().end()), (std::vector<double>{2, 3, 4}));
    EXPECT_EQ(out.Lines(), Lines{"Processing sample 0 (0)"});
    ASSERT_TRUE(a.Load(dir.File("s.dat"), kBinaryInput, 3, 10));  // shorter than asked: what there is
    EXPECT_EQ(std::vector<double>(a.Series().begin(), a.Series().end()), (std::vector<double>{4, 5}));
    ASSERT_TRUE(a.Load(dir.File("s.dat"), kBinaryInput, 9, 10));
    EXPECT_EQ(a.Series().Size(), 0);

    test::WriteText(dir.File("bad.txt"), "200000\n300000\n5\n100000.0\n100000.5\n-200000\nnan\n");
    ASSERT_TRUE(a.Load(dir.File("bad.txt"), kTextInput, 0, 10));
    OutputCapture messages;
    a.ReplaceBadData();
    EXPECT_EQ(std::vector<double>(a.Series().begin(), a.Series().end()),
              (std::vector<double>{0, 0, 5, 100000.0, 100000.0, -200000, -200000}));
    EXPECT_EQ(messages.Lines(), (Lines{"Found bad datum (200000). Replacing with (0.0)",
                                       "Found bad datum (300000). Replacing with (0)",
                                       "Found bad datum (100000). Replacing with (100000)",
                                       "Found bad datum (nan). Replacing with (-200000)"}));
    // A threshold of its own; past the first ten, one line counts them all.
    test::WriteNumbers(dir.File("cents.txt"), std::vector<double>(12, 50.0));
    ASSERT_TRUE(a.Load(dir.File("cents.txt"), kTextInput, 0, 20));
    OutputCapture many;
    a.ReplaceBadData(10.0);
    EXPECT_EQ(std::vector<double>(a.Series().begin(), a.Series().end()), std::vector<double>(12, 0.0));
    ASSERT_EQ(many.Lines().size(), 11u);
    EXPECT_EQ(many.Lines()[10], "Found 12 bad data in all (above 10, or not numbers), each replaced with the sample "
                                "before (0.0 for the first).");
}

struct ClusterRun {
    test::TempDir dir;
    AnalysisParameters p = test::SmallRun(dir.Path());
    ClusterRun() {
        p.windowSize = 1000;
        p.filePrefix = std::string(1, 's');  // a plain literal here trips a false -Wrestrict in GCC 12
        p.averageProgression = ScaleProgression{10, 20, 10, kLinear, {}};
        p.globalStatisticsOnly = 0;
    }
};

TEST(RunClusterAnalysis, TagsTotalsAndFileNames) {
    ClusterRun c;
    test::WriteNumbers(c.dir.File("a.txt"), test::RandomWalk(500, 1));
    test::WriteNumbers(c.dir.File("b.txt"), test::RandomWalk(500, 2));
    test::WriteText(c.dir.File("list.txt"), c.dir.File("a.txt") + "\n" + c.dir.File("b.txt") + "\n");
    c.p.inputFileMode = 1;
    c.p.inputFileName = c.dir.File("list.txt");
    c.p.generateMovingAverageFiles = 1;
    OutputCapture out;
    ClusterRunSummary summary;
    ASSERT_TRUE(RunClusterAnalysis(c.p, &summary));

    const Lines found = test::StartingWith(out.Lines(), "Found ");
    int total = 0;
    for (const auto& line : found) {
        int n = 0, t = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "Found %d Clusters (Total: %d).", &n, &t), 2);
        EXPECT_EQ(t, total += n);
    }
    EXPECT_EQ(found.size(), 4u);  // files × windows
    EXPECT_EQ(summary.clusters, total);
    EXPECT_EQ(out.Lines().back(), "Computing distributions...Done.");

    // The moving-average file holds the last file analysed.
    const Lines average = test::ReadLines(c.dir.File("t.clusters.average(20).txt"));
    ASSERT_EQ(average.size(), 500u);
    EXPECT_EQ(test::SplitTabs(average[0])[0], test::SplitTabs(average[0])[1]);  // a_0 = y_0
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.15f", test::RandomWalk(500, 2)[499]);
    EXPECT_EQ(test::SplitTabs(average[499])[0], expected);
}

TEST(RunClusterAnalysis, OutputOrderAndPerWindowFilesOfASmallRun) {
    ClusterRun c;
    test::WriteNumbers(c.dir.File("a.txt"), {1, 3, 1, 3, 1, 3});
    c.p.inputFileName = c.dir.File("a.txt");
    c.p.averageProgression = ScaleProgression{1, 2, 1, kLinear, {}};  // window 1 finds nothing
    c.p.generateMovingAverageFiles = 1;
    OutputCapture out;
    ASSERT_TRUE(RunClusterAnalysis(c.p));
    EXPECT_EQ(out.Lines(), (Lines{"Processing sample 0 (1)", "Found 0 Clusters (Total: 0).",
                                  "Found 3 Clusters (Total: 3).", "Processing clusters...Done.",
                                  "Computing distributions...Done."}));
    EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Lin.1.rLifetime.txt")));
    const Lines lifetime = test::ReadLines(c.dir.File("t.s.Out.Lin.2.rLifetime.txt"));
    ASSERT_EQ(lifetime.size(), 5u);
    EXPECT_EQ(lifetime[0], "Size:\t1\tStep:\t1");
    EXPECT_EQ(lifetime[4], "1\t1.000000000000000");
    EXPECT_EQ(test::ReadLines(c.dir.File("t.s.Out.Lin.All.rDiameter.txt")).at(4),
              "2\t1.000000000000000");  // every diameter sqrt(1 + 4) lies in the bin centred on 2
    EXPECT_EQ(test::ReadLines(c.dir.File("t.clusters.average(2).txt")).at(1),
              "3.000000000000000\t2.000000000000000");
}

TEST(RunClusterAnalysis, GlobalOnlyAndLogarithmicForm) {
    ClusterRun c;
    test::WriteNumbers(c.dir.File("a.txt"), {0, -2, 1, 3, 1});  // one cluster, length 0, with window 2
    c.p.inputFileName = c.dir.File("a.txt");
    c.p.averageProgression = ScaleProgression{2, 2, 1, kLinear, {}};
    c.p.globalStatisticsOnly = 1;
    c.p.distributionType = 1;
    OutputCapture out;
    ASSERT_TRUE(RunClusterAnalysis(c.p));
    EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Log.2.rLifetime.txt")));
    EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Log.All.rLength.txt")));  // its only value was 0
    const Lines lifetime = test::ReadLines(c.dir.File("t.s.Out.Log.All.rLifetime.txt"));
    ASSERT_EQ(lifetime.size(), 5u);
    EXPECT_EQ(lifetime[1], "Min:\t0.30103\tMax:\t0.30103");  // log10 of lifetime 2
    EXPECT_TRUE(test::Exists(c.dir.File("t.s.Out.Log.All.rDiameter.txt")));
    for (const auto& line : out.Lines()) EXPECT_FALSE(line.starts_with("Processing clusters"));
}

TEST(RunClusterAnalysis, RefusalsStepAndUnwritableFiles) {
    ClusterRun c;
    test::WriteNumbers(c.dir.File("a.txt"), test::RandomWalk(300, 5));
    c.p.inputFileName = c.dir.File("a.txt");
    {
        c.p.averageProgression = ScaleProgression{0, 10, 5, kLinear, {}};
        OutputCapture out;
        ClusterRunSummary summary;
        EXPECT_FALSE(RunClusterAnalysis(c.p, &summary));
        EXPECT_TRUE(summary.refused);
        EXPECT_EQ(out.Lines(), Lines{"Nothing analysed: Moving average windows must be at least 1."});
        c.p.averageProgression = ScaleProgression{2, 10, 5, kLinear, {}};
        c.p.movingAverageType = 1;  // a window of 2 fits its trend to one sample
        EXPECT_EQ(CheckClusterParameters(c.p), "Moving average windows must be at least 3 for the extended average: "
                                               "its trend is fitted to the n - 1 samples before each one.");
        c.p.movingAverageType = 0;
        c.p.windowSize = 2;
        EXPECT_EQ(CheckClusterParameters(c.p), "Window size is 2, it must be at least 3: a cluster runs from one crossing to the next.");
        c.p.windowSize = 1000;
        c.p.badAbove = std::nan("");
        EXPECT_EQ(CheckClusterParameters(c.p), "The bad-data threshold is nan; samples above a number are taken for bad data.");
        c.p.badAbove = kDefaultBadAbove;
        c.p.filePrefix = "../s";  // the distribution files would leave the output folder
        EXPECT_FALSE(RunClusterAnalysis(c.p));
        EXPECT_TRUE(out.Lines().back().starts_with("Nothing analysed: File prefix [../s] holds"));
        c.p.filePrefix = "s";
    }
    {  // a file that turns out too short for a cluster is not analysed
        test::WriteNumbers(c.dir.File("b.txt"), {1, 2});
        c.p.inputFileName = c.dir.File("b.txt");
        OutputCapture out;
        ClusterRunSummary summary;
        EXPECT_TRUE(RunClusterAnalysis(c.p, &summary));
        EXPECT_EQ(summary.notAnalysed, Lines{c.dir.File("b.txt")});
        EXPECT_EQ(test::StartingWith(out.Lines(), "Only"),
                  Lines{"Only 2 samples of [" + c.dir.File("b.txt") + "] from offset 0: a cluster needs at least 3."});
        c.p.inputFileName = c.dir.File("a.txt");
    }
    {
        c.p.averageProgression = ScaleProgression{5, 10, 5, kLinear, {}};
        c.p.distributionStep = 0.0;
        c.p.generateMovingAverageFiles = 1;
        OutputCapture out;
        ASSERT_TRUE(RunClusterAnalysis(c.p));
        EXPECT_EQ(test::StartingWith(out.Lines(), "Distribution step 0 is not above 0: no distribution file is written.").size(),
                  1u);  // once per run
        EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Lin.5.rArea.txt")));
        EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Lin.All.rArea.txt")));
        EXPECT_TRUE(test::Exists(c.dir.File("t.clusters.average(5).txt")));
    }
    {
        c.p.distributionStep = 1.0;
        const std::string blocked = c.dir.File("t.s.Out.Lin.All.rArea.txt");
        ASSERT_EQ(::mkdir(blocked.c_str(), 0777), 0);
        OutputCapture out;
        ClusterRunSummary summary;
        ASSERT_TRUE(RunClusterAnalysis(c.p, &summary));
        EXPECT_EQ(summary.unwritten, Lines{blocked});
        EXPECT_EQ(out.Lines().back(), "Error writing distribution file [" + blocked + "].");
        EXPECT_TRUE(test::Exists(c.dir.File("t.s.Out.Lin.All.rLength.txt")));  // the others are written
    }
}

TEST(RunClusterAnalysis, StopWritesNoDistributions) {
    ClusterRun c;
    test::WriteNumbers(c.dir.File("a.txt"), test::RandomWalk(5000, 6));
    c.p.inputFileName = c.dir.File("a.txt");
    StopSource stop;
    ScopedStopSource scope(stop);
    OutputCapture out;
    stop.RequestStop();
    ClusterRunSummary summary;
    RunClusterAnalysis(c.p, &summary);
    EXPECT_TRUE(summary.stopped);
    EXPECT_FALSE(test::Exists(c.dir.File("t.s.Out.Lin.All.rLifetime.txt")));
}

}  // namespace
}  // namespace fractan
