#include "setup/output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "setup/ordered_jobs.h"

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


// Later files ending first change nothing the user sees: every file's lines
// come together and in list order, its commit after them, each commit once.
TEST(RunInListOrder, KeepsListOrderWhateverEndsFirst) {
    OutputCapture out;
    std::string expected;
    std::vector<int> committed;
    RunInListOrder(
        6, 3,
        [](int32_t i) {
            PrintFormatted("work %d begins\n", i);
            std::this_thread::sleep_for(std::chrono::milliseconds(5 * (6 - i)));
            PrintFormatted("work %d ends\n", i);
        },
        [&](int32_t i) {
            committed.push_back(i);
            PrintFormatted("commit %d\n", i);
        });
    for (int i = 0; i < 6; ++i)
        expected += "work " + std::to_string(i) + " begins\nwork " + std::to_string(i) + " ends\ncommit " +
                    std::to_string(i) + "\n";
    EXPECT_EQ(out.Text(), expected);
    EXPECT_EQ(committed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace fractan
