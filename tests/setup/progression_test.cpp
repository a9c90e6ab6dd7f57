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
    test::WriteText(path, "4\n1\n2\nx\n4\n");  // stops at the first unreadable number
    EXPECT_EQ(Sizes(p), (V{1, 2}));
    test::WriteText(path, "1000000000\n1\n2\n");
    EXPECT_EQ(Sizes(p), (V{1, 2}));
    test::WriteText(path, "junk\n");
    EXPECT_EQ(Sizes(p), V{});
    EXPECT_EQ(Sizes({1, 10, 1, kCustom, dir.File("missing.txt")}), V{});
}

}  // namespace
}  // namespace fractan
