#include "clusters/distribution.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include "test_support.h"

namespace fractan {
namespace {

using Lines = std::vector<std::string>;

struct DistributionCase {
    test::TempDir dir;
    std::string path = dir.File("d.txt");
    Distribution d;
    Distribution& With(std::initializer_list<double> values, double step, int64_t mostBins = Distribution::kMaxBins) {
        for (double v : values) d.Add(v);
        d.SetStep(step, mostBins);
        return d;
    }
};

TEST(Distribution, StatisticsBlockAndLinearBins) {
    DistributionCase c;
    ASSERT_TRUE(c.With({1, 2, 2, 3}, 1.0).Write(c.path, false));
    EXPECT_EQ(test::ReadText(c.path),
              "Size:\t3\tStep:\t1\n"
              "Min:\t1\tMax:\t3\n"
              "Mu:\t2\tSigma:\t0.816497\n"
              "Skewness:\t0\tCurtosis:\t1.5\n"
              "1\t0.250000000000000\n"
              "2\t0.500000000000000\n"
              "3\t0.250000000000000\n");

    DistributionCase halves;  // empty bins between the extremes are written with 0
    ASSERT_TRUE(halves.With({0.5, -0.5}, 1.0).Write(halves.path, false));
    const Lines lines = test::ReadLines(halves.path);
    EXPECT_EQ(Lines(lines.begin() + 4, lines.end()),
              (Lines{"-1\t0.500000000000000", "0\t0.000000000000000", "1\t0.500000000000000"}));

    DistributionCase wide;  // step 2: 3 lies in the bin centred on 4, 2.9 in the one on 2
    ASSERT_TRUE(wide.With({2.9, 3.0}, 2.0).Write(wide.path, false));
    const Lines w = test::ReadLines(wide.path);
    EXPECT_EQ(Lines(w.begin() + 4, w.end()), (Lines{"2\t0.500000000000000", "4\t0.500000000000000"}));

    DistributionCase capped;  // 11 bins over a cap of 4: the least multiple of the step that fits
    ASSERT_TRUE(capped.With({0, 10}, 1.0, 4).Write(capped.path, false));
    EXPECT_EQ(test::ReadLines(capped.path)[0], "Size:\t4\tStep:\t3");
    DistributionCase tiny;  // 10^18 bins: widened to a thousand
    EXPECT_EQ(tiny.With({0.0, 1e6}, 1e-12, 1000).BinCount(), 1000);

    DistributionCase single;
    ASSERT_TRUE(single.With({7}, 1.0).Write(single.path, false));
    const Lines s = test::ReadLines(single.path);
    EXPECT_EQ(s[2], "Mu:\t7\tSigma:\t0");
    EXPECT_EQ(s[4], "7\t1.000000000000000");

    DistributionCase log;  // log10 of 1, 10, 100: each frequency divided by 10 to its centre
    ASSERT_TRUE(log.With({0.0, 1.0, 2.0}, 1.0).Write(log.path, true));
    const Lines l = test::ReadLines(log.path);
    EXPECT_EQ(Lines(l.begin() + 4, l.end()),
              (Lines{"0\t0.333333333333333", "1\t0.033333333333333", "2\t0.003333333333333"}));
}

TEST(Distribution, SkewnessOfAnAsymmetricSample) {
    Distribution d;
    for (double v : {0.0, 0.0, 3.0}) d.Add(v);
    EXPECT_DOUBLE_EQ(d.Mu(), 1.0);
    EXPECT_NEAR(d.Sigma(), std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(d.Skewness(), std::sqrt(3.0), 1e-12);  // 3/(2·1) · 6 / √3³
    EXPECT_FALSE(std::isfinite(d.Kurtosis()));  // N = 3 divides by N − 3
}

TEST(Distribution, ExtremesBeyondTheIntegerRange) {
    DistributionCase c;
    ASSERT_TRUE(c.With({3e9, 4e9}, 1e9).Write(c.path, false));
    const Lines lines = test::ReadLines(c.path);
    EXPECT_EQ(lines[0], "Size:\t2\tStep:\t1e+09");
    EXPECT_EQ(lines[1], "Min:\t3e+09\tMax:\t4e+09");
}

TEST(Distribution, NothingIsWrittenWithoutValuesStepOrBins) {
    {
        DistributionCase empty;
        test::WriteText(empty.path, "an earlier run\n");
        empty.d.SetStep(1.0);
        EXPECT_FALSE(empty.d.Write(empty.path, false));
        EXPECT_EQ(test::ReadText(empty.path), "an earlier run\n");  // untouched
    }
    for (double step : {0.0, -1.0}) {
        DistributionCase c;
        EXPECT_FALSE(c.With({1, 2}, step).Write(c.path, false));
        EXPECT_EQ(c.d.BinCount(), 0);
        EXPECT_FALSE(test::Exists(c.path));
    }
    {
        DistributionCase blocked;
        ASSERT_EQ(::mkdir(blocked.path.c_str(), 0777), 0);
        EXPECT_FALSE(blocked.With({1}, 1.0).Write(blocked.path, false));
        EXPECT_TRUE(blocked.d.Writable());
    }
}

}  // namespace
}  // namespace fractan
