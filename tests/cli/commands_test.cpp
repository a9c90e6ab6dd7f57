#include "cli/commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

#include "setup/output.h"
#include "test_support.h"

namespace fractan::cli {
namespace {

struct Streams {
    std::ostringstream out, err;
};

TEST(RunConfigCommand, UnreadableOrEmptyInputOrFailedCheck) {
    test::TempDir dir;
    Streams s;
    EXPECT_EQ(RunConfigCommand(dir.File("none.txt"), s.out, s.err), kExitFailure);
    EXPECT_EQ(s.err.str(), "fractan: cannot read configuration file [" + dir.File("none.txt") + "].\n");

    AnalysisParameters p;
    p.inputFileMode = 1;
    p.inputFileName = dir.File("no-list.txt");
    ASSERT_TRUE(p.SaveConfig(dir.File("c.txt")));
    Streams list;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), list.out, list.err), kExitFailure);
    EXPECT_NE(list.err.str().find("names no input file"), std::string::npos);
    // A damaged file is refused, naming the line, instead of running with defaults.
    std::string text = p.ConfigText();
    test::WriteText(dir.File("d.txt"), text.replace(text.find("\n0\t0\n"), 5, "\nabc\n"));
    Streams damaged;
    EXPECT_EQ(RunConfigCommand(dir.File("d.txt"), damaged.out, damaged.err), kExitFailure);
    EXPECT_EQ(damaged.err.str(), "fractan: configuration file [" + dir.File("d.txt") +
                                     "]: line 10 should hold the data size and offset, two whole numbers; it holds "
                                     "\"abc\". Nothing is run.\n");

    p.inputFileMode = 0;
    p.inputFileType = 0;
    p.computationType = 2;
    p.outputPath = dir.Path();
    ASSERT_TRUE(p.SaveConfig(dir.File("c.txt")));
    Streams check;
    OutputCapture core;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), check.out, check.err), kExitFailure);
    EXPECT_EQ(check.err.str(), "fractan: the test name is empty; it begins every result file name, which would "
                               "then be hidden (give --test-name, or a name on the configuration's test name line).\n");
    p.testName = "t";
    ASSERT_TRUE(p.SaveConfig(dir.File("c.txt")));
    Streams scales;  // the real reason a progression gives no scale
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), scales.out, scales.err), kExitFailure);
    EXPECT_EQ(scales.err.str(), "fractan: the progression gives 0 scales (a linear progression needs a step of 1 or "
                                "more; the step is 0); H is the slope over two or more. Widen --start ... --end (or "
                                "the custom file).\n");
    EXPECT_EQ(core.Text(), "");  // nothing ran
}

TEST(RunConfigCommand, RunsAndNamesEachFailedFile) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("a.txt"), test::RandomWalk(300, 1));
    test::WriteNumbers(dir.File("b.txt"), test::RandomWalk(100, 2));
    test::WriteText(dir.File("list.txt"), dir.File("a.txt") + "\n" + dir.File("b.txt") + "\n");
    AnalysisParameters p;
    p.inputFileMode = 1;
    p.inputFileName = dir.File("list.txt");
    p.inputFileType = 0;
    p.computationType = 2;
    p.outputPath = dir.Path();
    p.testName = "cfg";
    p.dataSize = 300;
    p.windowSize = 200;
    p.averageProgression = ScaleProgression{4, 16, 4, kLinear, {}};
    ASSERT_TRUE(p.SaveConfig(dir.File("c.txt")));
    Streams s;
    OutputCapture core;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), s.out, s.err), kExitFailure);
    EXPECT_EQ(s.err.str(),
              "fractan: 1 of 2 input files could not be analysed: [" + dir.File("b.txt") + "]\n");
    EXPECT_EQ(test::ReadLines(dir.File("cfg.Static DMA (2).out.txt")).size(), 1u);

    test::WriteText(dir.File("list.txt"), dir.File("a.txt") + "\n");
    Streams ok;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), ok.out, ok.err), kExitOk);
    EXPECT_EQ(ok.err.str(), "");
}

TEST(RunAnalysisCommand, DefaultsFollowTheData) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("s.txt"), test::RandomWalk(4000, 3));
    AnalysisOptions o;
    o.input = dir.File("s.txt");
    o.outputPath = dir.Path();
    AnalysisParameters p;
    Streams s;
    ASSERT_TRUE(BuildParameters(o, p, s.out, s.err));
    EXPECT_EQ(p.inputFileType, 0);
    EXPECT_EQ(p.inputFileMode, 0);
    EXPECT_EQ(p.dataSize, 4000);
    EXPECT_EQ(p.averageProgression.end, 500);  // an eighth of the data
    EXPECT_EQ(p.averageProgression.Expand().Last(), 256);
    EXPECT_EQ(p.windowSize, 4000 - 512 - 1);
    EXPECT_EQ(p.testName, "s");

    o.dataOffset = 1000;
    o.computationType = 0;
    ASSERT_TRUE(BuildParameters(o, p, s.out, s.err));
    EXPECT_EQ(p.dataSize, 3000);
    EXPECT_EQ(p.windowSize, (3000 - 512 - 1) / 4);

    AnalysisOptions dfa = o;  // DFA: every sample but the first, boxes up to an eighth of W
    dfa.family = Family::kDfa;
    dfa.computationType = 3;
    dfa.dataOffset = 0;
    ASSERT_TRUE(BuildParameters(dfa, p, s.out, s.err));
    EXPECT_EQ(p.windowSize, 3999);
    EXPECT_EQ(p.averageProgression.end, 499);
    dfa.computationType = 1;
    dfa.windowSize = 1000;
    ASSERT_TRUE(BuildParameters(dfa, p, s.out, s.err));
    EXPECT_EQ(p.windowSize, 1000);
    EXPECT_EQ(p.averageProgression.end, 125);

    o.progression = "diagonal";
    Streams bad;
    EXPECT_FALSE(BuildParameters(o, p, bad.out, bad.err));
    EXPECT_EQ(bad.err.str(), "fractan: progression type [diagonal] is not linear, geometric or custom.\n");

    AnalysisOptions binary;
    binary.input = dir.File("s.dat");
    test::WriteBinary(binary.input, test::RandomWalk(100, 4));
    ASSERT_TRUE(BuildParameters(binary, p, s.out, s.err));
    EXPECT_EQ(p.inputFileType, 1);
    EXPECT_EQ(p.dataSize, 100);

    AnalysisOptions missing;
    missing.input = dir.File("none.txt");
    Streams m;
    EXPECT_FALSE(BuildParameters(missing, p, m.out, m.err));
    EXPECT_EQ(m.err.str(), "fractan: cannot read input file [" + dir.File("none.txt") + "].\n");

    // The test name defaults to the input's stem, so that runs on other inputs keep each other's results.
    o = AnalysisOptions{};
    o.outputPath = dir.Path();
    for (const char* name : {"a.txt", "b.txt"}) {
        test::WriteNumbers(dir.File(name), test::RandomWalk(300, 5));
        o.input = dir.File(name);
        Streams run;
        OutputCapture quiet;
        EXPECT_EQ(RunAnalysisCommand(o, run.out, run.err), kExitOk) << run.err.str();
    }
    EXPECT_EQ(test::ReadLines(dir.File("a.Static DMA (2).out.txt")).size(), 1u);
    EXPECT_EQ(test::ReadLines(dir.File("b.Static DMA (2).out.txt")).size(), 1u);
    o.testName = "";
    Streams empty;
    EXPECT_EQ(RunAnalysisCommand(o, empty.out, empty.err), kExitFailure);
    EXPECT_TRUE(empty.err.str().starts_with("fractan: the test name is empty;")) << empty.err.str();
}

// Options for a 1000-sample series in dir, window sizes 10 … 50, W = 800.
AnalysisOptions LinearOptions(const test::TempDir& dir, unsigned seed) {
    test::WriteNumbers(dir.File("s.txt"), test::RandomWalk(1000, seed));
    AnalysisOptions o;
    o.input = dir.File("s.txt");
    o.outputPath = dir.Path();
    o.progression = "linear";
    o.start = 10;
    o.step = 10;
    o.end = 50;
    o.windowSize = 800;
    return o;
}

TEST(RunAnalysisCommand, SaveConfigWithoutRunningLoadsBack) {
    test::TempDir dir;
    AnalysisOptions o = LinearOptions(dir, 5);
    o.dataSize = 1000;
    o.testName = "saved";
    o.saveConfig = dir.File("c.txt");
    o.noRun = true;
    Streams s;
    OutputCapture core;
    ASSERT_EQ(RunAnalysisCommand(o, s.out, s.err), kExitOk);
    EXPECT_FALSE(test::Exists(dir.File("saved.Static DMA (2).out.txt")));
    AnalysisParameters p;
    ASSERT_TRUE(p.LoadConfig(dir.File("c.txt")));
    EXPECT_EQ(p.windowSize, 800);
    EXPECT_EQ(p.averageProgression.end, 50);
    EXPECT_EQ(p.computationType, 2);

    Streams run;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), run.out, run.err), kExitOk) << run.err.str();
    EXPECT_EQ(test::ReadLines(dir.File("saved.Static DMA (2).out.txt")).size(), 1u);
}

TEST(RunAnalysisCommand, ChecksByFamilyAndRefusals) {
    test::TempDir dir;
    AnalysisOptions o = LinearOptions(dir, 6);
    OutputCapture core;
    struct Case {
        bool dfa;
        int type;
        int window;
        std::string err;
    };
    const std::string review = " Please review input parameters\n";
    for (const Case& k : std::vector<Case>{
             {false, 12, 800, "fractan: Unknown is not a valid computation type for DMA." + review},
             {false, 2, 950, "fractan: Data size must be greater than window size plus maximum moving average times two." + review},
             {false, 9, 950, "fractan: Data size must be greater than window size plus maximum moving average times two." + review},
             {false, 3, 800, "fractan: Static DFA (3) is not a valid computation type for DMA." + review},
             {true, 2, 800, "fractan: Static DMA (2) is not a valid computation type for DFA." + review},
             {true, 3, 1000, "fractan: Data size must be at least greater than window size by one." + review},
         }) {
        o.family = k.dfa ? Family::kDfa : Family::kDma;
        o.computationType = k.type;
        o.windowSize = k.window;
        Streams s;
        EXPECT_EQ(RunAnalysisCommand(o, s.out, s.err), kExitFailure) << k.type;
        EXPECT_EQ(s.err.str(), k.err);
    }

    o.family = Family::kDma;
    o.computationType = 2;
    o.windowSize = 800;
    o.progression = "geometric";
    o.saveConfig = dir.File("c.txt");
    Streams geometric;
    EXPECT_EQ(RunAnalysisCommand(o, geometric.out, geometric.err), kExitFailure);
    EXPECT_FALSE(test::Exists(dir.File("c.txt")));

    o.progression = "linear";
    o.saveConfig.clear();
    o.outputPath = dir.File("missing");
    Streams folder;
    EXPECT_EQ(RunAnalysisCommand(o, folder.out, folder.err), kExitFailure);
    EXPECT_EQ(folder.err.str(), "fractan: output folder [" + dir.File("missing") + "] does not exist.\n");
}

TEST(ClustersCommand, DefaultsFilesAndConfigurationFiles) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("walk.txt"), test::RandomWalk(2000, 8));
    AnalysisOptions o;
    o.family = Family::kClusters;
    o.input = dir.File("walk.txt");
    o.outputPath = dir.Path();
    o.progression = "linear";
    o.start = 10;
    o.step = 10;
    o.end = 20;
    OutputCapture core;
    Streams s;
    ASSERT_EQ(RunClustersCommand(o, s.out, s.err), kExitOk) << s.err.str();
    EXPECT_NE(s.out.str().find("Window size: 2000 samples from offset 0\n"), std::string::npos) << s.out.str();
    EXPECT_NE(s.out.str().find("Distribution files: [" + dir.File("fractan.walk.Out.Lin.All") + ".*.txt]"),
              std::string::npos) << s.out.str();
    EXPECT_TRUE(test::Exists(dir.File("fractan.walk.Out.Lin.All.rLifetime.txt")));  // prefix: the input's stem
    EXPECT_FALSE(test::Exists(dir.File("fractan.walk.Out.Lin.10.rLifetime.txt")));  // global only by default

    o.globalOnly = false;
    o.testName = "saved";
    o.saveConfig = dir.File("c.txt");
    o.noRun = true;
    Streams save;
    ASSERT_EQ(RunClustersCommand(o, save.out, save.err), kExitOk);
    EXPECT_EQ(save.err.str(), "fractan: warning: the configuration file does not hold --per-window; running it "
                              "writes only the distributions over all windows.\n");
    EXPECT_TRUE(LooksLikeConfiguration(dir.File("c.txt")));
    EXPECT_FALSE(LooksLikeConfiguration(dir.File("walk.txt")));
    Streams run;  // the stored fields; per-window sets are not stored, so global only again
    ASSERT_EQ(RunClustersConfigCommand(dir.File("c.txt"), run.out, run.err), kExitOk) << run.err.str();
    EXPECT_TRUE(test::Exists(dir.File("saved.walk.Out.Lin.All.rArea.txt")));

    o.saveConfig.clear();
    o.noRun = false;
    // A list with a file that cannot be read: the others are analysed, and the
    // command ends with a line naming it.
    test::WriteText(dir.File("list.txt"), dir.File("walk.txt") + "\n" + dir.File("none.txt") + "\n");
    AnalysisOptions list = o;
    list.input = dir.File("list.txt");
    list.mode = "multi";
    list.testName = "list";
    Streams partial;
    EXPECT_EQ(RunClustersCommand(list, partial.out, partial.err), kExitFailure);
    EXPECT_EQ(partial.err.str(), "fractan: 1 of 2 input files could not be read: [" + dir.File("none.txt") + "]\n");
    EXPECT_TRUE(test::Exists(dir.File("list.list.Out.Lin.10.rArea.txt")));

    // A binary series with a part of a number at its end: used, with a warning.
    test::WriteText(dir.File("odd.dat"), test::ReadText(dir.File("walk.txt")).substr(0, 8 * 300 + 3));
    AnalysisOptions odd = o;
    odd.input = dir.File("odd.dat");
    odd.saveConfig.clear();
    odd.noRun = false;
    odd.testName = "odd";
    Streams oddStreams;
    RunClustersCommand(odd, oddStreams.out, oddStreams.err);
    EXPECT_NE(oddStreams.err.str().find("ends with a part of an 8-byte number after its 300 whole ones"),
              std::string::npos) << oddStreams.err.str();

    // A binary series that happens to start with '[' is not a configuration.
    test::WriteBinary(dir.File("walk.dat"), {1.0, 2.0});
    test::WriteText(dir.File("bracket.dat"), "[" + test::ReadText(dir.File("walk.dat")).substr(1));
    EXPECT_FALSE(LooksLikeConfiguration(dir.File("bracket.dat")));
    test::WriteText(dir.File("bom.cfg"), "\xEF\xBB\xBF" + test::ReadText(dir.File("c.txt")));
    EXPECT_TRUE(LooksLikeConfiguration(dir.File("bom.cfg")));

    o.movingAverageType = 1;  // extended needs windows of 2 or more
    o.start = 1;
    Streams refused;
    EXPECT_EQ(RunClustersCommand(o, refused.out, refused.err), kExitFailure);
    EXPECT_EQ(refused.err.str(), "fractan: Moving average windows must be at least 2 for the extended average."
                                 " Please review input parameters\n");
}

TEST(RunAnalysisCommand, InputsAUserGetsWrong) {
    test::TempDir dir;
    OutputCapture core;
    AnalysisOptions o;
    o.outputPath = dir.Path();
    o.start = 4;
    o.end = 8;
    o.windowSize = 50;

    test::WriteText(dir.File("header.txt"), "time value\n1\n2\n");  // a header: no sample at all
    o.input = dir.File("header.txt");
    Streams header;
    EXPECT_EQ(RunAnalysisCommand(o, header.out, header.err), kExitFailure);
    EXPECT_NE(core.Text().find("line 1: \"time value\" is not a number; the series is cut there, after 0 numbers."), std::string::npos);
    EXPECT_NE(header.err.str().find("[" + o.input + "] holds no sample from offset 0"), std::string::npos)
        << header.err.str();

    test::WriteNumbers(dir.File("a.txt"), test::RandomWalk(300, 1));  // a list with a missing file:
    test::WriteText(dir.File("list.txt"), dir.File("a.txt") + "\n" + dir.File("none.txt") + "\n");
    o.input = dir.File("list.txt");
    o.mode = "multi";
    Streams list;  // the readable file is analysed, the other named
    EXPECT_EQ(RunAnalysisCommand(o, list.out, list.err), kExitFailure);
    EXPECT_EQ(test::ReadLines(dir.File("list.Static DMA (2).out.txt")).size(), 1u);
    EXPECT_NE(list.err.str().find("could not be analysed: [" + dir.File("none.txt") + "]"), std::string::npos)
        << list.err.str();

    o.input = dir.File("a.txt");
    o.mode = "single";
    o.dataOffset = 300;  // past the end
    Streams past;
    EXPECT_EQ(RunAnalysisCommand(o, past.out, past.err), kExitFailure);
    EXPECT_NE(past.err.str().find("holds no sample from offset 300"), std::string::npos) << past.err.str();
    o.dataOffset = 0;

    AnalysisOptions boxes = o;  // a line through two points leaves no residual
    boxes.family = Family::kDfa;
    boxes.computationType = 3;
    boxes.dfaOrder = 1;
    boxes.start = 2;
    boxes.windowSize.reset();
    Streams two;
    EXPECT_EQ(RunAnalysisCommand(boxes, two.out, two.err), kExitFailure);
    EXPECT_EQ(two.err.str(), "fractan: box size 2 leaves no residual with DFA order 1; start the box sizes at 3 or more.\n");

    o.end = 4;  // one scale: no slope
    Streams one;
    EXPECT_EQ(RunAnalysisCommand(o, one.out, one.err), kExitFailure);
    EXPECT_NE(one.err.str().find("the progression gives 1 scale;"), std::string::npos) << one.err.str();

    // Options out of range say why, not what follows from them.
    for (const auto& [change, reason] : std::vector<std::pair<std::function<void(AnalysisOptions&)>, std::string>>{
             {[](AnalysisOptions& a) { a.dataSize = -5; }, "the data size (-n) is -5; it must be at least 1."},
             {[](AnalysisOptions& a) { a.windowSize = 0; }, "the window size (-w) is 0; it must be at least 1."},
             {[](AnalysisOptions& a) { a.step = 1; }, "the progression gives 0 scales (a geometric progression needs a step of 2 or more; the step is 1)"},
         }) {
        AnalysisOptions wrong = o;
        change(wrong);
        Streams w;
        EXPECT_EQ(RunAnalysisCommand(wrong, w.out, w.err), kExitFailure);
        EXPECT_NE(w.err.str().find(reason), std::string::npos) << w.err.str();
    }

    // A list with an empty member, a shorter file and a blank line: the others are analysed, and every cut is said.
    test::WriteText(dir.File("empty.txt"), "");
    test::WriteNumbers(dir.File("short.txt"), test::RandomWalk(250, 2));
    test::WriteText(dir.File("list.txt"), dir.File("a.txt") + "\n" + dir.File("empty.txt") + "\n" + dir.File("short.txt") +
                                              "\n\n" + dir.File("a.txt") + "\n");
    AnalysisOptions members = o;
    members.input = dir.File("list.txt");
    members.mode = "multi";
    members.windowSize.reset();
    members.end = 8;
    Streams m;
    EXPECT_EQ(RunAnalysisCommand(members, m.out, m.err), kExitFailure);
    EXPECT_EQ(test::ReadLines(dir.File("list.Static DMA (2).out.txt")).size(), 2u);
    for (const std::string& said : {"1 files of the list hold no sample from offset 0 and cannot be analysed; the others are: [" + dir.File("empty.txt") + "]",
                                    "the data size is that of the shortest file, [" + dir.File("short.txt") + "] (250 samples from offset 0); the longer files are cut to it.",
                                    "could not be analysed: [" + dir.File("empty.txt") + "]"})
        EXPECT_NE(m.err.str().find(said), std::string::npos) << m.err.str();
    EXPECT_NE(core.Text().find("the list ends at line 4"), std::string::npos);

    // Increments given where a profile is expected: said, and --integrate analyses their sum.
    std::mt19937 engine(3);
    std::normal_distribution<double> gauss;
    std::vector<double> noise(4000);
    for (double& v : noise) v = gauss(engine);
    test::WriteNumbers(dir.File("noise.txt"), noise);
    AnalysisOptions increments;
    increments.family = Family::kDfa;
    increments.computationType = 3;
    increments.input = dir.File("noise.txt");
    increments.outputPath = dir.Path();
    for (bool integrate : {false, true}) {
        increments.integrate = integrate;
        Streams i;
        OutputCapture log;
        EXPECT_EQ(RunAnalysisCommand(increments, i.out, i.err), kExitOk);
        const double h = std::stod(test::SplitTabs(test::ReadLines(dir.File("noise.Static DFA (3).out.txt")).at(0))[4]);
        EXPECT_NEAR(h, integrate ? 0.5 : 0.0, 0.1);
        EXPECT_EQ(log.Text().find("look like increments") != std::string::npos, !integrate);
    }

    std::vector<double> flat(300, 2.0);  // no fluctuation: H is not a number, and the command says so
    test::WriteNumbers(dir.File("flat.txt"), flat);
    o.input = dir.File("flat.txt");
    o.end = 8;
    Streams nan;
    EXPECT_EQ(RunAnalysisCommand(o, nan.out, nan.err), kExitFailure);
    EXPECT_EQ(nan.err.str(), "fractan: H is not a finite number for 1 input files: [" + o.input + "]\n");
}

TEST(ConfigTemplate, IsAConfigurationFileThatLoads) {
    test::TempDir dir;
    test::WriteText(dir.File("c.txt"), ConfigTemplate());
    AnalysisParameters p;
    EXPECT_TRUE(p.LoadConfig(dir.File("c.txt")));
    EXPECT_EQ(p.inputFileName, "series.txt");
    EXPECT_EQ(p.computationType, 2);
    EXPECT_EQ(p.windowSize, 60000);
    EXPECT_EQ(p.averageProgression.Expand().Last(), 2048);
    EXPECT_EQ(p.shiftPercentage, 0.0);
    EXPECT_EQ(p.testName, "run1");
}

TEST(Demo, EstimatesTheGeneratedSeriesExponent) {
    test::TempDir dir;
    DemoOptions o;
    o.folder = dir.File("demo");
    o.levels = 14;
    Streams s;
    OutputCapture core;
    ASSERT_EQ(RunDemoCommand(o, s.out, s.err), kExitOk) << s.err.str();
    const std::string text = s.out.str();
    EXPECT_NE(text.find("Expected H:                   0.70\n"), std::string::npos) << text;
    for (const std::string label : {"Estimated H, Static DMA (2):", "Estimated H, Static DFA (3):"}) {
        const size_t at = text.find(label);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_NEAR(std::stod(text.substr(at + label.size())), 0.7, 0.08) << label;
    }
    const std::string series = o.folder + "/demo_H=0.7-1.txt";
    EXPECT_EQ(test::ReadLines(series).size(), (1u << 14) + 1);
    EXPECT_TRUE(test::Exists(o.folder + "/demo.Static DFA (3).out.txt.demo_H=0.7-1.txt.chart.txt"));
    EXPECT_TRUE(test::Exists(o.folder + "/demo.Static DMA (2).out.txt.demo_H=0.7-1.txt.chart.txt"));

    // A fixed negative seed: the same series on every run, whatever ran before.
    const std::string first = test::ReadText(series);
    Streams again;
    ASSERT_EQ(RunDemoCommand(o, again.out, again.err), kExitOk);
    EXPECT_EQ(test::ReadText(series), first);
    EXPECT_EQ(again.out.str(), text);

    o.levels = 40;
    Streams bad;
    EXPECT_EQ(RunDemoCommand(o, bad.out, bad.err), kExitFailure);
    EXPECT_EQ(bad.err.str(), "fractan: the demo takes 10 to 26 levels.\n");
}

TEST(GenerateCommand, WritesTheSeriesAndReportsFailures) {
    test::TempDir dir;
    GenerateOptions o;
    o.output = dir.Path();
    o.count = 2;
    o.hurstStart = 0.3;
    o.hurstEnd = 0.4;
    o.kind = "text";
    o.seed = -4;
    Streams s;
    OutputCapture core;
    ASSERT_EQ(RunGenerateCommand(o, s.out, s.err), kExitOk) << s.err.str();
    EXPECT_EQ(s.out.str(), "Series written: 4\n");
    for (const char* name : {"Artificial_H=0.3-1.txt", "Artificial_H=0.3-2.txt", "Artificial_H=0.4-1.txt",
                             "Artificial_H=0.4-2.txt"})
        EXPECT_EQ(test::ReadLines(dir.File(name)).size(), 33u) << name;
    EXPECT_FALSE(test::Exists(dir.File("Artificial_H=0.3-1.dat")));
    EXPECT_NE(core.Text().find("Building series #1 (H=0.40)\n"), std::string::npos);

    struct Case {
        GenerateOptions options;
        std::string err;
    };
    GenerateOptions kind = o, hurst = o, folder = o, prefix = o;
    kind.kind = "csv";
    hurst.hurstEnd = 1.5;
    hurst.hurstStep = 0.5;
    folder.output = dir.File("missing");
    prefix.prefix = "no-such-folder/";  // every series fails; each is still attempted
    for (const Case& k : std::vector<Case>{
             {kind, "fractan: output kind [csv] is not text, binary or both.\n"},
             {hurst, "fractan: The Hurst exponent 1.3 is outside (0, 1]. Nothing generated.\n"},
             {folder, "fractan: output folder [" + dir.File("missing") + "] does not exist.\n"},
             {prefix, "fractan: 4 of 4 series could not be written.\n"},
         }) {
        Streams e;
        EXPECT_EQ(RunGenerateCommand(k.options, e.out, e.err), kExitFailure) << k.err;
        EXPECT_EQ(e.err.str(), k.err);
    }
}

TEST(LocalSlopeCommand, WritesBesideTheChart) {
    test::TempDir dir;
    const std::string chart = dir.File("c.chart.txt");
    test::WriteText(chart, "10\t100\n100\t1000\n1000\t10000\n");
    LocalSlopeOptions o;
    o.chart = chart;
    o.width = 2.5;
    Streams s;
    OutputCapture core;
    ASSERT_EQ(RunLocalSlopeCommand(o, s.out, s.err), kExitOk) << s.err.str();
    EXPECT_EQ(s.out.str(), "Local slope file: [" + chart + ".localslope.txt]\n");
    const auto lines = test::ReadLines(chart + ".localslope.txt");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) EXPECT_EQ(test::SplitTabs(line).at(1), "1") << line;

    LocalSlopeOptions zero = o, missing = o;
    zero.delta = 0.0;
    missing.chart = dir.File("none.txt");
    Streams z, m;
    EXPECT_EQ(RunLocalSlopeCommand(zero, z.out, z.err), kExitFailure);
    EXPECT_EQ(z.err.str(), "fractan: the window delta is 0, it must be greater than 0.\n");
    EXPECT_EQ(RunLocalSlopeCommand(missing, m.out, m.err), kExitFailure);
    EXPECT_EQ(m.err.str(), "fractan: cannot read chart file [" + dir.File("none.txt") + "].\n");
}

TEST(SmallToolCommands, FilesListCountLinesAndSample) {
    test::TempDir dir;
    FilesListOptions list;
    list.path = "d";
    list.prefix = "s";
    list.start = 1;
    list.end = 3;
    list.output = dir.File("list.txt");
    Streams s;
    ASSERT_EQ(RunFilesListCommand(list, s.out, s.err), kExitOk);
    EXPECT_EQ(test::ReadText(list.output), "d/s1.txt\nd/s2.txt\nd/s3.txt\n");
    EXPECT_EQ(s.out.str(), "Files list: [" + list.output + "], 3 files\n");
    FilesListOptions endless = list, unwritable = list;
    endless.step = 0;
    unwritable.output = dir.File("missing/list.txt");
    Streams e, u;
    EXPECT_EQ(RunFilesListCommand(endless, e.out, e.err), kExitFailure);
    EXPECT_EQ(e.err.str(), "fractan: The step is 0, it must be greater than 0 when the start is not above the end.\n");
    EXPECT_EQ(RunFilesListCommand(unwritable, u.out, u.err), kExitFailure);
    EXPECT_EQ(u.err.str(), "fractan: Error creating files list. [" + unwritable.output + "]\n");
    FilesListOptions huge = list;  // a mistyped end: refused without --force
    huge.end = 2'000'000;
    Streams h;
    EXPECT_EQ(RunFilesListCommand(huge, h.out, h.err), kExitFailure);
    EXPECT_EQ(h.err.str(), "fractan: the files list would have 2000000 lines (about 30 MB); give --force to write it.\n");
    EXPECT_EQ(test::ReadLines(list.output).size(), 3u);

    Streams count, blank, none;
    EXPECT_EQ(RunCountLinesCommand("  " + list.output + " ", count.out, count.err), kExitOk);
    EXPECT_EQ(count.out.str(), "3\n");
    EXPECT_EQ(RunCountLinesCommand("   ", blank.out, blank.err), kExitFailure);
    EXPECT_EQ(blank.err.str(), "fractan: Please enter an input file.\n");
    EXPECT_EQ(RunCountLinesCommand(dir.File("none"), none.out, none.err), kExitFailure);
    EXPECT_EQ(none.err.str(), "fractan: There was an error reading from input file. [" + dir.File("none") + "]\n");

    SampleOptions sample;
    sample.input = list.output;
    sample.bytes = 12;
    sample.skip = 2;
    Streams ok, missing;
    ASSERT_EQ(RunSampleCommand(sample, ok.out, ok.err), kExitOk);
    EXPECT_EQ(test::ReadText(list.output + ".sample"), "s1.txt\nd/s2.");
    EXPECT_EQ(ok.out.str(), "Sample file: [" + list.output + ".sample], 12 characters\n");
    sample.input = dir.File("none");
    EXPECT_EQ(RunSampleCommand(sample, missing.out, missing.err), kExitFailure);
    EXPECT_EQ(missing.err.str(), "fractan: cannot read [" + dir.File("none") + "].\n");
}

}  // namespace
}  // namespace fractan::cli
