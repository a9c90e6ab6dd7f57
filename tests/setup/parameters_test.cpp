#include "setup/parameters.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace fractan {
namespace {

using Files = std::vector<std::string>;

AnalysisParameters Filled(const std::string& input) {
    AnalysisParameters p;
    p.inputFileMode = 0;
    p.inputFileName = input;
    p.inputFileType = 1;
    p.outputPath = "/tmp/out put";
    p.computationType = 5;
    p.dataSize = 12345;
    p.dataOffset = 67;
    p.windowSize = 890;
    p.averageProgression = ScaleProgression{4, 400, 8, kCustom, "prog.txt"};
    p.fileProgression = ScaleProgression{1, 20, 2, kLinear, {}};
    p.inputFilesPath = "/data/in";
    p.filePrefix = "series_";
    p.movingAverageType = 1;
    p.distributionType = 1;
    p.distributionStep = 0.25;
    p.testName = "run 1";
    p.dmaWeight = 3;
    p.dmaLambda = 0.1234567;
    p.dfaOrder = 1;
    p.shiftPercentage = 0.5;
    p.integrate = 1;
    p.dfaBoxes = "overlap:0.25";
    return p;
}

// The 35 lines and the optional ones, and every stored field read back (the text holds them all).
TEST(AnalysisParameters, ConfigurationRoundTrip) {
    test::TempDir dir;
    const std::string config = dir.File("config.txt");
    const AnalysisParameters saved = Filled("series.txt");
    ASSERT_TRUE(saved.SaveConfig(config));
    EXPECT_EQ(test::ReadText(config),
              "[Input file mode (S-single, M-multi), name and type (T-text, B-binary)]\n"
              "S\nseries.txt\nB\n"
              "[Output path]\n/tmp/out put\n"
              "[Computation type (see below)]\n5\n"
              "[Data size and offset (see below)]\n12345\t67\n"
              "[Window size (see below)]\n890\n"
              "[Average progression type (0-linear, 1-geometric, 2-custom), Average start, end, step (see below)]\n"
              "2\n4\t400\t8\n"
              "[Custom progression file (see below)]\nprog.txt\n"
              "[File start, end, step (see below)]\n1\t20\t2\n"
              "[Input files path]\n/data/in\n"
              "[File prefix]\nseries_\n"
              "[Moving average type (0-normal 1-extended)]\n1\n"
              "[Distribution Type (0-linear 1-log), step]\n1\t0.250000\n"
              "[Test custom name]\nrun 1\n"
              "[DMA weight, Lambda]\n3\t0.123457\n"
              "[DFA order (0-constant, 1-linear, 2-quadratic, ...)]\n1\n"
              "[DMA shift percentage]\n0.500000\n"
              "[Integrate the values (0-no, 1-yes)]\n1\n"
              "[Boxes of DFA (end, both, overlap, overlap:step)]\noverlap:0.25\n");
    AnalysisParameters loaded;
    loaded.dynamicStep = 7;  // not stored: it gets its default
    ASSERT_TRUE(loaded.LoadConfig(config));
    EXPECT_EQ(loaded.ConfigText(), saved.ConfigText());
    EXPECT_DOUBLE_EQ(loaded.dmaLambda, 0.123457);
    EXPECT_EQ(loaded.dynamicStep, 100);
    EXPECT_EQ(loaded.inputFiles, Files{"series.txt"});

    // A geometric progression loads as linear; letters that are not set stay unset.
    AnalysisParameters unset = Filled("");
    unset.averageProgression.type = kGeometric;
    unset.inputFileMode = -1;
    unset.inputFileType = 7;
    ASSERT_TRUE(unset.SaveConfig(config));
    ASSERT_TRUE(loaded.LoadConfig(config));
    EXPECT_EQ(loaded.averageProgression.type, kLinear);
    EXPECT_EQ(loaded.inputFileMode, -1);
    EXPECT_EQ(loaded.inputFileType, -1);
    EXPECT_EQ(loaded.inputFileName, "");  // an empty name is the name, not swallowed

    // Hand-edited: lowercase letters, blanks around the name, CR line ends, the
    // 35 lines of earlier files (no integration, "File prefix]") and notes after them.
    const std::string list = dir.File("list.txt");
    std::string text = Filled("x").ConfigText(), crlf;
    text = text.substr(0, text.find("[Integrate")).erase(text.find("[File prefix]"), 1) + "\n[notes]\n1\n";
    text.replace(text.find("\nS\nx\nB\n"), 8, "\nm\n  " + list + " \nt\n");
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    test::WriteText(config, crlf);
    test::WriteText(list, "a.txt\n");
    ASSERT_TRUE(loaded.LoadConfig(config));
    EXPECT_EQ(loaded.inputFileMode, 1);
    EXPECT_EQ(loaded.inputFileType, 0);
    EXPECT_EQ(loaded.inputFiles, Files{"a.txt"});
    EXPECT_EQ(loaded.testName, "run 1");
    EXPECT_EQ(loaded.shiftPercentage, 0.5);
    EXPECT_EQ(loaded.integrate, 0);
    EXPECT_EQ(loaded.dfaBoxes, "end");
    EXPECT_EQ(loaded.filePrefix, "series_");
    test::WriteText(config, text.substr(0, text.find("[notes]")) + "[Integrate]\n1\n");  // a header in other words
    ASSERT_TRUE(loaded.LoadConfig(config));
    EXPECT_EQ(loaded.integrate, 1);
}

TEST(AnalysisParameters, LoadFailures) {
    test::TempDir dir;
    AnalysisParameters p = Filled("keep.txt");
    EXPECT_FALSE(p.LoadConfig(dir.File("missing.txt")));
    EXPECT_EQ(p.inputFileName, "keep.txt");  // unchanged
    EXPECT_FALSE(p.SaveConfig(dir.File("no/such/folder/c.txt")));

    // Multi mode whose files list cannot be read: read, but no input file.
    AnalysisParameters multi = Filled(dir.File("no-list.txt"));
    multi.inputFileMode = 1;
    ASSERT_TRUE(multi.SaveConfig(dir.File("c.txt")));
    AnalysisParameters loaded;
    EXPECT_FALSE(loaded.LoadConfig(dir.File("c.txt")));
    EXPECT_EQ(loaded.windowSize, 890);
    EXPECT_TRUE(loaded.inputFiles.empty());

    // A damaged file names its first line that cannot be read and changes nothing.
    const std::string good = Filled("keep.txt").ConfigText();
    auto lineReplaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    struct Damage {
        std::string text, problem;
    };
    for (const Damage& d : std::vector<Damage>{
             {"", "the file is empty; a configuration file has 35 lines"},
             {std::string("\xFF\xFE[\0I\0", 6), "it is UTF-16 text; a configuration file is plain text (ASCII or UTF-8)"},
             {good.substr(0, good.find("[Window size")), "the file ends after line 10; line 11 should hold its header line"},
             {lineReplaced("\n5\n", "\n5 x\n"), "line 8 should hold the computation type, a whole number; it holds \"5 x\""},
             {lineReplaced("\nB\n", "\nBinary\n"), "line 4 should hold the input file type letter (T or B), one letter; it holds \"Binary\""},
             {lineReplaced("\n890\n", "\n" + std::string(10'000'000, '7') + "\n"),
              "line 12 should hold the window size, a whole number; it holds \"" + std::string(40, '7') + "...\""},
             {lineReplaced("\n0.500000\n", "\n0,5\n"), "line 35 should hold the shift percentage, a number; it holds \"0,5\""},
             {lineReplaced("\nkeep.txt\n", std::string("\nke\0p.txt\n", 10)), "line 3 should hold the input file name; it holds a NUL byte"},
         }) {
        test::WriteText(dir.File("d.txt"), d.text);
        std::string problem;
        EXPECT_FALSE(p.LoadConfig(dir.File("d.txt"), &problem));
        EXPECT_EQ(problem, d.problem);
        EXPECT_EQ(p.inputFileName, "keep.txt");
    }
    // Blank lines after a number line are skipped, as before.
    test::WriteText(dir.File("d.txt"), lineReplaced("\n890\n", "\n891\n\n  \n"));
    EXPECT_TRUE(p.LoadConfig(dir.File("d.txt")));
    EXPECT_EQ(p.windowSize, 891);
    EXPECT_EQ(p.averageProgression.start, 4);
}

TEST(FilesList, ReadsTrimmedLinesUpToTheFirstEmptyOne) {
    test::TempDir dir;
    const std::string list = dir.File("list.txt");
    for (const auto& [text, expected] : std::vector<std::pair<std::string, Files>>{
             {"a.txt\nb.txt\n\nc.txt\n", {"kept", "a.txt", "b.txt"}},
             {"\xEF\xBB\xBF" "a.txt\n", {"kept", "a.txt"}},  // a byte-order mark is not part of the first name
             {"  /data/x.txt  \n\t/data/y.txt", {"kept", "/data/x.txt", "/data/y.txt"}},  // no last line end
             {"a.txt\n\xff" "b.txt\n", {"kept", "a.txt"}},  // byte 255 ends the read like the end
         }) {
        test::WriteText(list, text);
        Files files{"kept"};
        EXPECT_TRUE(ReadFilesList(list, files));
        EXPECT_EQ(files, expected);
    }
    Files files{"kept"};
    EXPECT_FALSE(ReadFilesList(dir.File("missing"), files));
    EXPECT_EQ(files, Files{"kept"});

    AnalysisParameters p;
    p.inputFileMode = 0;  // single mode: one entry, even an empty name
    EXPECT_TRUE(p.ExpandInputFiles());
    EXPECT_EQ(p.inputFiles, Files{""});
    p.inputFileMode = 1;
    p.inputFileName = dir.File("missing");
    EXPECT_FALSE(p.ExpandInputFiles());
    EXPECT_TRUE(p.inputFiles.empty());
}

}  // namespace
}  // namespace fractan
