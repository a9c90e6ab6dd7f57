#include "generator/spectral.h"

#include <gtest/gtest.h>

#include <cmath>

#include "generator/generator.h"
#include "generator/series_writer.h"
#include "test_support.h"

namespace fractan {
namespace {

// 16 series of 2^16 + 1 values for each H: the sample autocovariance of the
// noise (scaled back to unit variance) and the variance of the motion's
// increments over a lag L, (L / 2^16)^2H, within a few sampling errors.
// Midpoint displacement misses both by far more (at H = 0.2 its lag-1
// correlation is about −0.21 instead of −0.34).
TEST(SpectralSeries, NoiseCovarianceAndMotionIncrementsAreThoseOfFractionalBrownianMotion) {
    constexpr int32_t kLevels = 16, kSeries = 16;
    const size_t n = size_t{1} << kLevels;
    for (double hurst : {0.2, 0.5, 0.8}) {
        std::vector<double> covariance(9, 0.0), lagged(6, 0.0);
        for (int32_t seed = 1; seed <= kSeries; ++seed) {
            const std::vector<double> y = GenerateSeries(kSpectralMethod, kLevels, hurst, seed).values;
            ASSERT_EQ(y.size(), n + 1);
            ASSERT_EQ(y[0], 0.0);
            const double unit = std::pow(static_cast<double>(n), hurst);
            for (size_t k = 0; k < covariance.size(); ++k) {
                double sum = 0.0;
                for (size_t j = 0; j + k < n; ++j) sum += (y[j + 1] - y[j]) * (y[j + k + 1] - y[j + k]);
                covariance[k] += sum * unit * unit / static_cast<double>(n - k) / kSeries;
            }
            for (size_t i = 0; i < lagged.size(); ++i) {
                const size_t lag = size_t{1} << (2 * i);
                double sum = 0.0;
                for (size_t j = 0; j + lag <= n; ++j) sum += (y[j + lag] - y[j]) * (y[j + lag] - y[j]);
                lagged[i] += sum / static_cast<double>(n - lag + 1) / kSeries;
            }
        }
        for (size_t k = 0; k < covariance.size(); ++k)
            EXPECT_NEAR(covariance[k], FgnAutocovariance(hurst, static_cast<int64_t>(k)), 0.02)
                << "H " << hurst << " lag " << k;
        for (size_t i = 0; i < lagged.size(); ++i) {
            const double lag = std::ldexp(1.0, static_cast<int>(2 * i));
            EXPECT_NEAR(lagged[i] / std::pow(lag / static_cast<double>(n), 2 * hurst), 1.0, 0.1)
                << "H " << hurst << " lag " << lag;
        }
    }
}

TEST(SpectralSeries, RequestsRepeatWithTheirSeedAndWriteWhatIsBuilt) {
    test::TempDir dir;
    auto request = [&](int32_t seed, const std::string& prefix) {
        GeneratorSettings s;
        s.method = kSpectralMethod;
        s.lengthExponent = 6;
        s.seriesCount = 2;
        s.outputKind = kBinarySeries;
        s.outputPath = dir.Path();
        s.filePrefix = prefix;
        s.seed = seed;
        EXPECT_EQ(Generate(s), kGenerated);
        return std::make_pair(test::ReadDoubles(dir.File(prefix + "H=0.5-1.dat")),
                              test::ReadDoubles(dir.File(prefix + "H=0.5-2.dat")));
    };
    const auto seeded = request(5, "a");
    EXPECT_NE(seeded.first, seeded.second);
    EXPECT_EQ(request(5, "b"), seeded);
    EXPECT_NE(request(6, "c").first, seeded.first);
    const auto negative = request(-5, "d");
    EXPECT_EQ(negative.first, negative.second);
    // A seed of 0 or above gives each exponent its own draws too, the sum 0.1 + 0.1 + 0.1
    // those of 0.3; a negative seed the same draws for all.
    SpectralDraws low(5, 1, 0.3), summed(5, 1, 0.1 + 0.1 + 0.1), high(5, 1, 0.9), lowNegative(-5, 1, 0.3),
        highNegative(-5, 2, 0.9);
    EXPECT_NE(low.Gaussian(), high.Gaussian());
    EXPECT_EQ(summed.Gaussian(), SpectralDraws(5, 1, 0.3).Gaussian());
    EXPECT_EQ(lowNegative.Gaussian(), highNegative.Gaussian());
    // H = 1: every increment the same, a straight line from 0.
    const std::vector<double> line = GenerateSeries(kSpectralMethod, 4, 1.0, 3).values;
    for (size_t j = 1; j < line.size(); ++j) EXPECT_NEAR(line[j], line[1] * static_cast<double>(j), 1e-6);
    GeneratorSettings wrong;
    wrong.method = 2;
    EXPECT_EQ(GeneratorRefusal(wrong), "The generator method is 2, it must be 0 (RMD) or 1 (FFT).");
}

}  // namespace
}  // namespace fractan
