#include "engine/driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "clusters/cluster_analyzer.h"
#include "engine/analysis.h"
#include "engine/methods.h"
#include "engine/result_files.h"
#include "engine/result_reading.h"
#include "setup/series_loader.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DriverCase {
    test::TempDir dir;
    AnalysisParameters p = test::SmallRun(dir.Path());
    std::string result = dir.File("t.Static DMA (2).out.txt");

    std::string Series(const std::string& name, int count, unsigned seed) {
        test::WriteNumbers(dir.File(name), test::RandomWalk(count, seed));
        return dir.File(name);
    }
    // The record reads a files list of `files`.
    void List(const Lines& files) {
        std::string text;
        for (const std::string& file : files) text += file + "\n";
        test::WriteText(dir.File("list.txt"), text);
        p.inputFileMode = 1;
        p.inputFileName = dir.File("list.txt");
    }
};

// The list up to its blank line, in list order into a result file emptied once,
// the failures recorded, a chart for each file whose fit is the file's H, and
// one line in the run suggesting to integrate values that look like increments.
TEST(RunAnalysis, FilesListInOrderWithFailuresRecorded) {
    DriverCase c;
    const std::vector<double> walk = test::RandomWalk(101, 1);
    std::vector<double> increments;
    for (size_t i = 1; i < walk.size(); ++i) increments.push_back(walk[i] - walk[i - 1]);
    const std::string a = c.dir.File("a.txt"), b = c.Series("b.txt", 60, 2), d = c.dir.File("d.txt");
    test::WriteNumbers(a, increments);
    test::WriteNumbers(d, increments);
    c.List({a, b, d, c.dir.File("missing.txt"), "", "lost.txt"});
    test::WriteText(c.result, "old line\n");
    OutputCapture out;
    const RunSummary summary = RunAnalysis(c.p);
    EXPECT_EQ(out.Lines().front(), "Files list [" + c.p.inputFileName + "]: the list ends at line 5, which is blank "
                                   "or unreadable; the 1 files named after it are not analysed.");
    EXPECT_EQ(out.Lines().back(), "Exiting...");
    EXPECT_EQ(test::StartingWith(out.Lines(), "The values of [").size(), 1u);
    EXPECT_EQ(test::Column(c.result, 0), (Lines{"a.txt", "d.txt"}));
    EXPECT_EQ(summary.Inputs({kAnalysed}), (Lines{a, d}));
    EXPECT_EQ(summary.Inputs({kNotAnalysed}), (Lines{b, c.dir.File("missing.txt")}));
    EXPECT_EQ(summary.files[1].reason, "the series could not be loaded");
    ASSERT_EQ(summary.files[2].chartFile, ChartFilePath(c.result, d));
    std::vector<ChartPoint> points;
    ASSERT_TRUE(ReadChartPoints(summary.files[2].chartFile, points));
    ASSERT_EQ(points.size(), summary.files[2].fluctuations.size());
    EXPECT_NEAR(points.back().f, summary.files[2].fluctuations.back(), 1e-8);
    EXPECT_NEAR(summary.files[2].hurst, test::HurstOf(c.result, 1), 5e-6);  // H has six digits
}

// A run that analyses nothing says why and leaves the result file of an
// earlier run as it was: a result file that cannot be created, a test name that
// would write outside the output folder, an input that cannot be read.
TEST(RunAnalysis, NothingAnalysedLeavesTheResultFileOfAnEarlierRun) {
    for (const auto& [output, name, line] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"missing", "t", "/missing/t.Static DMA (2).out.txt]: No such file or directory. Nothing is analysed."},
             {"o", "../t", "Test name [../t] holds \"/\", which would put the result files it names outside the output folder. Nothing is analysed."},
             {"o", "t", "/none.txt]: the series could not be loaded."}}) {
        DriverCase c;
        std::filesystem::create_directory(c.dir.File("o"));
        c.p.inputFileName = name == "t" && output == "o" ? c.dir.File("none.txt") : c.Series("a.txt", 100, 1);
        c.p.outputPath = c.dir.File(output);
        c.p.testName = name;
        c.result = ResultFilePath(c.dir.File("o"), "t", 2);
        test::WriteText(c.result, "earlier\n");
        OutputCapture out;
        const RunSummary summary = RunAnalysis(c.p);
        EXPECT_NE(out.Text().find(line), std::string::npos) << out.Text();
        EXPECT_EQ(summary.Inputs({kAnalysed, kNotFinite}), Lines{});
        EXPECT_EQ(test::ReadText(c.result), "earlier\n");
        EXPECT_FALSE(std::filesystem::exists(c.dir.File("t.Static DMA (2).out.txt")));  // outside o
    }
}

// A constant added to a long walk changes no F(n) and no H: DFA of both orders,
// static and dynamic, and a DMA type of every window family. The walk's values
// are multiples of 2^-20, so that adding 1e9 rounds none of them: DFA, which fits
// each box to its values less the box's first one, then gives the very same numbers.
TEST(Analyse, AConstantAddedToALongWalkChangesNoResult) {
    std::vector<double> near = test::RandomWalk(200000, 8), far;
    for (double& v : near) {
        v = std::ldexp(std::round(std::ldexp(v, 20)), -20);
        far.push_back(v + 1e9);
    }
    AnalysisSettings s;
    s.sizes = {4, 5, 8, 16, 32, 64, 128, 256};  // odd and even
    s.dynamicStep = 4999;
    s.dmaWeight = 2;
    s.shiftPercentage = 0.5;
    // Every F(n) and H.
    const auto values = [](const AnalysisResult& r) {
        std::vector<double> v = r.fluctuations;
        v.insert(v.end(), r.hursts.begin(), r.hursts.end());
        if (r.hursts.empty()) v.push_back(r.hurst);
        return v;
    };
    for (auto [type, order, window] : std::vector<std::tuple<int, int, int>>{
             {1, 0, 3000}, {1, 1, 3000}, {3, 0, 199999}, {3, 1, 199999}, {0, 0, 3000}, {2, 0, 199000},
             {4, 0, 199000}, {6, 0, 199000}, {7, 0, 199000}}) {
        s.computationType = type;
        s.dfaOrder = order;
        s.windowSize = window;
        const std::vector<double> a = values(Analyse(near, s)), b = values(Analyse(far, s));
        ASSERT_EQ(a.size(), b.size()) << type;
        EXPECT_GT(a.size(), 6u) << type;
        const double tolerance = IsDfaType(type) ? 0.0 : 2e-6;
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_NEAR(b[i], a[i], tolerance * (std::fabs(a[i]) + 1)) << type << " " << order << " " << i;
    }
}

// A sample that is not a number is named with the positions it spoils, and
// the file counts as not finite, as a static run's would; integrated too,
// where it spoils the profile from there on.
TEST(RunAnalysis, ANonFiniteSampleIsNamedWithThePositionsItSpoils) {
    DriverCase c;
    std::vector<double> x = test::RandomWalk(400, 9);
    x[120] = std::nan("");
    test::WriteNumbers(c.dir.File("a.txt"), x);
    c.p.inputFileName = c.dir.File("a.txt");
    c.p.dataSize = 400;
    // DMA carries the sample in its running sums; a DFA window lets it go,
    // its boxes fitted afresh at every 10th position or sliding on to every 5th.
    for (const auto& [type, integrate, step, spoiled] :
         {std::tuple{0, 0, 10, " at 28 of the 34 positions evaluated, from 120 to 390"},
          std::tuple{1, 0, 10, " at 5 of the 35 positions evaluated, from 120 to 160"},
          std::tuple{1, 0, 5, " at 10 of the 70 positions evaluated, from 120 to 165"},
          std::tuple{1, 1, 10, " at 28 of the 35 positions evaluated, from 120 to 390"}, std::tuple{2, 1, 10, ""}}) {
        c.p.computationType = type;
        c.p.integrate = integrate;
        c.p.dynamicStep = step;
        OutputCapture out;
        const RunSummary summary = RunAnalysis(c.p);
        EXPECT_EQ(summary.Inputs({kNotFinite}), Lines{c.p.inputFileName});
        EXPECT_EQ(out.Lines().at(out.Lines().size() - 2),
                  "H of [" + c.p.inputFileName + "] is not a finite number" + spoiled +
                      ": sample 120 of the file (counted from 0) is not a finite number.");
    }
}

// Every file of a folder, by name.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = test::ReadText(entry.path().string());
    return files;
}

// Two jobs write the files and print the lines of one, on a list with a file
// that cannot be read and a name that comes twice (the second written apart, and
// said so); a stop ends the run, one job or two.
TEST(RunAnalysis, JobsWriteWhatOneJobWritesAndStop) {
    DriverCase c;
    std::filesystem::create_directory(c.dir.File("x"));
    Lines files;
    for (unsigned i = 0; i < 7; ++i) files.push_back(c.Series(std::to_string(i) + ".txt", 400, i));
    files.push_back(c.Series("x/1.txt", 500, 9));
    files.push_back(c.dir.File("none.txt"));
    c.List(files);
    c.p.dataSize = 300;
    c.p.dynamicStep = 7;
    auto run = [&](int type, int jobs) {
        const std::string out = c.dir.File("out" + std::to_string(type) + "_" + std::to_string(jobs));
        std::filesystem::create_directory(out);
        c.p.computationType = type;
        c.p.outputPath = out;
        c.p.jobs = jobs;
        c.p.windowSize = type < 0 ? 300 : 100;
        OutputCapture log;
        if (type < 0) RunClusterAnalysis(c.p);
        else RunAnalysis(c.p);
        std::string text = log.Text();  // the lines, the folder's name aside
        for (size_t at; (at = text.find(out)) != std::string::npos;) text.replace(at, out.size(), "OUT");
        return std::pair{text, FolderFiles(out)};
    };
    for (int type : {2, 1, -1}) {  // static DMA, dynamic DFA, clusters
        const auto one = run(type, 1), two = run(type, 2);
        EXPECT_GE(one.second.size(), 3u) << type;
        EXPECT_TRUE(two.second == one.second) << type;
        EXPECT_TRUE(two.first == one.first) << type;
    }
    const std::string first = "t.Dynamic DFA (1).out.1.inc.txt", second = "t.Dynamic DFA (1).out.1_2.inc.txt";
    const auto dynamic = run(1, 1);
    EXPECT_NE(dynamic.second.at(second), dynamic.second.at(first));
    EXPECT_EQ(dynamic.second.at("t.Dynamic DFA (1).out.txt"), "");  // created, and left empty
    EXPECT_NE(dynamic.first.find("File name [OUT/" + first + "] is already used in this run; writing [OUT/" + second +
                                 "] instead.\n"),
              std::string::npos);

    c.p.computationType = 2;
    c.p.windowSize = 100;
    for (int jobs : {1, 2}) {
        StopSource stop;
        ScopedStopSource scope(stop);
        test::StopOnLine sink(stop, "Processing sample 0 (1)");  // the first file's first line
        c.p.jobs = jobs;
        const RunSummary summary = RunAnalysis(c.p);
        EXPECT_TRUE(summary.stopped) << jobs;
        EXPECT_TRUE(summary.files.empty()) << jobs;
        EXPECT_EQ(test::ReadText(summary.resultPath), "") << jobs;
        EXPECT_EQ(sink.Text().find("Exiting..."), std::string::npos) << jobs;
    }
}

}  // namespace
}  // namespace fractan
