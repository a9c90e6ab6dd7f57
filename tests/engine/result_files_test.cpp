#include "engine/result_files.h"

#include <gtest/gtest.h>

namespace fractan {
namespace {

// An input without an extension gives an empty name (one with a dot in its name: end_to_end.sh).
TEST(ResultFiles, IncrementalFileName) {
    const std::string result = "/o/t.Dynamic DMA (0).out.txt";
    EXPECT_EQ(IncrementalFilePath(result, "/data/s1"), "/o/t.Dynamic DMA (0).out..inc.txt");
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
