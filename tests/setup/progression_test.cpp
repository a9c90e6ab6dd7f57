#include "setup/progression.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace fractan {
namespace {

std::vector<int32_t> Sizes(const ScaleProgression& p) {
    SizeList list = p.Expand();
    return {list.begin(), list.end()};
}

using V = std::vector<int32_t>;

TEST(ScaleProgression, LinearGeometricAndUnknownTypes) {
    EXPECT_EQ(Sizes({4, 16, 4, kLinear, {}}), (V{4, 8, 12, 16}));
    EXPECT_EQ(Sizes({4, 18, 4, kLinear, {}}), (V{4, 8, 12, 16}));
    EXPECT_EQ(Sizes({2, 100, 2, kGeometric, {}}), (V{2, 4, 8, 16, 32, 64}));
    EXPECT_EQ(Sizes({3, 2, 2, kGeometric, {}}), V{});
    EXPECT_EQ(Sizes({2, 10, 3, kGeometric, {}}), (V{2, 6}));
    EXPECT_EQ(Sizes({7, 9, 1, 5, {}}), V{7});
    EXPECT_EQ(Sizes({7, 7, 3, kLinear, {}}), V{7});
    EXPECT_EQ(Sizes({7, 7, 3, kGeometric, {}}), V{7});
    // Capacity in whole chunks of 10.
    EXPECT_EQ(ScaleProgression({1, 11, 1, kLinear, {}}).Expand().Capacity(), 20);
}

TEST(ScaleProgression, ProgressionsThatWouldNeverEndGiveNothing) {
    EXPECT_EQ(Sizes({0, 0, 0, kLinear, {}}), V{});  // the record's defaults
    EXPECT_EQ(Sizes({4, 16, -1, kLinear, {}}), V{});
    EXPECT_EQ(Sizes({4, 16, 1, kGeometric, {}}), V{});
    EXPECT_EQ(Sizes({0, 16, 2, kGeometric, {}}), V{});
    EXPECT_EQ(Sizes({-4, 16, 2, kGeometric, {}}), V{});
    EXPECT_EQ(Sizes({2, INT32_MAX, 2, kGeometric, {}}), V{});
    EXPECT_EQ(Sizes({1, INT32_MAX, 1 << 30, kLinear, {}}), V{});
    EXPECT_EQ(Sizes({1 << 29, INT32_MAX - 1, 1 << 29, kLinear, {}}), V{});
    // Passing the end without leaving the range is fine.
    EXPECT_EQ(Sizes({1 << 29, (1 << 30) + 5, 1 << 29, kLinear, {}}), (V{1 << 29, 1 << 30}));
    EXPECT_EQ(Sizes({1 << 28, (1 << 29) + 5, 2, kGeometric, {}}), (V{1 << 28, 1 << 29}));
    EXPECT_EQ(Sizes({1 << 29, (1 << 30) + 5, 2, kGeometric, {}}), V{});  // 2^31 leaves the range
}

TEST(ScaleProgression, CustomFile) {
    test::TempDir dir;
    const std::string path = dir.File("custom.txt");
    ScaleProgression p{100, 0, 0, kCustom, path};  // start, end, step ignored

    test::WriteText(path, "3\n10\n5\n20\n");
    EXPECT_EQ(Sizes(p), (V{10, 5, 20}));
    test::WriteText(path, "2\n\n\n  8\n\n8\n");
    EXPECT_EQ(Sizes(p), (V{8, 8}));
    test::WriteText(path, "0\n5\n");
    EXPECT_EQ(Sizes(p), V{});
    test::WriteText(path, "-3\n5\n");
    EXPECT_EQ(Sizes(p), V{});
    // What was read, and where reading stopped or why the list misleads.
    const std::string file = "custom progression file [" + path + "]";
    struct Case {
        std::string text;
        V sizes;
        std::string note;
    };
    for (const Case& c : std::vector<Case>{
             {"4\n1\n2\nx\n4\n", {1, 2}, " announces 4 sizes, but size 3, \"x\", is not a whole number; reading stopped after 2 sizes"},
             {"3\n8\n8.5\n16\n", {8}, " announces 3 sizes, but size 2, \"8.5\", is not a whole number; reading stopped after 1 sizes"},
             {"1000000000\n1\n2\n", {1, 2}, " announces 1000000000 sizes, but ends; reading stopped after 2 sizes"},
             {"2\n4\n8\n16\n", {4, 8}, " holds more than the 2 sizes it announces; the others are not read"},
             {"3\n64\n16\n8\n", {64, 16, 8}, ": its last size, 8, is not its largest, 64; the last size is taken as the largest, so list the sizes in increasing order"},
             {"junk\n", {}, " should begin with the number of sizes; it begins with \"junk\""},
         }) {
        test::WriteText(path, c.text);
        std::string note;
        const SizeList sizes = p.Expand(&note);
        EXPECT_EQ(V(sizes.begin(), sizes.end()), c.sizes) << c.text;
        EXPECT_EQ(note, file + c.note);
    }
    EXPECT_EQ(Sizes({1, 10, 1, kCustom, dir.File("missing.txt")}), V{});
}

}  // namespace
}  // namespace fractan
