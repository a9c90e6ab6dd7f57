#include "setup/series_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "setup/output.h"
#include "setup/stop.h"
#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

std::vector<double> Values(const SampleArray& a) { return {a.begin(), a.end()}; }

std::vector<double> Range(int from, int to) {
    std::vector<double> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

TEST(LoadSeries, TextStretchWithProgressLines) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    test::WriteNumbers(path, Range(1, 10));
    SampleArray data;
    OutputCapture out;
    EXPECT_TRUE(LoadSeries(data, path, kTextInput, 5, 2));
    EXPECT_EQ(Values(data), (std::vector<double>{3, 4, 5, 6, 7}));
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (0)", "Done."}));
}

TEST(LoadSeries, TextProgressEveryThousandNumbers) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    test::WriteNumbers(path, Range(0, 2499));
    SampleArray data;
    OutputCapture out;
    EXPECT_TRUE(LoadSeries(data, path, kTextInput, 2500, 0));
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (1)",
                                  "Processing sample 1000 (1001)", "Processing sample 2000 (2001)",
                                  "Done."}));
    EXPECT_EQ(data.Size(), 2500);
    EXPECT_EQ(data[2499], 2499.0);
}

TEST(LoadSeries, TextNumberFormsAndSeparators) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    test::WriteText(path, "  1.5\r\n\n-2e3\t+4\n0.125 7\n1e-320\n1e999\n-0\n9\n0x1p3\n");
    SampleArray data;
    OutputCapture out;
    ASSERT_TRUE(LoadSeries(data, path, kTextInput, 10, 0));
    EXPECT_EQ(data[0], 1.5);
    EXPECT_EQ(data[1], -2000.0);
    EXPECT_EQ(data[2], 4.0);
    EXPECT_EQ(data[3], 0.125);
    EXPECT_EQ(data[4], 7.0);
    EXPECT_GT(data[5], 0.0);  // a subnormal, as scanf reads it
    EXPECT_TRUE(std::isinf(data[6]));
    EXPECT_EQ(data[7], 0.0);
    EXPECT_EQ(data[8], 9.0);
    EXPECT_EQ(data[9], 8.0);  // hexadecimal, as scanf reads it
    EXPECT_EQ(CountSamples(path, kTextInput), 10);
    // Two numbers on a line are read as two samples, and said to be: an index
    // and a value read interleaved give a plausible H.
    EXPECT_EQ(out.Lines().at(out.Lines().size() - 2),
              "[" + path + "] line 3 holds more than one number; every number is taken as a sample of its own "
              "(one number per line expected: a column of an index and a value is read interleaved).");

    test::WriteText(path, "\xEF\xBB\xBF" "3\n4\n");  // a byte-order mark some editors write first
    ASSERT_TRUE(LoadSeries(data, path, kTextInput, 2, 0));
    EXPECT_EQ(data[0], 3.0);
    std::string note = "x";
    EXPECT_EQ(CountSamples(path, kTextInput, &note), 2);
    EXPECT_EQ(note, "");
    // Where reading stops, and why: the line and its text.
    test::WriteText(path, "3\n4\nNA\n5\n");
    EXPECT_EQ(CountSamples(path, kTextInput, &note), 2);
    EXPECT_EQ(note, "[" + path + "] line 3: \"NA\" is not a number; the series is cut there, after 2 numbers.");
    test::WriteText(path, "1,5\n2,5\n");
    EXPECT_EQ(CountSamples(path, kTextInput, &note), 1);
    EXPECT_EQ(note, "[" + path + "] line 1: \",5\" is not a number (a decimal comma? numbers are read with a "
                    "decimal point); the series is cut there, after 1 numbers.");
}

TEST(LoadSeries, TextTooShortOrNegativeFails) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    test::WriteText(path, "1\n2\n3\nnot a number\n4\n5\n");
    SampleArray data;
    {
        OutputCapture out;
        EXPECT_FALSE(LoadSeries(data, path, kTextInput, 4, 0));  // reading stops at the text
        EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (1)",
                                      "[" + path + "] holds 3 samples from offset 0, fewer than the data size 4.",
                                      "[" + path + "] line 4: \"not a number\" is not a number; the series is "
                                      "cut there, after 3 numbers.",
                                      "Please check the size and/or offset of the subseries.", ""}));
        EXPECT_EQ(data.Size(), 0);
    }
    EXPECT_TRUE(LoadSeries(data, path, kTextInput, 3, 0));
    EXPECT_EQ(Values(data), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(CountSamples(path, kTextInput), 3);
    for (auto [size, offset] : {std::pair{-1, 0}, std::pair{2, -1}, std::pair{2, 2}}) {
        OutputCapture out;
        EXPECT_FALSE(LoadSeries(data, path, kTextInput, size, offset)) << size << " " << offset;
        EXPECT_EQ(data.Size(), 0);
        EXPECT_EQ(out.Lines()[out.Lines().size() - 2], "Please check the size and/or offset of the subseries.");
    }
}

TEST(LoadSeries, BinaryStretchAndTooShort) {
    test::TempDir dir;
    const std::string path = dir.File("s.dat");
    test::WriteBinary(path, Range(0, 9));
    SampleArray data;
    {
        OutputCapture out;
        EXPECT_TRUE(LoadSeries(data, path, kBinaryInput, 2, 8));
        EXPECT_EQ(Values(data), (std::vector<double>{8, 9}));
        EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Done."}));
    }
    {
        OutputCapture out;
        EXPECT_FALSE(LoadSeries(data, path, kBinaryInput, 3, 8));
        EXPECT_EQ(out.Lines(), (Lines{"Loading data...",
                                      "[" + path + "] holds 2 samples from offset 8, fewer than the data size 3.",
                                      "Please check the size and/or offset of the subseries.", ""}));
        EXPECT_EQ(data.Size(), 0);
    }
    // A trailing group of fewer than 8 bytes is ignored.
    test::WriteText(dir.File("t.dat"), test::ReadText(path) + "abc");
    EXPECT_EQ(CountSamples(dir.File("t.dat"), kBinaryInput), 10);
    EXPECT_TRUE(LoadSeries(data, dir.File("t.dat"), kBinaryInput, 10, 0));
    EXPECT_EQ(data[9], 9.0);
    EXPECT_FALSE(LoadSeries(data, dir.File("t.dat"), kBinaryInput, 11, 0));
    // A text file read as binary is said to look like text.
    test::WriteNumbers(dir.File("text.dat"), test::RandomWalk(100, 3));
    OutputCapture text;
    EXPECT_TRUE(LoadSeries(data, dir.File("text.dat"), kBinaryInput, 4, 0));
    EXPECT_EQ(text.Lines().at(1), std::string(1, '[') + dir.File("text.dat") + "] looks like text, not 8-byte binary numbers: its "
                                  "first bytes are all printable characters. Read it as a text file if it holds one "
                                  "number per line.");
}

TEST(LoadSeries, MissingFileAndUnknownType) {
    test::TempDir dir;
    SampleArray data;
    for (int32_t type : {kTextInput, kBinaryInput}) {
        OutputCapture out;
        EXPECT_FALSE(LoadSeries(data, dir.File("none.txt"), type, 1, 0));
        EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Error opening file [" + dir.File("none.txt") + "]"}));
    }
    EXPECT_EQ(CountSamples(dir.File("none.txt"), kTextInput), -1);
    {
        OutputCapture out;  // a missing file is named before sizes are looked at
        EXPECT_FALSE(LoadSeries(data, dir.File("none.txt"), kTextInput, -1, 0));
        EXPECT_EQ(out.Lines().back(), "Error opening file [" + dir.File("none.txt") + "]");
    }

    data.SetSize(3);
    data[0] = 42;
    OutputCapture out;
    EXPECT_TRUE(LoadSeries(data, dir.File("none.txt"), -1, 5, 0));
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Done."}));
    EXPECT_EQ(data.Size(), 3);  // left as it was
    EXPECT_EQ(data[0], 42.0);
}

TEST(LoadSeries, StopsWhenAsked) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    test::WriteNumbers(path, Range(0, 5000));
    StopSource stop;
    stop.RequestStop();
    ScopedStopSource scope(stop);
    SampleArray data;
    OutputCapture out;
    EXPECT_FALSE(LoadSeries(data, path, kTextInput, 5000, 0));
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (1)"}));
}

}  // namespace
}  // namespace fractan
