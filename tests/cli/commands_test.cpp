#include "cli/commands.h"

#include <gtest/gtest.h>

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
    EXPECT_NE(list.err.str().find("gives no input file"), std::string::npos);

    p.inputFileMode = 0;
    p.inputFileType = 0;
    p.computationType = 2;
    p.outputPath = dir.Path();
    ASSERT_TRUE(p.SaveConfig(dir.File("c.txt")));
    Streams check;
    OutputCapture core;
    EXPECT_EQ(RunConfigCommand(dir.File("c.txt"), check.out, check.err), kExitFailure);
    EXPECT_EQ(check.err.str(),
              "fractan: Moving average progression is not valid. Please review input parameters\n");
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
    EXPECT_EQ(m.err.str(), "fractan: cannot open input file [" + dir.File("none.txt") + "].\n");
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

    // A binary series that happens to start with '[' is not a configuration.
    test::WriteBinary(dir.File("walk.dat"), {1.0, 2.0});
    test::WriteText(dir.File("bracket.dat"), "[" + test::ReadText(dir.File("walk.dat")).substr(1));
    EXPECT_FALSE(LooksLikeConfiguration(dir.File("bracket.dat")));

    o.movingAverageType = 1;  // extended needs windows of 2 or more
    o.start = 1;
    Streams refused;
    EXPECT_EQ(RunClustersCommand(o, refused.out, refused.err), kExitFailure);
    EXPECT_EQ(refused.err.str(), "fractan: Moving average windows must be at least 2 for the extended average."
                                 " Please review input parameters\n");
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

TEST(Demo, EstimatesAHalfForARandomWalk) {
    test::TempDir dir;
    DemoOptions o;
    o.folder = dir.File("demo");
    o.length = 1 << 14;
    Streams s;
    OutputCapture core;
    ASSERT_EQ(RunDemoCommand(o, s.out, s.err), kExitOk) << s.err.str();
    const std::string text = s.out.str();
    for (const std::string label : {"Estimated H, Static DMA (2):", "Estimated H, Static DFA (3):"}) {
        const size_t at = text.find(label);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_NEAR(std::stod(text.substr(at + label.size())), 0.5, 0.08) << label;
    }
    EXPECT_TRUE(test::Exists(o.folder + "/demo.Static DFA (3).out.txt.random_walk.txt.chart.txt"));
    EXPECT_TRUE(test::Exists(o.folder + "/demo.Static DMA (2).out.txt.random_walk.txt.chart.txt"));
}

}  // namespace
}  // namespace fractan::cli
