#include "setup/output.h"

#include <gtest/gtest.h>

#include <thread>

namespace fractan {
namespace {

TEST(Output, CaptureIsPerThreadAndNests) {
    OutputCapture outer;
    PrintProgress("Loading data...");
    PrintFormatted("Processing sample %d (%d)\n", 1000, 1001);
    WriteOutput(".");
    WriteOutput(".");
    PrintProgress("Done.");
    {
        OutputCapture inner;
        PrintProgress("inner");
        EXPECT_EQ(inner.Lines(), std::vector<std::string>{"inner"});
    }
    std::thread other([] { PrintProgress(""); });  // another thread prints elsewhere
    other.join();
    PrintFormatted("%s\n", std::string(2000, 'x').c_str());  // longer than the small buffer
    const auto lines = outer.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Loading data...");
    EXPECT_EQ(lines[1], "Processing sample 1000 (1001)");
    EXPECT_EQ(lines[2], "..Done.");
    EXPECT_EQ(lines[3], std::string(2000, 'x'));
}

}  // namespace
}  // namespace fractan
