#pragma once
// The random source of the series generator: Park and Miller's minimal standard
// generator (multiplier 16807, modulus 2^31 − 1) with a 32-entry Bays–Durham
// shuffle, and Gaussian deviates by the polar Box–Muller transform, one of each
// pair kept for the next call.
//
// The shuffle table, its last output and the Gaussian cache are process-wide
// and live for the whole run of the program. The seed state belongs to the
// caller and is updated by every draw: a state of 0 or below rebuilds the
// table (from the state's negation, or from 1), and a negative state also
// clears the Gaussian cache.

#include <cstdint>

namespace fractan {

// The modulus of the minimal standard generator: its states are 1 … 2^31 − 2.
inline constexpr int32_t kMinimalStandardModulus = 2147483647;

struct RandomSource {
    static constexpr int32_t kTableSize = 32;
    int32_t table[kTableSize] = {};
    int32_t lastOutput = 0;  // 0 until the table has been built
    int32_t gaussianCached = 0;
    double cachedGaussian = 0.0;
};

// The process-wide state. Not for use by two threads at once.
RandomSource& SharedRandomSource();

// One step of the minimal standard generator by Schrage's factorisation, so
// that no product leaves 32 bits: 16807 · state mod (2^31 − 1).
int32_t MinimalStandardStep(int32_t state);

// The state `steps` steps after `state`: state · 16807^steps mod (2^31 − 1).
int32_t MinimalStandardAdvance(int32_t state, uint64_t steps);

// A uniform deviate in (0, 1).
double UniformDeviate(int32_t& seed);

// A Gaussian deviate of the given mean and standard deviation.
double GaussianDeviate(int32_t& seed, double mean, double deviation);

}  // namespace fractan
