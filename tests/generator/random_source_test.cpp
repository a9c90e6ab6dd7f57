#include "generator/random_source.h"

#include <gtest/gtest.h>

#include <vector>

namespace fractan {
namespace {

TEST(MinimalStandardStep, ParkAndMillerCheckAndSchrageStaysExact) {
    int32_t state = 1;
    for (int i = 0; i < 10000; ++i) state = MinimalStandardStep(state);
    EXPECT_EQ(state, 1043618065);

    // Schrage's factorisation against the plain 64-bit product, across the range.
    for (int64_t s : {1LL, 2LL, 127772LL, 127773LL, 127774LL, 1043618065LL, 2147483646LL}) {
        EXPECT_EQ(MinimalStandardStep(static_cast<int32_t>(s)), (16807 * s) % 2147483647) << s;
    }
}

TEST(UniformDeviate, PublishedSequenceFromMinusOneAndItsRestarts) {
    const std::vector<double> published{0.415999, 0.0919649, 0.756410};
    int32_t seed = -1;
    std::vector<double> first;
    for (int i = 0; i < 1000; ++i) first.push_back(UniformDeviate(seed));
    for (size_t i = 0; i < published.size(); ++i) EXPECT_NEAR(first[i], published[i], 5e-7) << i;
    for (double u : first) {
        EXPECT_GT(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
    EXPECT_GT(seed, 0);  // the table was built and the state carried on

    // A negative state rebuilds the table: the same sequence again, whatever came before.
    seed = -1;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(UniformDeviate(seed), first[i]) << i;

    // A state of 0 builds from 1, as −1 does; a positive state keeps the table.
    seed = 0;
    EXPECT_EQ(UniformDeviate(seed), first[0]);
    int32_t positive = 5;
    const double carried = UniformDeviate(positive);
    seed = -1;
    UniformDeviate(seed);
    positive = 5;
    EXPECT_EQ(UniformDeviate(positive), carried);  // same state, same table

    // The most negative states have no valid negation: they build from 1.
    for (int32_t extreme : {INT32_MIN, -2147483647}) {
        seed = extreme;
        EXPECT_EQ(UniformDeviate(seed), first[0]) << extreme;
    }
}

TEST(GaussianDeviate, PublishedPairsFromMinusOneAndTheCache) {
    const std::vector<double> published{-0.836854, -0.172280, 0.187117, 1.61544};
    int32_t seed = -1;
    std::vector<double> first;
    for (int i = 0; i < 4; ++i) first.push_back(GaussianDeviate(seed, 0.0, 1.0));
    for (size_t i = 0; i < published.size(); ++i) EXPECT_NEAR(first[i], published[i], 5e-6) << i;

    // Mean and deviation scale the same draws, the cached one included.
    seed = -1;
    EXPECT_DOUBLE_EQ(GaussianDeviate(seed, 10.0, 2.0), 10.0 + 2.0 * first[0]);
    EXPECT_DOUBLE_EQ(GaussianDeviate(seed, -1.0, 3.0), -1.0 + 3.0 * first[1]);

    // Half a pair is left in the cache; a negative state drops it, a positive one takes it.
    seed = -1;
    GaussianDeviate(seed, 0.0, 1.0);
    seed = -1;
    EXPECT_EQ(GaussianDeviate(seed, 0.0, 1.0), first[0]);
    seed = 12345;
    EXPECT_EQ(GaussianDeviate(seed, 0.0, 1.0), first[1]);
    EXPECT_EQ(seed, 12345);  // the cached value draws nothing
}

}  // namespace
}  // namespace fractan
