#include "engine/driver.h"

#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <cstdio>
#include <functional>
#include <set>

#include "clusters/cluster_analyzer.h"
#include "engine/dfa.h"
#include "engine/dynamic_dma.h"
#include "engine/first_order_dma.h"
#include "engine/names.h"
#include "engine/shifted_dma.h"
#include "engine/smoothed_dma.h"
#include "engine/static_dma.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DriverCase {
    test::TempDir dir;
    AnalysisParameters p;
    DriverCase() {
        p.inputFileMode = 0;
        p.inputFileType = 0;
        p.computationType = 2;
        p.outputPath = dir.Path();
        p.testName = std::string(1, 't');  // a plain literal here trips a false -Wrestrict in GCC 12
        p.windowSize = 50;
        p.dataSize = 100;
        p.averageProgression = ScaleProgression{2, 8, 2, kLinear, {}};
    }
    std::string Series(const std::string& name, int count, unsigned seed) {
        test::WriteNumbers(dir.File(name), test::RandomWalk(count, seed));
        return dir.File(name);
    }
};

TEST(RunAnalysis, SingleFileEmptiesTheResultFileOnceAndEndsWithExiting) {
    DriverCase c;
    c.p.inputFileName = c.Series("a.txt", 100, 1);
    const std::string result = c.dir.File("t.Static DMA (2).out.txt");
    test::WriteText(result, "old line\n");
    OutputCapture out;
    RunSummary summary;
    EXPECT_EQ(RunAnalysis(c.p, &summary), 0);
    EXPECT_EQ(summary.resultPath, result);
    const Lines lines = test::ReadLines(result);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("a.txt\t100\t0\t58\t"));
    EXPECT_EQ(out.Lines().back(), "Exiting...");
    EXPECT_EQ(summary.analysed, Lines{c.p.inputFileName});
}

TEST(RunAnalysis, FilesListInOrderWithFailuresRecorded) {
    DriverCase c;
    const std::string list = c.dir.File("list.txt");
    const std::string a = c.Series("a.txt", 100, 1), b = c.Series("b.txt", 60, 2), d = c.Series("d.txt", 100, 3);
    test::WriteText(list, a + "\n" + b + "\n" + d + "\n" + c.dir.File("missing.txt") + "\n\nlost.txt\n");
    c.p.inputFileMode = 1;
    c.p.inputFileName = list;
    OutputCapture out;
    RunSummary summary;
    EXPECT_EQ(RunAnalysis(c.p, &summary), 0);
    EXPECT_EQ(out.Lines().at(0), "Files list [" + list + "]: the list ends at line 5, which is blank or unreadable; "
                                 "the 1 files named after it are not analysed.");
    const Lines lines = test::ReadLines(c.dir.File("t.Static DMA (2).out.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("a.txt\t"));
    EXPECT_TRUE(lines[1].starts_with("d.txt\t"));
    EXPECT_EQ(summary.analysed, (Lines{a, d}));
    EXPECT_EQ(summary.notAnalysed, (Lines{b, c.dir.File("missing.txt")}));
    EXPECT_EQ(out.Lines().back(), "Exiting...");
}

TEST(RunAnalysis, NothingToDo) {
    DriverCase c;
    c.p.inputFileMode = 1;
    c.p.inputFileName = c.dir.File("no-list.txt");
    {
        OutputCapture out;
        EXPECT_EQ(RunAnalysis(c.p), -1);
        EXPECT_EQ(out.Text(), "");
        EXPECT_FALSE(test::Exists(c.dir.File("t.Static DMA (2).out.txt")));
    }
    c.p.inputFileMode = 0;
    c.p.computationType = -1;
    {
        OutputCapture out;
        EXPECT_EQ(RunAnalysis(c.p), 0);
        EXPECT_EQ(out.Lines(), Lines{"Exiting..."});
    }
    c.p.computationType = 2;  // a result file that cannot be created: named with the reason, nothing run
    c.p.outputPath = c.dir.File("missing");
    OutputCapture out;
    RunSummary summary;
    EXPECT_EQ(RunAnalysis(c.p, &summary), 0);
    EXPECT_EQ(out.Lines(), Lines{"Cannot write result file [" + summary.resultPath +
                                 "]: No such file or directory. Nothing is analysed."});
    EXPECT_EQ(summary.notAnalysed, Lines{c.p.inputFileName});
}

std::string Fixed(double f) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9lf", f);
    return text;
}

TEST(RunAnalysis, EveryTypeGetsItsOwnParameters) {
    DriverCase c;
    c.p.inputFileName = c.Series("a.txt", 300, 7);
    const std::vector<double> x = test::RandomWalk(300, 7);
    c.p.dataSize = 300;
    c.p.windowSize = 100;
    c.p.dynamicStep = 50;
    c.p.dmaWeight = 1;
    c.p.dmaLambda = 0.25;
    c.p.shiftPercentage = 0.5;
    c.p.dfaOrder = 1;
    const ScaleProgression& sizes = c.p.averageProgression;
    const std::string in = c.p.inputFileName, out = c.dir.File("direct.out.txt");
    const int T = kTextInput;
    // What each routine writes when called directly with the record's values.
    const std::vector<std::function<void()>> direct = {
        [&] { RunDynamicDma(100, sizes, in, T, out, 300, 0, 50); },
        [&] { RunDynamicDfa(100, 1, sizes, in, T, out, 300, 0, 50); },
        [&] { RunStaticDma(100, sizes, in, T, out, 300, 0); },
        [&] { RunStaticDfa(100, 1, sizes, in, T, out, 300, 0); },
        [&] { RunStaticSmoothedDma(100, 1, sizes, in, T, out, 300, 0); },
        [&] { RunDynamicShiftedDma(100, sizes, in, T, out, 300, 0, 0.5, 50); },
        [&] { RunStaticShiftedDma(100, sizes, in, T, out, 300, 0, 0.5); },
        [&] { RunStaticFirstOrderDma(100, sizes, in, T, out, 300, 0); },
        [&] { RunDynamicSmoothedDma(100, 1, sizes, in, T, out, 300, 0, 50); },
        [&] { RunStaticSmoothedDmaLambda(100, 1, 0.25, sizes, in, T, out, 300, 0); },
    };
    std::set<std::string> distinct;
    for (int type = 0; type < 10; ++type) {
        c.p.computationType = type;
        OutputCapture log;
        RunSummary summary;
        RunAnalysis(c.p, &summary);
        EXPECT_EQ(summary.analysed, Lines{in}) << type;
        const std::string driven = IsDynamicType(type)
            ? test::ReadText(c.dir.File(std::string("t.") + ComputationTypeFileName(type) + ".out.a.inc.txt"))
            : test::ReadText(summary.resultPath);
        std::remove(out.c_str());
        direct[type]();
        const std::string expected =
            IsDynamicType(type) ? test::ReadText(c.dir.File("direct.out.a.inc.txt")) : test::ReadText(out);
        EXPECT_FALSE(driven.empty()) << type;
        EXPECT_EQ(driven, expected) << type;
        distinct.insert(driven);

        // The same samples in memory give the numbers of the files.
        const AnalysisResult array = Analyse(x, SettingsOf(c.p));
        std::string lines;
        for (size_t i = 0; i < array.positions.size(); ++i)
            lines += test::ResultLine("a.txt", 300, 0, array.positions[i], array.hursts[i]);
        if (!IsDynamicType(type)) lines = test::ResultLine("a.txt", 300, 0, array.position, array.hurst);
        EXPECT_EQ(lines, driven) << type;
        for (size_t k = 0; k < array.fluctuations.size(); ++k)
            EXPECT_EQ(test::SplitTabs(test::ReadLines(summary.chartFiles.at(0)).at(k))[1], Fixed(array.fluctuations[k]));
    }
    EXPECT_EQ(distinct.size(), 10u);  // no two types compute the same thing here
}

// A constant added to a long walk changes no F(n) and no H: DFA of both orders,
// static and dynamic, and a DMA type of every window family.
TEST(RunAnalysis, AConstantAddedToALongWalkChangesNoResult) {
    DriverCase c;
    const std::vector<double> walk = test::RandomWalk(200000, 8);
    std::vector<double> far = walk;
    for (double& v : far) v += 1e9;
    test::WriteBinary(c.dir.File("near.dat"), walk);
    test::WriteBinary(c.dir.File("far.dat"), far);
    c.p.inputFileType = kBinaryInput;
    c.p.dataSize = 200000;
    c.p.averageProgression = ScaleProgression{4, 256, 2, kGeometric, {}};
    c.p.dynamicStep = 4999;
    c.p.dmaWeight = 2;
    c.p.shiftPercentage = 0.5;
    // F(n) of every chart line, or H of every result or incremental line.
    auto results = [&](const std::string& name) {
        c.p.inputFileName = c.dir.File(name);
        OutputCapture log;
        RunSummary summary;
        RunAnalysis(c.p, &summary);
        const std::string file = IsDynamicType(c.p.computationType) ? summary.incrementalFiles.at(0)
                                                                     : summary.chartFiles.at(0);
        const size_t column = IsDynamicType(c.p.computationType) ? 4 : 1;
        std::vector<double> values;
        for (const auto& line : test::ReadLines(file)) values.push_back(std::stod(test::SplitTabs(line)[column]));
        if (!IsDynamicType(c.p.computationType))
            values.push_back(std::stod(test::SplitTabs(test::ReadLines(summary.resultPath).at(0))[4]));
        return values;
    };
    struct Case {
        int type, order, window;
    };
    for (const Case& run : std::vector<Case>{{1, 0, 3000}, {1, 1, 3000}, {3, 0, 199999}, {3, 1, 199999},
                                             {0, 0, 3000}, {2, 0, 199000}, {4, 0, 199000}, {6, 0, 199000},
                                             {7, 0, 199000}}) {
        c.p.computationType = run.type;
        c.p.dfaOrder = run.order;
        c.p.windowSize = run.window;
        const std::vector<double> near = results("near.dat"), shifted = results("far.dat");
        ASSERT_EQ(near.size(), shifted.size()) << run.type;
        EXPECT_GT(near.size(), 6u) << run.type;
        for (size_t i = 0; i < near.size(); ++i)
            EXPECT_NEAR(shifted[i], near[i], 2e-6 * std::fabs(near[i]) + 2e-6) << run.type << " " << run.order << " " << i;
    }
}

// A sample that is not a number is named with the positions it spoils, and
// the file counts as not finite, as a static run's would.
TEST(RunAnalysis, ANonFiniteSampleIsNamedWithThePositionsItSpoils) {
    DriverCase c;
    std::vector<double> x = test::RandomWalk(400, 9);
    x[120] = std::nan("");
    test::WriteNumbers(c.dir.File("a.txt"), x);
    c.p.inputFileName = c.dir.File("a.txt");
    c.p.dataSize = 400;
    c.p.dynamicStep = 10;
    // DMA carries the sample in its running sums; a DFA window lets it go.
    for (const auto& [type, spoiled] : {std::pair{0, "at 28 of the 34 positions evaluated, from 120 to 390"},
                                        std::pair{1, "at 5 of the 35 positions evaluated, from 120 to 160"}}) {
        c.p.computationType = type;
        OutputCapture out;
        RunSummary summary;
        RunAnalysis(c.p, &summary);
        EXPECT_EQ(summary.notFinite, Lines{c.p.inputFileName});
        EXPECT_EQ(out.Lines().at(out.Lines().size() - 2),
                  "H of [" + c.p.inputFileName + "] is not a finite number " + spoiled +
                      ": sample 120 of the file (counted from 0) is not a finite number.");
    }
}

TEST(RunAnalysis, DynamicRunKeepsCollidingIncrementalFilesApart) {
    DriverCase c;
    ASSERT_EQ(::mkdir(c.dir.File("x").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(c.dir.File("y").c_str(), 0777), 0);
    test::WriteNumbers(c.dir.File("x/s.txt"), test::RandomWalk(100, 1));
    test::WriteNumbers(c.dir.File("y/s.txt"), test::RandomWalk(120, 2));
    const std::string list = c.dir.File("list.txt");
    test::WriteText(list, c.dir.File("x/s.txt") + "\n" + c.dir.File("y/s.txt") + "\n");
    c.p.inputFileMode = 1;
    c.p.inputFileName = list;
    c.p.computationType = 0;
    c.p.windowSize = 20;
    c.p.dynamicStep = 1;
    OutputCapture out;
    RunAnalysis(c.p);
    const std::string first = c.dir.File("t.Dynamic DMA (0).out.s.inc.txt");
    const std::string second = c.dir.File("t.Dynamic DMA (0).out.s_2.inc.txt");
    EXPECT_EQ(test::ReadLines(first).size(), 72u);   // t = 28 … 99
    EXPECT_EQ(test::ReadLines(second).size(), 72u);
    EXPECT_NE(test::ReadText(first), test::ReadText(second));  // the first's results survive
    EXPECT_EQ(test::ReadText(c.dir.File("t.Dynamic DMA (0).out.txt")), "");  // exists, empty
    bool said = false;
    for (const auto& line : out.Lines())
        said |= line == "File name [" + first + "] is already used in this run; writing [" + second + "] instead.";
    EXPECT_TRUE(said);
}

// Every file of a folder, by name.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = test::ReadText(entry.path().string());
    return files;
}

// Two jobs write the files and print the lines of one, on a list with a name
// that comes twice and a file that cannot be read; a stop ends every job.
TEST(RunAnalysis, JobsWriteWhatOneJobWrites) {
    DriverCase c;
    ASSERT_EQ(::mkdir(c.dir.File("x").c_str(), 0777), 0);
    std::string list;
    for (const char* name : {"s0.txt", "s1.txt", "s2.txt", "s3.txt", "s4.txt", "s5.txt", "s6.txt"})
        list += c.Series(name, 400, static_cast<unsigned>(list.size())) + "\n";
    test::WriteNumbers(c.dir.File("x/s1.txt"), test::RandomWalk(500, 9));
    list += c.dir.File("x/s1.txt") + "\n" + c.dir.File("none.txt") + "\n";
    test::WriteText(c.dir.File("list.txt"), list);
    c.p.inputFileMode = 1;
    c.p.inputFileName = c.dir.File("list.txt");
    c.p.dataSize = 300;
    c.p.windowSize = 100;
    c.p.dynamicStep = 7;
    auto run = [&](int type, int jobs) {
        const std::string out = c.dir.File("out" + std::to_string(type) + "_" + std::to_string(jobs));
        std::filesystem::create_directory(out);
        c.p.computationType = type;
        c.p.outputPath = out;
        c.p.jobs = jobs;
        OutputCapture log;
        if (type < 0) {
            c.p.windowSize = 300;
            RunClusterAnalysis(c.p);
            c.p.windowSize = 100;
        } else {
            RunAnalysis(c.p);
        }
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

    StopSource stop;
    ScopedStopSource scope(stop);
    test::StopOnLine sink(stop, "Processing sample 0 (1)");  // the first file's first line
    c.p.computationType = 2;
    c.p.jobs = 2;
    RunSummary summary;
    RunAnalysis(c.p, &summary);
    EXPECT_TRUE(summary.stopped);
    EXPECT_LE(summary.analysed.size(), 2u);
    EXPECT_EQ(sink.Text().find("Exiting..."), std::string::npos);
}

TEST(RunAnalysis, StopBetweenFilesEndsTheRun) {
    DriverCase c;
    const std::string list = c.dir.File("list.txt");
    test::WriteText(list, c.Series("a.txt", 100, 1) + "\n" + c.Series("b.txt", 100, 2) + "\n");
    c.p.inputFileMode = 1;
    c.p.inputFileName = list;
    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    OutputCapture out;
    RunSummary summary;
    RunAnalysis(c.p, &summary);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(test::ReadText(c.dir.File("t.Static DMA (2).out.txt")), "");
    for (const auto& line : out.Lines()) EXPECT_NE(line, "Exiting...");
}

}  // namespace
}  // namespace fractan
