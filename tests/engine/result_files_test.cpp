#include "engine/result_files.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/names.h"
#include "setup/output.h"
#include "test_support.h"

namespace fractan {
namespace {

TEST(ResultFiles, NamesComposedFromTheResultPath) {
    EXPECT_EQ(ResultFilePath("/res", "run1", 2), "/res/run1.Static DMA (2).out.txt");
    EXPECT_EQ(ResultFilePath("/res", "", 0), "/res/.Dynamic DMA (0).out.txt");
    EXPECT_EQ(ResultFilePath("/res", "t", 9), "/res/t.Static Smoothed DMA Lambda (9).out.txt");

    const std::string result = "/o/t.Dynamic DMA (0).out.txt";
    EXPECT_EQ(IncrementalFilePath(result, "/data/s1.txt"), "/o/t.Dynamic DMA (0).out.s1.inc.txt");
    EXPECT_EQ(IncrementalFilePath(result, "/data/s1"), "/o/t.Dynamic DMA (0).out..inc.txt");
    EXPECT_EQ(IncrementalFilePath(result, "s.1.txt"), "/o/t.Dynamic DMA (0).out.s.1.inc.txt");

    EXPECT_EQ(ChartFilePath("/res/run1.Static DMA (2).out.txt", "/data/s1.txt"),
              "/res/run1.Static DMA (2).out.txt.s1.txt.chart.txt");
    EXPECT_EQ(ChartFilePath("r.out.txt", "plain"), "r.out.txt.plain.chart.txt");
}

TEST(ResultFiles, ResultLineFormat) {
    EXPECT_EQ(test::ResultLine("s1.txt", 100000, 500, 1200, 0.512345678),
              "s1.txt\t100000\t500\t1200\t0.512346\n");
    EXPECT_EQ(test::ResultLine("s1", 10, 0, 3, 1e-7), "s1\t10\t0\t3\t1e-07\n");
    EXPECT_EQ(test::ResultLine("s1", 10, 0, 3, INFINITY), "s1\t10\t0\t3\tinf\n");
    EXPECT_EQ(test::ResultLine("s1", 10, 0, 3, 12345678.0), "s1\t10\t0\t3\t1.23457e+07\n");
}

TEST(ResultFiles, RegistryKeepsLaterFilesApart) {
    OutputNameRegistry names;
    EXPECT_EQ(names.Claim("/o/r.out.s.inc.txt", ".inc.txt"), "/o/r.out.s.inc.txt");
    EXPECT_EQ(names.Claim("/o/r.out.s.inc.txt", ".inc.txt"), "/o/r.out.s_2.inc.txt");
    EXPECT_EQ(names.Claim("/o/r.out.s.inc.txt", ".inc.txt"), "/o/r.out.s_3.inc.txt");
    EXPECT_EQ(names.Claim("/o/r.out.s_2.inc.txt", ".inc.txt"), "/o/r.out.s_2_2.inc.txt");
}

}  // namespace
}  // namespace fractan
