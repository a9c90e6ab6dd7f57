#include "engine/checks.h"

#include <gtest/gtest.h>

namespace fractan {
namespace {

AnalysisParameters Dma(int type, int windowSize, int dataSize) {
    AnalysisParameters p;
    p.computationType = type;
    p.windowSize = windowSize;
    p.dataSize = dataSize;
    p.averageProgression = ScaleProgression{5, 50, 5, kLinear, {}};
    return p;
}

TEST(Checks, DmaPage) {
    AnalysisParameters p;
    EXPECT_EQ(CheckDmaParameters(p), "Unknown is not a valid computation type for DMA.");
    p.computationType = 3;
    EXPECT_EQ(CheckDmaParameters(p), "Static DFA (3) is not a valid computation type for DMA.");
    p.computationType = 9;
    EXPECT_EQ(CheckDmaParameters(p), "Unknown is not a valid computation type for DMA.");
    p.computationType = 2;  // the defaults' progression never ends
    EXPECT_EQ(CheckDmaParameters(p), "Moving average progression is not valid.");

    EXPECT_EQ(CheckDmaParameters(Dma(2, 10, 110)),
              "Data size must be greater than window size plus maximum moving average times two.");
    EXPECT_EQ(CheckDmaParameters(Dma(2, 10, 111)), "");

    const std::string weightReason =
        "DMA filter weight should be greater than or equal to zero and less than the smallest moving average.";
    for (int type : {4, 8}) {
        AnalysisParameters w = Dma(type, 10, 111);
        w.dmaWeight = 5;
        EXPECT_EQ(CheckDmaParameters(w), weightReason);
        w.dmaWeight = -1;
        EXPECT_EQ(CheckDmaParameters(w), weightReason);
        w.dmaWeight = 4;
        EXPECT_EQ(CheckDmaParameters(w), "");
    }
    AnalysisParameters unchecked = Dma(6, 10, 111);
    unchecked.dmaWeight = 50;  // only types 4 and 8 use the weight
    EXPECT_EQ(CheckDmaParameters(unchecked), "");
}

TEST(Checks, MovingAveragesWithoutSlotsAreRefused) {
    AnalysisParameters p = Dma(2, 10, 111);
    p.averageProgression = ScaleProgression{0, 50, 5, kLinear, {}};
    EXPECT_EQ(CheckDmaParameters(p), "Moving average windows must be at least 1.");
    p.averageProgression = ScaleProgression{1, 50, 7, kLinear, {}};
    EXPECT_EQ(CheckDmaParameters(p), "");
    p.computationType = 7;
    EXPECT_EQ(CheckDmaParameters(p), "Moving average windows must be at least 2 for 1st order DMA.");
}

TEST(Checks, WindowsThatWouldReadOutsideTheDataAreRefused) {
    const std::string shiftReason =
        "Shift percentage must shift every moving average by 0 up to the maximum moving average.";
    for (int type : {5, 6}) {
        AnalysisParameters p = Dma(type, 10, 111);
        for (double theta : {0.0, 0.5, 1.0}) {
            p.shiftPercentage = theta;
            EXPECT_EQ(CheckDmaParameters(p), "") << theta;
        }
        for (double theta : {-0.5, 1.01}) {
            p.shiftPercentage = theta;
            EXPECT_EQ(CheckDmaParameters(p), shiftReason) << theta;
        }
    }
    AnalysisParameters first = Dma(7, 10, 111);
    EXPECT_EQ(CheckDmaParameters(first), "");
    AnalysisParameters nine = Dma(9, 10, 111);
    nine.dmaWeight = -1;  // the page does not offer 9, so its weight has no other check
    EXPECT_EQ(CheckParametersForType(nine), "DMA filter weight should be greater than or equal to zero.");
}

TEST(Checks, DfaPage) {
    AnalysisParameters p;
    p.computationType = 2;
    EXPECT_EQ(CheckDfaParameters(p), "Static DMA (2) is not a valid computation type for DFA.");
    p.computationType = 1;
    p.windowSize = 100;
    p.dataSize = 100;
    EXPECT_EQ(CheckDfaParameters(p), "Data size must be at least greater than window size by one.");
    p.dataSize = 101;
    EXPECT_EQ(CheckDfaParameters(p), "");
}

TEST(Checks, CommandLinePicksTheFamily) {
    AnalysisParameters nine = Dma(9, 10, 111);
    EXPECT_EQ(CheckParametersForType(nine), "");  // no type list for 9
    nine.dataSize = 110;
    EXPECT_EQ(CheckParametersForType(nine),
              "Data size must be greater than window size plus maximum moving average times two.");
    AnalysisParameters dfa = Dma(3, 100, 101);
    EXPECT_EQ(CheckParametersForType(dfa), "");  // DFA checks: no progression check
    AnalysisParameters other = Dma(12, 10, 111);
    EXPECT_EQ(CheckParametersForType(other), "Unknown is not a valid computation type for DMA.");
    AnalysisParameters zero = Dma(0, 10, 110);
    EXPECT_EQ(CheckParametersForType(zero),
              "Data size must be greater than window size plus maximum moving average times two.");
}

}  // namespace
}  // namespace fractan
