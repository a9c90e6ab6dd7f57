#include "engine/checks.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/analysis.h"
#include "engine/driver.h"
#include "test_support.h"

namespace fractan {
namespace {

// The check of records beyond the table of refusals that every front end reads
// (tests/refusals.tsv): the progression, and types without a family given.
TEST(Checks, RefusalsOfThePagesAndTheCommand) {
    enum Check { kDmaPage, kDfaPage, kCommand };
    struct Case {
        Check check;
        int type, W, size;
        const ScaleProgression* progression;
        int weight = 0;
        double theta = 0.0;
        std::string reason = "";
        std::optional<IntervalRequest> interval = {};
    };
    const ScaleProgression p{5, 50, 5, kLinear, {}}, one{1, 50, 7, kLinear, {}};
    const ScaleProgression typeSeven{5, 50, 5, 7, {}};
    const ScaleProgression two{2, 50, 8, kLinear, {}};
    const ScaleProgression never;  // a step of 0: no size
    const std::vector<Case> cases = {
        {kDmaPage, 2, 10, 111, &never, 0, 0,
         "Moving average progression is not valid: a linear progression needs a step of 1 or more; the step is 0."},
        {kDmaPage, 2, 10, 111, &typeSeven, 0, 0,
         "Moving average progression is not valid: progression type 7 is not 0 (linear), 1 (geometric) or 2 (custom)."},
        {kDmaPage, 2, 10, 111, &p},
        {kDmaPage, 8, 10, 111, &p, 4},
        {kDmaPage, 6, 10, 111, &p, 50},  // only types 4 and 8 use the weight
        {kDmaPage, 2, 10, 111, &one},
        {kDmaPage, 7, 10, 111, &p},
        {kDmaPage, 5, 10, 111, &p, 0, 1.0},
        {kDfaPage, 1, 100, 101, &p},
        {kDfaPage, 3, 100, 101, &two},
        {kCommand, 9, 10, 111, &p},  // no type list for 9
        {kCommand, 3, 100, 101, &never, 0, 0, "The progression gives 0 scales (a linear progression needs a step of 1 "
                                              "or more; the step is 0); H is the slope over two or more."},
        {kCommand, 12, 10, 111, &p, 0, 0,
         "Computation type 12 is not one of the types 0 ... 9: 0, 2 and 4 ... 9 for DMA, 1 and 3 for DFA."},
        {kDmaPage, 2, 10, 111, &p, 0, 0, "", IntervalRequest{}},
        {kDfaPage, 1, 100, 101, &p, 0, 0, "An interval on H is given for static methods only.", IntervalRequest{}},
        {kDmaPage, 2, 10, 111, &p, 0, 0, "The interval's level is 1; it must lie between 0 and 1, such as 0.95.",
         IntervalRequest{1.0}},
        {kDfaPage, 3, 100, 101, &p, 0, 0, "The bootstrap is asked for 1 series; it takes 2 or more.",
         IntervalRequest{0.9, 1}},
    };
    for (const Case& k : cases) {
        AnalysisParameters r;
        r.computationType = k.type;
        r.windowSize = k.W;
        r.dataSize = k.size;
        r.averageProgression = *k.progression;
        r.dmaWeight = k.weight;
        r.shiftPercentage = k.theta;
        r.dfaOrder = 0;  // boxes of 2 hold a residual
        r.interval = k.interval.has_value();
        r.intervalRequest = k.interval.value_or(IntervalRequest{});
        const std::optional<MethodFamily> family = k.check == kDmaPage   ? std::optional(MethodFamily::kDma)
                                                   : k.check == kDfaPage ? std::optional(MethodFamily::kDfa)
                                                                         : std::nullopt;
        const std::string reason = PlanRun(r, family).refusal.reason;
        EXPECT_EQ(reason, k.reason) << k.check << " type " << k.type << " size " << k.size;
    }
}

std::string Moves(const char* theta, int n, const char* by, int M) {
    return std::string("shift percentage ") + theta + " moves moving average window " + std::to_string(n) + " by " +
           by + " samples; shifts must lie within 0 ... " + std::to_string(M) + ", the maximum moving average";
}

// The engine's own refusals, before anything is read past the samples, for every
// family; the file runs give the same reasons.
TEST(Refusals, EveryFamilySaysWhy) {
    struct Case {
        int type, W;
        std::vector<int32_t> sizes;
        std::string reason;
        int weight = 0;
        double theta = 0.0;
    };
    const std::vector<int32_t> p = {4, 8};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {2, 90, p, "it holds 100 samples, fewer than the 106 that window size 90 and maximum moving average 8 need"},
        {5, 85, p, "it holds 100 samples, fewer than the 101 that window size 85 and maximum moving average 8 need",
         0, 0.5},  // type 5 reads M ahead of its last position
        {3, 100, p, "it holds 100 samples, fewer than the 101 that window size 100 needs"},
        {0, 0, p, "the window size is 0, it must be at least 1"},
        {0, 10, {0, 4}, "the moving average window 0 is below 1"},
        {0, 10, {}, "the moving average progression gives no window size"},
        {1, 10, {2, 4}, "the box size 2 is below 3"},
        {7, 10, {40, 4}, "moving average window 40 reads 10 samples ahead, more than the 4 of the maximum moving "
                         "average (the last one)"},
        {7, 10, {3, 4}, "the moving average window 3 is below 4, the least for first-order DMA: the line of window 3 "
                        "runs through the compared sample itself, window 2 has no slope"},
        {4, 10, p, "the DMA filter weight is -2, it must be at least 0", -2},
        {6, 10, p, Moves("1.5", 8, "12", 8), 0, 1.5},
        {6, 10, p, "shift percentage -0.01 is below 0", 0, -0.01},  // though every shift rounds to 0
        {6, 10, p, Moves("1e+12", 4, "4e+12", 8), 0, 1e12},         // no overflow in the rounding
        {5, 10, p, Moves("nan", 4, "nan", 8), 0, nan},
        {6, 10, {8, 4}, Moves("1", 8, "8", 4), 0, 1.0},  // a custom list whose last is not the largest
        {6, 10, {8, 4}, "", 0, 0.5},
    };
    for (const Case& k : cases) {
        AnalysisSettings s;
        s.computationType = k.type;
        s.windowSize = k.W;
        s.sizes = k.sizes;
        s.dmaWeight = k.weight;
        s.shiftPercentage = k.theta;
        OutputCapture quiet;
        const AnalysisResult r = Analyse(test::RandomWalk(100, 1), s);
        EXPECT_EQ(r.reason, k.reason) << k.type;
        EXPECT_EQ(r.status == AnalysisStatus::kRefused, !k.reason.empty()) << k.type;
    }
}

}  // namespace
}  // namespace fractan
