#include "setup/series_loader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "setup/number_scanner.h"
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

// The scanner reads the text, in pieces of varying length, as repeated strtod
// calls do: the same values bit for bit (NaN as NaN), up to the same word, on
// the same lines.
void ExpectSameAsStrtod(const std::string& text) {
    std::vector<double> expected;
    std::vector<int64_t> lines;
    int64_t line = 1;
    const char* p = text.c_str();
    for (char* end = nullptr;; p = end) {
        for (; std::isspace(static_cast<unsigned char>(*p)); ++p) line += *p == '\n';
        const double value = std::strtod(p, &end);
        if (end == p) break;
        expected.push_back(value);
        lines.push_back(line);
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fmemopen(const_cast<char*>(text.data()), text.size(), "r"),
                                                               std::fclose);
    NumberScanner scanner(file.get());
    std::vector<double> values(expected.size() + 1);
    size_t n = 0;
    for (int64_t piece = 1, got = 1; got > 0; piece = piece * 7 % 1009, n += static_cast<size_t>(got))
        got = scanner.Read(values.data() + n, std::min<int64_t>(piece, values.size() - n));
    ASSERT_EQ(n, expected.size()) << text.substr(0, 80);
    auto bits = [](double x) { return std::isnan(x) ? 0x7FF8000000000000u : std::bit_cast<uint64_t>(x); };
    for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(bits(values[i]), bits(expected[i])) << "number " << i << " of " << text.substr(0, 80);
    EXPECT_EQ(scanner.TextHere(40), std::string(p, std::min<size_t>(std::strcspn(p, "\r\n"), 40)));
    EXPECT_EQ(scanner.Line(), line);
    const auto crowded = std::adjacent_find(lines.begin(), lines.end());
    EXPECT_EQ(scanner.CrowdedLine(), crowded == lines.end() ? 0 : *crowded);
}

TEST(NumberScanner, ReadsEveryFormAsStrtod) {
    for (const char* form : {"inf", "-inf", "+INF", "infinity", "-Infinity", "nan", "-nan", "NaN", "nan(123)", "nan(",
                             "0x1p3", "-0x1.8p-2", "+0x10", "0X1P-1074", "0x", "0xg", "1e", "1e+", "1.", ".5", "-.5e-3",
                             "+.5", "+-5", "-+5", "++5", ".", "-", "+", "-.e1", "1e999", "-1e999", "1e-400", "-1e-400",
                             "2.4703282292062327e-324", "2.4703282292062328e-324", "1.7976931348623158e308", "-0",
                             "1.7976931348623159e308", "00012", "1e0000000000000000000001", "1e-99999999999999999999",
                             "9007199254740993",
                             "9007199254740993.00000000000000000000000001", "1,5", "1..2", "5e5e5"})
        ExpectSameAsStrtod(std::string(form) + "\n7 8\n");

    std::mt19937_64 random(11);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint64_t>(n)); };
    const char* separators[] = {" ", "\n", "\t", "\r\n", "  \n\n", "\v", "\f", "\n \t"};
    const char* formats[] = {"%.17g", "%g", "%.3f", "%e", "%a"};
    std::string text;
    char number[1000];
    for (int k = 0; k < 200000; ++k) {
        const double x = std::bit_cast<double>(random() & (pick(4) ? ~uint64_t{0} : 0x800FFFFFFFFFFFFFu));  // or subnormal
        if (const int form = pick(7); form < 5) {
            std::snprintf(number, sizeof number, formats[form], x);
        } else if (form == 5) {  // digits, a point and an exponent at random
            const char* sign = pick(3) == 0 ? "" : pick(2) ? "-" : "+";
            int n = std::snprintf(number, sizeof number, "%s%d", sign, pick(100000000));
            if (pick(2)) n += std::snprintf(number + n, 40, ".%llu", static_cast<unsigned long long>(random()));
            if (pick(2)) std::snprintf(number + n, 40, "e%d", pick(800) - 400);
        } else {  // a long mantissa near the middle of two doubles
            const double d = std::ldexp(1.0 + std::ldexp(static_cast<double>(random() >> 12), -52), pick(2000) - 1000);
            const long double middle = (static_cast<long double>(d) + std::nextafter(d, 2 * d)) / 2;
            std::snprintf(number, sizeof number, "%.*Le", 17 + pick(780), middle);
        }
        text.append(number).append(separators[pick(8)]);
    }
    ExpectSameAsStrtod(text);
    // Numbers longer than the buffer.
    std::string digits(600000, '0');
    for (char& c : digits) c = static_cast<char>('0' + pick(10));
    ExpectSameAsStrtod("0." + digits + "\n-" + digits + "e-599990 " + digits.substr(0, 300000) + "e-300300\n5");
    ExpectSameAsStrtod("0." + std::string(kLongestWord - 2, '3') + "\n5");  // the longest word read
}

// A .npy file: numpy's magic bytes, the version, the header's length and header, the values.
template <class T>
std::string Npy(const std::string& type, const std::string& shape, const std::vector<T>& values, char version = 1,
                const std::string& order = "False") {
    const std::string header = "{'descr': '" + type + "', 'fortran_order': " + order + ", 'shape': " + shape + ", }\n";
    const uint32_t length = static_cast<uint32_t>(header.size());
    return std::string("\x93NUMPY") + version + '\0' + std::string(reinterpret_cast<const char*>(&length), version == 1 ? 2 : 4) +
           header + std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// Every stretch a load can ask for, of every kind of file, and the lines it prints.
TEST(LoadSeries, StretchesAndTheirLines) {
    test::TempDir dir;
    const std::string ten = dir.File("ten.txt"), cut = dir.File("cut.txt"), many = dir.File("many.txt");
    const std::string binary = dir.File("b.dat"), big = dir.File("big.dat");
    test::WriteNumbers(ten, Range(1, 10));
    test::WriteText(cut, "1\n2\n3\nnot a number\n4\n");
    const std::string longLine = dir.File("long.txt");  // read in pieces, not held whole
    test::WriteText(longLine, "1\n2\n" + std::string(kLongestWord + 1, '7') + "\n3\n");
    test::WriteNumbers(many, Range(0, 2499));
    test::WriteBinary(binary, Range(0, 9));
    const std::vector<double> large = Range(0, 600002);  // more than one block of 4 MB
    test::WriteBinary(big, large);
    test::WriteText(big, test::ReadText(big) + "abc");  // a part of a number after the last
    const std::string csv = dir.File("t.csv"), semicolons = dir.File("s.csv"), tabs = dir.File("t.tsv");
    const std::string blanks = dir.File("b.txt"), headed = dir.File("h.txt");
    test::WriteText(csv, "\xEF\xBB\xBFtime,price\n0, 1.5\n1,2.5\n\n2\n3,x\n");
    test::WriteText(semicolons, "a;b\n1;3,25\n2;-0,5e1\n3;x\n");
    test::WriteText(tabs, "x\ty\n1\t2\n3\t4\n");
    test::WriteText(blanks, "1 10\n 2\t20\n");
    test::WriteText(headed, "price\n5\n6\n");
    const std::string f8 = dir.File("f8.npy"), f4 = dir.File("f4"), i4 = dir.File("i4.npy"), i8 = dir.File("i8.npy");
    const std::string bigEndian = dir.File("big.npy"), fortran = dir.File("fortran.npy"), shortNpy = dir.File("short.npy");
    test::WriteText(f8, Npy<double>("<f8", "(3,)", {1.5, -2, 3}));
    test::WriteText(f4, Npy<float>("<f4", "(2,)", {0.25f, -8}, 2));
    test::WriteText(i4, Npy<int32_t>("<i4", "(2, 2)", {1, -2, 3, -4}, 3));
    test::WriteText(i8, Npy<int64_t>("<i8", "(2,)", {int64_t{1} << 40, -7}));
    test::WriteText(bigEndian, Npy<double>(">f8", "(1,)", {1}));
    test::WriteText(fortran, Npy<double>("<f8", "(1, 2)", {1, 2}, 1, "True"));
    test::WriteText(shortNpy, Npy<double>("<f8", "(4,)", {1, 2}));
    auto said = [](const std::string& path, const std::string& what) { return "[" + path + "]: " + what + "."; };
    const std::string another = "Another is chosen by its number: --column, or the Column field.";
    const std::string check = "Please check the size and/or offset of the subseries.";
    const std::string cutNote = "[" + cut + "] line 4: \"not a number\" is not a number; the series is cut there, after 3 numbers.";
    struct Case {
        std::string path;
        int32_t type, size, offset;
        std::vector<double> values;
        Lines lines;  // after "Loading data..."
        std::string column = {};
    };
    for (const Case& c : std::vector<Case>{
             {ten, kTextInput, 5, 2, {3, 4, 5, 6, 7}, {"Processing sample 0 (0)", "Done."}},
             {many, kTextInput, 2500, 0, Range(0, 2499),
              {"Processing sample 0 (1)", "Processing sample 1000 (1001)", "Processing sample 2000 (2001)", "Done."}},
             {cut, kTextInput, 3, 0, {1, 2, 3}, {"Processing sample 0 (1)", "Done."}},
             {cut, kTextInput, 4, 0, {},
              {"Processing sample 0 (1)", "[" + cut + "] holds 3 samples from offset 0, fewer than the data size 4.",
               cutNote, check, ""}},
             {cut, kTextInput, -1, 0, {}, {"[" + cut + "]: the data size is -1; it cannot be negative.", check, ""}},
             {cut, kTextInput, 2, -1, {}, {"[" + cut + "]: the data offset is -1; samples are counted from 0.", check, ""}},
             {cut, kTextInput, kAllSamples, 1, {2, 3}, {"Processing sample 0 (0)", cutNote, "Done."}},
             {longLine, kTextInput, kAllSamples, 0, {1, 2},
              {"Processing sample 0 (1)", "[" + longLine + "] line 3 is longer than 1048576 characters, which no number "
                                          "is; the series is cut there, after 2 numbers.", "Done."}},
             {ten, kTextInput, kAllSamples, 10, {},
              {"Processing sample 0 (0)", "[" + ten + "] holds no sample from offset 10.", check, ""}},
             {binary, kBinaryInput, 2, 8, {8, 9}, {"Done."}},
             {"/dev/zero", kBinaryInput, 1000, 0, {}, {std::string("[/dev/zero] cannot be read as a binary series: ") + kNotRegularBinary + "."}},
             {binary, kBinaryInput, 3, 8, {},
              {"[" + binary + "] holds 2 samples from offset 8, fewer than the data size 3.", check, ""}},
             {binary, kBinaryInput, -2, 0, {}, {"[" + binary + "]: the data size is -2; it cannot be negative.", check, ""}},
             {big, kBinaryInput, kAllSamples, 2, {large.begin() + 2, large.end()},
              {"[" + big + "] ends with a part of an 8-byte number after its 600003 whole ones; the part is ignored.",
               "Done."}},
             {big, kBinaryInput, kAllSamples, 600003, {},
              {"[" + big + "] holds no sample from offset 600003.", check, ""}},
             // Tables: a header line, separators, a column by name or number, the lines that refuse one.
             {csv, kTextInput, 2, 0, {1.5, 2.5}, {"Processing sample 0 (1)", "Done."}, "price"},
             {csv, kTextInput, kAllSamples, 0, {}, {"Processing sample 0 (1)", said(csv, "line 5 has 1 column; there is no column 2 (\"price\")")}, "2"},
             {csv, kTextInput, kAllSamples, 1, {1, 2, 3}, {"Processing sample 0 (0)", "Done."}, "time"},
             {csv, kTextInput, kAllSamples, 0, {0, 1, 2, 3}, {"Processing sample 0 (1)", "[" + csv + "] has 2 columns apart by commas; "
              "column 1 (\"time\") is read. Another is chosen by its number or its name: --column, or the Column field.", "Done."}},
             {csv, kTextInput, 1, 0, {}, {said(csv, "there is no column named \"Price\"; the header line names \"time\", \"price\"")}, "Price"},
             {csv, kTextInput, 1, 0, {}, {said(csv, "columns are counted from 1: there is no column 0")}, "0"},
             {semicolons, kTextInput, 2, 0, {3.25, -5}, {"Processing sample 0 (1)", "Done."}, "b"},
             {semicolons, kTextInput, 3, 0, {}, {"Processing sample 0 (1)", said(semicolons, "line 4: column 2 (\"b\") holds \"x\", which is not a number")}, "b"},
             {tabs, kTextInput, kAllSamples, 0, {2, 4}, {"Processing sample 0 (1)", "Done."}, "y"},
             {blanks, kTextInput, kAllSamples, 0, {10, 20}, {"Processing sample 0 (1)", "Done."}, "2"},
             {headed, kTextInput, kAllSamples, 0, {5, 6}, {"Processing sample 0 (1)", "Done."}},
             // .npy arrays, whatever the type given: each type read, a column, and those refused.
             {f8, kTextInput, kAllSamples, 1, {-2, 3}, {"Done."}},
             {f4, kBinaryInput, kAllSamples, 0, {0.25, -8}, {"Done."}},
             {i4, kTextInput, kAllSamples, 0, {-2, -4}, {"Done."}, "2"},
             {i4, kTextInput, kAllSamples, 0, {1, 3}, {"[" + i4 + "] has 2 columns; column 1 is read. " + another, "Done."}},
             {i4, kTextInput, kAllSamples, 0, {}, {said(i4, "it has 2 columns; there is no column 3")}, "3"},
             {i8, kBinaryInput, 2, 0, {1099511627776.0, -7}, {"Done."}},
             {f8, kTextInput, 1, 0, {}, {said(f8, "there is no column named \"x\": its columns have no names; choose one by its number")}, "x"},
             {bigEndian, kTextInput, 1, 0, {}, {said(bigEndian, "its values are of type '>f8', which is not read: the types read are '<f8', '<f4', '<i4' and '<i8'")}},
             {fortran, kTextInput, 1, 0, {}, {said(fortran, "its values are in Fortran order, column by column; save the array in C order (np.ascontiguousarray)")}},
             {shortNpy, kBinaryInput, 1, 0, {}, {said(shortNpy, "it ends before its values: its shape gives 4 rows of 1 value of 8 bytes, and 16 bytes follow its header")}},
         }) {
        SampleArray data;
        OutputCapture out;
        EXPECT_EQ(LoadSeries(data, c.path, c.type, c.size, c.offset, nullptr, c.column), !c.values.empty())
            << c.path << " " << c.size;
        EXPECT_EQ(Values(data), c.values);
        Lines lines{"Loading data..."};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(out.Lines(), lines) << c.path << " " << c.size;
    }
    std::filesystem::resize_file(longLine, 1 << 26);  // a sparse tail: the memory is that of the numbers
    SampleArray data;
    OutputCapture quiet;
    EXPECT_TRUE(LoadSeries(data, longLine, kTextInput, kAllSamples, 0));
    EXPECT_LT(data.Capacity(), 1 << 21);
    EXPECT_EQ(CountSamples(big, kBinaryInput), 600003);
}

// What a user is told about a file that does not read as they think.
TEST(LoadSeries, NotesOnFilesThatMislead) {
    test::TempDir dir;
    const std::string path = dir.File("s.txt");
    SampleArray data;
    {
        test::WriteText(path, "  1.5\r\n\n-2e3\t+4\n0.125 7\n");  // two columns are read interleaved
        OutputCapture out;
        ASSERT_TRUE(LoadSeries(data, path, kTextInput, 5, 0));
        EXPECT_EQ(out.Lines().at(out.Lines().size() - 2),
                  "[" + path + "] line 3 holds more than one number; every number is taken as a sample of its own "
                  "(one number per line expected: a column of an index and a value is read interleaved).");
    }
    SeriesNote note{"x", true, "y"};
    test::WriteText(path, "\xEF\xBB\xBF" "3\n4\n");  // a byte-order mark some editors write first
    EXPECT_EQ(CountSamples(path, kTextInput, &note), 2);
    EXPECT_EQ(note.text, "");
    test::WriteText(path, "1,5\n2,5\n");
    EXPECT_EQ(CountSamples(path, kTextInput, &note), 1);
    EXPECT_EQ(note.text, "[" + path + "] line 1: \",5\" is not a number (a decimal comma? numbers are read with a "
                         "decimal point); the series is cut there, after 1 numbers.");
    EXPECT_TRUE(note.decimalComma);
    EXPECT_EQ(LoadSeriesFile(path).reason, note.text + " The numbers before the commas would be taken whole.");
    test::WriteText(path, "1,5 2,5\n");  // decimal commas in columns apart by blanks: refused, not cut
    EXPECT_EQ(CountSamples(path, kTextInput, &note), -1);
    EXPECT_TRUE(note.decimalComma);
    EXPECT_EQ(LoadSeriesFile(path, "1").reason, "[" + path + "]: line 1: column 1 holds \"1,5\", which is not a number (a "
              "decimal comma? numbers are read with a decimal point, or with a comma in columns apart by semicolons)");
    test::WriteText(path, "a,b\n1,2\n");
    EXPECT_EQ(Values(LoadSeriesFile(path, "b").samples), std::vector<double>{2});
    // A text file read as binary is said to look like text.
    const std::string textFile = dir.File("text.dat");
    test::WriteNumbers(textFile, test::RandomWalk(100, 3));
    OutputCapture text;
    EXPECT_TRUE(LoadSeries(data, textFile, kBinaryInput, 4, 0));
    EXPECT_EQ(text.Lines().at(1), std::string(1, '[') + textFile + "] looks like text, not 8-byte binary numbers: its "
                                  "first bytes are all printable characters. Read it as a text file if it holds one "
                                  "number per line.");
}

TEST(LoadSeries, MissingFileAndUnknownType) {
    test::TempDir dir;
    const std::string none = dir.File("none.txt");
    SampleArray data;
    for (auto [type, size] : {std::pair{kTextInput, 1}, std::pair{kBinaryInput, 1}, std::pair{kTextInput, -1}}) {
        OutputCapture out;  // a missing file is named before sizes are looked at
        EXPECT_FALSE(LoadSeries(data, none, type, size, 0));
        EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Error opening file [" + none + "]"}));
    }
    EXPECT_EQ(CountSamples(none, kTextInput), -1);
    data.SetSize(3);
    OutputCapture out;
    EXPECT_TRUE(LoadSeries(data, none, -1, 5, 0));  // an unknown type: the target left as it was
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Done."}));
    EXPECT_EQ(data.Size(), 3);
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
    test::WriteBinary(dir.File("s.dat"), Range(0, 5));
    EXPECT_FALSE(LoadSeries(data, dir.File("s.dat"), kBinaryInput, 6, 0));
    EXPECT_EQ(out.Lines(), (Lines{"Loading data...", "Processing sample 0 (1)", "Loading data..."}));
}

}  // namespace
}  // namespace fractan
