#pragma once
// Exact fractional Brownian motion by circulant embedding (Davies and Harte):
// the autocovariance of fractional Gaussian noise,
// 0.5·(|k+1|^2H − 2|k|^2H + |k−1|^2H), embedded in a circulant matrix of
// twice the length, whose eigenvalues (one real FFT) scale complex Gaussian
// draws; a second FFT gives noise with exactly that covariance, and its
// cumulative sum the motion. Unlike midpoint displacement, every lag has the
// right correlation.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fractan {

// The Gaussian draws of one spectral series: a 64-bit Mersenne twister (the
// same numbers on every platform) and the polar Box–Muller transform.
class SpectralDraws {
public:
    // The draws of series number `series` (from 1) at exponent `hurst` of a
    // request: a negative seed gives every series and exponent the same draws,
    // any other seed each series and exponent (to nine decimals) draws of
    // their own.
    SpectralDraws(int32_t seed, int32_t series, double hurst);
    double Gaussian();

private:
    std::mt19937_64 engine_;
    bool cached_ = false;
    double cachedValue_ = 0.0;
};

// Bytes a series of 2^levels + 1 values needs while it is built.
double SpectralSeriesBytes(int32_t levels);

// The autocovariance of unit-variance fractional Gaussian noise at lag k.
double FgnAutocovariance(double hurst, int64_t lag);

// 2^levels + 1 values of fractional Brownian motion on [0, 1] with
// Var B(1) = 1, starting at 0: increments of deviation 2^(−levels·H). Prints
// a line per stage for series number `series`; empty, with the reason in
// `reason` (empty after a stop), when stopped or out of memory.
std::vector<double> BuildSpectralSeries(int32_t levels, double hurst, SpectralDraws& draws, int32_t series,
                                        std::string& reason);

// Exact fractional Gaussian noise of any length at one H, drawn many times:
// the circulant's eigenvalues and the transform's plan are made once, and
// Draw may then run on many threads at once.
class NoiseSampler {
public:
    NoiseSampler(int64_t length, double hurst);
    ~NoiseSampler();
    NoiseSampler(const NoiseSampler&) = delete;
    NoiseSampler& operator=(const NoiseSampler&) = delete;

    // Why no noise can be drawn (no memory, a negative eigenvalue); empty when it can.
    const std::string& Reason() const { return reason_; }
    // `length` values of unit-variance noise from `draws`; false without memory.
    bool Draw(SpectralDraws& draws, std::vector<double>& noise) const;

private:
    size_t length_ = 0;
    size_t n_ = 0;               // the embedded length: length or more, of small prime factors
    std::vector<double> roots_;  // the deviation of each complex draw
    void* plan_ = nullptr;       // the FFTW plan of the inverse transform, in place
    std::string reason_;
};

}  // namespace fractan
