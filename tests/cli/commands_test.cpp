#include "cli/commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "engine/checks.h"
#include "setup/output.h"
#include "test_support.h"

// The command's messages to users that need no set-up in C++ (generate,
// localslope, fileslist, countlines, sample, --integrate, clusters, the
// configuration template) are checked on the built program by end_to_end.sh.
namespace fractan::cli {
namespace {

constexpr auto npos = std::string::npos;

struct Said {
    int code;
    std::string out, err, core;
};

// A command's exit code, its lines and the core's.
template <class Arg, class... Rest>
Said Call(int (*command)(const Arg&, std::ostream&, std::ostream&, Rest...), const Arg& arg) {
    std::ostringstream out, err;
    OutputCapture core;
    const int code = command(arg, out, err, Rest{}...);
    return {code, out.str(), err.str(), core.Text()};
}

TEST(AnalysisCommand, DefaultsFollowTheData) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("s.txt"), test::RandomWalk(4000, 3));
    struct Case {
        Family family;
        int type, offset;
        int dataSize, end, windowSize;
    };
    // DMA: scales 4, 8, … up to an eighth of the data, the window what twice the
    // largest leaves; DFA: every sample but the first, boxes up to an eighth of the
    // window; a dynamic run takes a quarter of that window.
    for (const Case& k : std::vector<Case>{
             {Family::kDma, 2, 0, 4000, 500, 4000 - 2 * 256 - 1},
             {Family::kDma, 0, 1000, 3000, 375, (3000 - 2 * 256 - 1) / 4},
             {Family::kDfa, 3, 0, 4000, 499, 3999},
             {Family::kDfa, 1, 0, 4000, 124, 999},
         }) {
        AnalysisOptions o;
        o.family = k.family;
        o.computationType = k.type;
        o.dataOffset = k.offset;
        o.input = dir.File("s.txt");
        AnalysisParameters p;
        std::ostringstream out, err;
        ASSERT_TRUE(BuildParameters(o, p, out, err)) << err.str();
        EXPECT_EQ(p.dataSize, k.dataSize) << k.type;
        EXPECT_EQ(p.averageProgression.end, k.end) << k.type;
        EXPECT_EQ(p.windowSize, k.windowSize) << k.type;
        EXPECT_NE(out.str().find("Window size: " + std::to_string(k.windowSize) + "\n"), npos) << out.str();
        EXPECT_EQ(p.testName, "s");  // the input's stem: runs on other inputs keep their results
    }
}

// The command refuses every row of the table of refusals in the words of the
// check it shares with the module and the pages, whose tests read the table too.
TEST(AnalysisCommand, RefusesWhatEveryFrontEndRefuses) {
    test::TempDir dir;
    for (const test::RefusalRow& row : test::RefusalRows()) {
        AnalysisOptions o;
        o.family = row.dfa ? Family::kDfa : Family::kDma;
        o.input = dir.File("s.txt");
        test::WriteNumbers(o.input, test::RandomWalk(row.samples, 1));
        o.outputPath = dir.Path();
        o.computationType = row.type;
        o.windowSize = row.window;
        o.start = row.start;
        o.step = row.step;
        o.end = row.end;
        o.progression = "linear";
        o.dmaWeight = row.weight;
        o.shiftPercentage = row.shift;
        o.dfaOrder = row.order;
        o.dfaBoxes = row.boxes;
        o.dynamicStep = row.dynamicStep;
        const Said said = Call(RunAnalysisCommand, o);
        EXPECT_EQ(said.code, kExitFailure) << row.reason;
        EXPECT_TRUE(said.err.starts_with("fractan: " + row.reason)) << said.err;
        EXPECT_NE(said.err.find(kReviewSuffix), npos) << said.err;
    }
}

TEST(AnalysisCommand, UserMistakesSayWhy) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("a.txt"), test::RandomWalk(300, 1));
    test::WriteText(dir.File("header.txt"), "time value\n");
    test::WriteText(dir.File("comma.txt"), "1,5\n2,25\n");
    test::WriteNumbers(dir.File("flat.txt"), std::vector<double>(300, 2.0));
    AnalysisOptions o;
    o.input = dir.File("a.txt");
    o.outputPath = dir.Path();
    o.end = 8;
    o.windowSize = 50;
    using Change = std::function<void(AnalysisOptions&)>;
    for (const auto& [change, said] : std::vector<std::pair<Change, std::string>>{
             {[](auto& a) { a.progression = "diagonal"; }, "fractan: progression type [diagonal] is not linear, geometric or custom.\n"},
             {[&](auto& a) { a.input = dir.File("none.txt"); }, "fractan: cannot read input file [" + dir.File("none.txt") + "]: No such file or directory.\n"},
             {[&](auto& a) { a.input = dir.File("comma.txt"); }, "is not a number (a decimal comma? numbers are read with a decimal point); the series is cut there, after 1 numbers. The number before the comma would be taken whole"},
             {[&](auto& a) { a.input = dir.File("header.txt"); }, "header.txt] holds no sample from offset 0 (one number per line expected)."},
             {[](auto& a) { a.column = "price"; }, "a.txt]: there is no column named \"price\": its columns have no names"},
             {[](auto& a) { a.dataSize = -5; }, "the data size (-n) is -5; it must be at least 1."},
             {[](auto& a) { a.windowSize = 0; }, "the window size (-w) is 0; it must be at least 1."},
             {[](auto& a) { a.end = 4; }, "fractan: The progression gives 1 scale; H is the slope over two or more. Widen --start "
                                            "... --end (or the custom file). Please review input parameters\n"},
             {[&](auto& a) { a.outputPath = dir.File("missing"); }, "fractan: output folder [" + dir.File("missing") + "] does not exist.\n"},
             {[&](auto& a) { a.saveConfig = dir.File("c.txt"); }, "reads a geometric progression back as linear"},
             {[&](auto& a) { a.input = dir.File("flat.txt"); }, "fractan: H is not a finite number for 1 input files: [" + dir.File("flat.txt") + "]\n"},
         }) {
        AnalysisOptions wrong = o;
        change(wrong);
        const Said s = Call(RunAnalysisCommand, wrong);
        EXPECT_EQ(s.code, kExitFailure) << said;
        EXPECT_NE(s.err.find(said), npos) << s.err;
    }
    EXPECT_FALSE(test::Exists(dir.File("c.txt")));  // the geometric progression was not saved
}

TEST(AnalysisCommand, FilesListAnalysesTheOthersAndSaysEveryCut) {
    test::TempDir dir;
    test::WriteNumbers(dir.File("a.txt"), test::RandomWalk(300, 1));
    test::WriteNumbers(dir.File("short.txt"), test::RandomWalk(250, 2));
    test::WriteText(dir.File("empty.txt"), "");
    const std::string a = dir.File("a.txt"), empty = dir.File("empty.txt"), shorter = dir.File("short.txt"),
                      none = dir.File("none.txt");
    test::WriteText(dir.File("list.txt"), a + "\n" + empty + "\n" + shorter + "\n" + none + "\n\n" + a + "\n");
    AnalysisOptions o;
    o.input = dir.File("list.txt");
    o.mode = "multi";
    o.outputPath = dir.Path();
    o.end = 8;
    const Said s = Call(RunAnalysisCommand, o);
    EXPECT_EQ(s.code, kExitFailure);
    EXPECT_EQ(test::ReadLines(dir.File("list.Static DMA (2).out.txt")).size(), 2u);
    for (const std::string& said :
         {"1 files of the list hold no sample from offset 0 and cannot be analysed; the others are: [" + empty + "]",
          "the data size is that of the shortest file, [" + shorter + "] (250 samples from offset 0); the longer files are cut to it.",
          "fractan: 2 of 4 input files could not be analysed: [" + empty + "] [" + none + "]\n"})
        EXPECT_NE(s.err.find(said), npos) << s.err;
    EXPECT_NE(s.core.find("Note: H rests on two points"), npos) << s.core;  // scales 4 and 8
}

TEST(ConfigCommand, RefusalsNameTheirReason) {
    test::TempDir dir;
    AnalysisParameters p = test::SmallRun(dir.Path());
    p.inputFileMode = 1;
    p.inputFileName = dir.File("list.txt");
    const std::string config = dir.File("c.txt");
    auto run = [&](std::string text) {
        test::WriteText(config, text);
        return Call(RunConfigCommand, config);
    };
    EXPECT_NE(run(p.ConfigText()).err.find("names no input file"), npos);  // the list is missing
    std::string text = p.ConfigText();
    const Said damaged = run(text.replace(text.find("\n100\t0\n"), 7, "\nabc\n"));
    EXPECT_EQ(damaged.code, kExitFailure);
    EXPECT_EQ(damaged.err, "fractan: configuration file [" + config + "]: line 10 should hold the data size and "
                           "offset, two whole numbers; it holds \"abc\". Nothing is run.\n");

    test::WriteText(p.inputFileName, dir.File("a.txt") + "\n");
    p.testName = "";
    const Said unnamed = run(p.ConfigText());
    EXPECT_EQ(unnamed.err, "fractan: the test name is empty; it begins every result file name, which would "
                           "then be hidden (give --test-name, or a name on the configuration's test name line).\n");
    EXPECT_EQ(unnamed.core, "");  // nothing ran
}

}  // namespace
}  // namespace fractan::cli
