#include "tools/file_tools.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace fractan {
namespace {

TEST(CountLinesAndMakeSampleFile, CountsSkipsAndFailures) {
    test::TempDir dir;
    const std::string f = dir.File("x.txt");
    for (const auto& [text, lines] : std::vector<std::pair<std::string, int64_t>>{
             {"", 0}, {"a\nb", 1}, {"a\r\nb\r\n", 2}, {std::string("x\0\n\xff\n", 5), 2},
             {std::string(200000, '\n') + std::string(70000, 'x'), 200000}}) {  // across the reading chunks
        test::WriteText(f, text);
        EXPECT_EQ(CountLines(f), lines) << lines;
    }
    EXPECT_EQ(CountLines(dir.File("none.txt")), kCountNotOpened);
    EXPECT_EQ(CountLines(dir.Path()), kCountNotOpened);  // a folder opens but cannot be read
    std::string big;  // more than one reading chunk
    for (int i = 0; i < 300000; ++i) big.push_back(static_cast<char>('a' + i % 26));
    test::WriteText(f, big);
    SampleStatus status;
    for (const auto& [count, skip] : std::vector<std::pair<uint32_t, uint32_t>>{
             {5, 0}, {0, 0}, {400000, 0}, {4, 9}, {200000, 70000}, {400000, 299990}, {10, 400000}}) {
        const std::string sample = big.substr(std::min<size_t>(skip, big.size()), count);
        EXPECT_EQ(MakeSampleFile(f, count, skip, &status), static_cast<int64_t>(sample.size())) << count << " " << skip;
        EXPECT_EQ(status, SampleStatus::kWritten);
        EXPECT_EQ(test::ReadText(SampleFilePath(f)), sample) << count << " " << skip;
    }
    EXPECT_EQ(MakeSampleFile(dir.File("none.txt"), 10, 0, &status), 0);
    EXPECT_EQ(status, SampleStatus::kInputNotOpened);
    EXPECT_EQ(MakeSampleFile(dir.Path(), 10, 0, &status), 0);  // a folder is not an input
    EXPECT_EQ(status, SampleStatus::kInputNotOpened);
    EXPECT_FALSE(test::Exists(dir.File("none.txt.sample")) || test::Exists(SampleFilePath(dir.Path())));
}

TEST(WriteFilesList, LinesRangesRefusalsAndTheStopOfEveryTool) {
    test::TempDir dir;
    const std::string list = dir.File("list.txt");
    int64_t lines = -1;
    for (const auto& [request, text] : std::vector<std::pair<FilesListRequest, std::string>>{
             {{"d", "s", 1, 2, 6, "dat"}, "d/s1.dat\nd/s3.dat\nd/s5.dat\n"},
             {{"d", "p", -2, 2, 0, "txt"}, "d/p-2.txt\nd/p0.txt\n"},
             {{"d", "p", 5, 0, 4, "txt"}, ""},  // start above end: an empty list, whatever the step
             {{"d", "p", 2147483646, 1, 2147483647, "txt"}, "d/p2147483646.txt\nd/p2147483647.txt\n"}}) {
        ASSERT_EQ(WriteFilesList(list, request, &lines), FilesListStatus::kWritten) << text;
        EXPECT_EQ(test::ReadText(list), text);
        EXPECT_EQ(lines, std::count(text.begin(), text.end(), '\n'));
        EXPECT_EQ(FilesListLength(request), lines);
    }
    // A step that never reaches the end is refused before the file is touched.
    for (int32_t step : {0, -1}) {
        const FilesListRequest endless{"d", "p", 0, step, 0, "txt"};
        EXPECT_EQ(FilesListRefusal(endless),
                  "The step is " + std::to_string(step) + ", it must be greater than 0 when the start is not above the end.");
        EXPECT_EQ(WriteFilesList(list, endless, &lines), FilesListStatus::kRefused);
        EXPECT_EQ(lines + FilesListLength(endless), 0);
        EXPECT_EQ(test::ReadText(list), "d/p2147483646.txt\nd/p2147483647.txt\n");
    }
    const FilesListRequest r{"d", "p", 1, 1, 3, "txt"};
    EXPECT_EQ(WriteFilesList(dir.File("missing/list.txt"), r), FilesListStatus::kNotCreated);

    StopSource stop;  // a stop leaves no unfinished file
    stop.RequestStop();
    ScopedStopSource scope(stop);
    EXPECT_EQ(CountLines(list), kCountStopped);
    SampleStatus status;
    EXPECT_EQ(MakeSampleFile(list, 10, 0, &status), 0);
    EXPECT_EQ(status, SampleStatus::kStopped);
    EXPECT_EQ(WriteFilesList(list, r), FilesListStatus::kStopped);
    EXPECT_FALSE(test::Exists(SampleFilePath(list)) || test::Exists(list));
}

}  // namespace
}  // namespace fractan
