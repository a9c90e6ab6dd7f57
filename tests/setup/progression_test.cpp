#include "setup/progression.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace fractan {
namespace {

using V = std::vector<int32_t>;

V Sizes(const ScaleProgression& p, std::string* note = nullptr) {
    SizeList list = p.Expand(note);
    return {list.begin(), list.end()};
}

TEST(ScaleProgression, LinearGeometricAndThoseThatWouldNeverEnd) {
    for (const auto& [p, sizes] : std::vector<std::pair<ScaleProgression, V>>{
             {{4, 18, 4, kLinear, {}}, {4, 8, 12, 16}},
             {{2, 100, 2, kGeometric, {}}, {2, 4, 8, 16, 32, 64}},
             {{2, 10, 3, kGeometric, {}}, {2, 6}},
             {{7, 9, 1, 5, {}}, {}},  // an unknown type gives none
             {{7, 7, 3, kGeometric, {}}, {7}},
             {{3, 2, 2, kGeometric, {}}, {}},
             {{0, 0, 0, kLinear, {}}, {}},  // the record's defaults
             {{4, 16, -1, kLinear, {}}, {}},
             {{4, 16, 1, kGeometric, {}}, {}},
             {{0, 16, 2, kGeometric, {}}, {}},
             {{2, INT32_MAX, 2, kGeometric, {}}, {}},
             {{1, INT32_MAX, 1 << 30, kLinear, {}}, {}},
             {{1 << 29, (1 << 30) + 5, 1 << 29, kLinear, {}}, {1 << 29, 1 << 30}},  // past the end, in range
             {{1 << 29, (1 << 30) + 5, 2, kGeometric, {}}, {}},                     // 2^31 leaves the range
         })
        EXPECT_EQ(Sizes(p), sizes) << p.start << " " << p.end << " " << p.step << " " << p.type;
    std::string note;
    Sizes({4, 16, 1, kGeometric, {}}, &note);
    EXPECT_EQ(note, "a geometric progression needs a step of 2 or more; the step is 1");
}

// What a custom file gives, what was read, and where reading stopped or why the list misleads.
TEST(ScaleProgression, CustomFile) {
    test::TempDir dir;
    const std::string path = dir.File("custom.txt"), file = "custom progression file [" + path + "]";
    const ScaleProgression p{100, 0, 0, kCustom, path};  // start, end, step ignored
    struct Case {
        std::string text;
        V sizes;
        std::string note;
    };
    for (const Case& c : std::vector<Case>{
             {"3\n10\n5\n20\n", {10, 5, 20}, ""},
             {"2\n\n\n  8\n\n8\n", {8, 8}, ""},
             {"0\n5\n", {}, file + " holds more than the 0 sizes it announces; the others are not read"},
             {"4\n1\n2\nx\n4\n", {1, 2}, file + " announces 4 sizes, but size 3, \"x\", is not a whole number; reading stopped after 2 sizes"},
             {"3\n8\n8.5\n16\n", {8}, file + " announces 3 sizes, but size 2, \"8.5\", is not a whole number; reading stopped after 1 sizes"},
             {"1000000000\n1\n2\n", {1, 2}, file + " announces 1000000000 sizes, but ends; reading stopped after 2 sizes"},
             {"2\n4\n8\n16\n", {4, 8}, file + " holds more than the 2 sizes it announces; the others are not read"},
             {"3\n64\n16\n8\n", {64, 16, 8}, file + ": its last size, 8, is not its largest, 64; the last size is taken as the largest, so list the sizes in increasing order"},
             {"junk\n", {}, file + " should begin with the number of sizes; it begins with \"junk\""},
         }) {
        test::WriteText(path, c.text);
        std::string note;
        EXPECT_EQ(Sizes(p, &note), c.sizes) << c.text;
        EXPECT_EQ(note, c.note) << c.text;
    }
    EXPECT_EQ(Sizes({1, 10, 1, kCustom, dir.File("missing.txt")}), V{});
}

}  // namespace
}  // namespace fractan
