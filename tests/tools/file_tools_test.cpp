#include "tools/file_tools.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

TEST(CountLines, LineFeedsOnly) {
    test::TempDir dir;
    const std::string f = dir.File("f.txt");
    struct Case {
        std::string text;
        int64_t lines;
    };
    for (const Case& k : std::vector<Case>{
             {"", 0}, {"a\nb", 1}, {"a\nb\n", 2}, {"a\r\nb\r\n", 2}, {"\n\n\n", 3}, {"no line end", 0},
             {std::string("x\0\n\xff\n", 5), 2}}) {
        test::WriteText(f, k.text);
        EXPECT_EQ(CountLines(f), k.lines) << k.text;
    }
    // Across the reading chunks.
    test::WriteText(f, std::string(200000, '\n') + std::string(70000, 'x'));
    EXPECT_EQ(CountLines(f), 200000);
    EXPECT_EQ(CountLines(dir.File("none.txt")), kCountNotOpened);
    EXPECT_EQ(CountLines(dir.Path()), kCountNotOpened);  // a folder opens but cannot be read

    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(CountLines(f), kCountStopped);
}

TEST(MakeSampleFile, CountsSkipsAndFailures) {
    test::TempDir dir;
    const std::string f = dir.File("x.txt");
    const std::string text = "0123456789\nabcdef\n";
    test::WriteText(f, text);
    EXPECT_EQ(SampleFilePath(f), dir.File("x.txt.sample"));
    SampleStatus status;
    struct Case {
        uint32_t count, skip;
        std::string sample;
    };
    for (const Case& k : std::vector<Case>{{5, 0, "01234"},
                                           {0, 0, ""},
                                           {1000, 0, text},
                                           {4, 9, "9\nab"},
                                           {1000, 11, "abcdef\n"},
                                           {10, 1000, ""}}) {
        const int64_t written = MakeSampleFile(f, k.count, k.skip, &status);
        EXPECT_EQ(status, SampleStatus::kWritten);
        EXPECT_EQ(written, static_cast<int64_t>(k.sample.size())) << k.count << " " << k.skip;
        EXPECT_EQ(test::ReadText(SampleFilePath(f)), k.sample) << k.count << " " << k.skip;
    }
    // More than one reading chunk, skipping across a chunk border.
    std::string big;
    for (int i = 0; i < 300000; ++i) big.push_back(static_cast<char>('a' + i % 26));
    test::WriteText(f, big);
    EXPECT_EQ(MakeSampleFile(f, 200000, 70000), 200000);
    EXPECT_EQ(test::ReadText(SampleFilePath(f)), big.substr(70000, 200000));

    EXPECT_EQ(MakeSampleFile(dir.File("none.txt"), 10, 0, &status), 0);
    EXPECT_EQ(status, SampleStatus::kInputNotOpened);
    EXPECT_FALSE(test::Exists(dir.File("none.txt.sample")));
    const std::string g = dir.File("g.txt");
    test::WriteText(g, "data\n");
    ASSERT_EQ(::mkdir(SampleFilePath(g).c_str(), 0777), 0);
    EXPECT_EQ(MakeSampleFile(g, 10, 0, &status), 0);
    EXPECT_EQ(status, SampleStatus::kSampleNotOpened);
    EXPECT_EQ(MakeSampleFile(dir.Path(), 10, 0, &status), 0);  // a folder is not an input
    EXPECT_EQ(status, SampleStatus::kInputNotOpened);
    EXPECT_FALSE(test::Exists(SampleFilePath(dir.Path())));

    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(MakeSampleFile(f, 10, 0, &status), 0);
    EXPECT_EQ(status, SampleStatus::kStopped);
    EXPECT_FALSE(test::Exists(SampleFilePath(f)));
}

TEST(WriteFilesList, LinesRangesAndRefusals) {
    test::TempDir dir;
    const std::string list = dir.File("list.txt");
    FilesListRequest r{"d", "Artificial_H=0.5-", 1, 1, 3, "txt"};
    int64_t lines = -1;
    ASSERT_EQ(WriteFilesList(list, r, &lines), FilesListStatus::kWritten);
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(FilesListLength(r), 3);
    EXPECT_EQ(FilesListLength({"d", "", -5, 4, 6, "txt"}), 3);  // -5, -1, 3
    EXPECT_EQ(FilesListLength({"d", "", 1, 0, 6, "txt"}), 0);   // refused
    EXPECT_EQ(test::ReadText(list), "d/Artificial_H=0.5-1.txt\nd/Artificial_H=0.5-2.txt\nd/Artificial_H=0.5-3.txt\n");

    struct Case {
        FilesListRequest request;
        std::string text;
    };
    for (const Case& k : std::vector<Case>{
             {{"d", "s", 1, 2, 6, "dat"}, "d/s1.dat\nd/s3.dat\nd/s5.dat\n"},
             {{"d", "", 7, 1, 7, "csv"}, "d/7.csv\n"},
             {{"", "p", -2, 2, 0, "txt"}, "/p-2.txt\n/p0.txt\n"},
             {{"d", "p", 5, 1, 4, "txt"}, ""},    // start above end: an empty list
             {{"d", "p", 5, 0, 4, "txt"}, ""},    // ... whatever the step
             {{"d", "p", 2147483646, 1, 2147483647, "txt"}, "d/p2147483646.txt\nd/p2147483647.txt\n"},
         }) {
        ASSERT_EQ(WriteFilesList(list, k.request), FilesListStatus::kWritten) << k.text;
        EXPECT_EQ(test::ReadText(list), k.text);
    }

    // A step that never reaches the end is refused before the file is touched.
    const std::string kept = test::ReadText(list);
    for (int32_t step : {0, -1}) {
        const FilesListRequest endless{"d", "p", 0, step, 0, "txt"};
        EXPECT_EQ(FilesListRefusal(endless),
                  "The step is " + std::to_string(step) + ", it must be greater than 0 when the start is not above the end.");
        EXPECT_EQ(WriteFilesList(list, endless, &lines), FilesListStatus::kRefused);
        EXPECT_EQ(lines, 0);
        EXPECT_EQ(test::ReadText(list), kept);
    }
    EXPECT_EQ(WriteFilesList(dir.File("missing/list.txt"), r), FilesListStatus::kNotCreated);

    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(WriteFilesList(list, r), FilesListStatus::kStopped);
    EXPECT_FALSE(test::Exists(list));
}

}  // namespace
}  // namespace fractan
