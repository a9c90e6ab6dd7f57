#pragma once
// The series and scales that the benchmarks share: Gaussian random walks, the
// same for a seed on every machine (std::mt19937_64 is fixed by the standard).

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace fractan {

inline std::vector<double> Walk(size_t n, unsigned seed) {
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> step;
    std::vector<double> x(n);
    double y = 0.0;
    for (double& v : x) v = y += step(engine);
    return x;
}

inline constexpr int32_t kLongWalk = 10'000'000;

// The walk of 10^7 samples from seed 7, made once for the whole run.
inline const std::vector<double>& LongWalkInMemory() {
    static const std::vector<double> walk = Walk(kLongWalk, 7);
    return walk;
}

// The DMA window sizes 50, 100, … 1000.
inline std::vector<int32_t> DmaWindows() {
    std::vector<int32_t> sizes;
    for (int32_t n = 50; n <= 1000; n += 50) sizes.push_back(n);
    return sizes;
}

}  // namespace fractan
