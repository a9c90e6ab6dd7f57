#include "generator/random_source.h"

#include <cmath>

namespace fractan {
namespace {

constexpr int32_t kMultiplier = 16807;
constexpr int32_t kModulus = kMinimalStandardModulus;
constexpr int32_t kQuotient = 127773;   // kModulus / kMultiplier
constexpr int32_t kRemainder = 2836;    // kModulus % kMultiplier
constexpr int32_t kDivisor = 67108864;  // 1 + (kModulus − 1) / kTableSize: table index of an output
constexpr double kScale = 4.656612875245797e-10;  // the double nearest 1 / kModulus
constexpr double kLargest = 0.99999988;           // keeps results below 1

void BuildTable(RandomSource& source, int32_t& seed) {
    // The table is filled from the negated state; a negation that is no valid
    // state (0 or below, or the modulus and above) starts from 1.
    const int64_t negated = -int64_t{seed};
    seed = (negated >= 1 && negated < kModulus) ? static_cast<int32_t>(negated) : 1;
    for (int32_t j = RandomSource::kTableSize + 7; j >= 0; --j) {
        seed = MinimalStandardStep(seed);
        if (j < RandomSource::kTableSize) source.table[j] = seed;
    }
    source.lastOutput = source.table[0];
}

}  // namespace

RandomSource& SharedRandomSource() {
    static RandomSource source;
    return source;
}

int32_t MinimalStandardStep(int32_t state) {
    const int32_t k = state / kQuotient;
    state = kMultiplier * (state - k * kQuotient) - kRemainder * k;
    if (state < 0) state += kModulus;
    return state;
}

int32_t MinimalStandardAdvance(int32_t state, uint64_t steps) {
    // Square and multiply; no product of two states leaves 62 bits.
    uint64_t result = static_cast<uint64_t>(state), power = kMultiplier;
    for (steps %= kModulus - 1; steps > 0; steps >>= 1) {
        if (steps & 1) result = result * power % kModulus;
        power = power * power % kModulus;
    }
    return static_cast<int32_t>(result);
}

double UniformDeviate(int32_t& seed) {
    RandomSource& source = SharedRandomSource();
    if (seed <= 0 || source.lastOutput == 0) BuildTable(source, seed);
    seed = MinimalStandardStep(seed);
    const int32_t j = source.lastOutput / kDivisor;
    source.lastOutput = source.table[j];
    source.table[j] = seed;
    const double result = source.lastOutput * kScale;
    return result > kLargest ? kLargest : result;
}

double GaussianDeviate(int32_t& seed, double mean, double deviation) {
    RandomSource& source = SharedRandomSource();
    // A negative state starts a fresh sequence: nothing cached survives it.
    if (seed < 0) {
        source.gaussianCached = 0;
    } else if (source.gaussianCached) {
        source.gaussianCached = 0;
        return source.cachedGaussian * deviation + mean;
    }
    double p, q, r;
    do {
        p = 2.0 * UniformDeviate(seed) - 1.0;
        q = 2.0 * UniformDeviate(seed) - 1.0;
        r = p * p + q * q;
    } while (r >= 1.0 || r == 0.0);
    const double f = std::sqrt(-2.0 * std::log(r) / r);
    source.cachedGaussian = p * f;
    source.gaussianCached = 1;
    return q * f * deviation + mean;
}

}  // namespace fractan
