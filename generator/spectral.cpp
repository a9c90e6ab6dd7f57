#include "generator/spectral.h"

#include <fftw3.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// The stop is polled once per this many values.
constexpr size_t kStopStride = size_t{1} << 16;

// FFTW's planner is not thread-safe: plans are made and destroyed one at a
// time, while executing them may go on in any thread.
std::mutex planner;

template <class Make>
fftw_plan MakePlan(Make make) {
    std::lock_guard lock(planner);
    return make();
}

void DestroyPlan(fftw_plan plan) {
    std::lock_guard lock(planner);
    if (plan) fftw_destroy_plan(plan);
}

// An FFTW plan for one transform, destroyed with its owner. The guru64
// interface takes lengths beyond 2^31.
struct Transform {
    fftw_plan plan;
    ~Transform() { DestroyPlan(plan); }
    // False when FFTW could not plan it (out of memory for its tables).
    bool Run() const {
        if (plan) fftw_execute(plan);
        return plan != nullptr;
    }
};

// The covariances of fractional Gaussian noise of n values embedded in a
// circulant of order 2n: a[0 … 2n − 1]; false after a stop.
bool FillCovariances(double hurst, size_t n, double* a) {
    StopCheck stopRequested;
    const size_t m = 2 * n;
    for (size_t k = 0; k <= n; ++k) {
        a[k] = FgnAutocovariance(hurst, static_cast<int64_t>(k));
        if (k % kStopStride == 0 && stopRequested()) return false;
    }
    for (size_t k = n + 1; k < m; ++k) a[k] = a[m - k];
    return true;
}

// The deviation of each complex draw, from the eigenvalues eigen[k·stride],
// k = 0 … n, into roots[k·rootStride]: the square root of the eigenvalue at 0
// and n, whose draws are real, and of half of it between. Rounding may leave
// an eigenvalue slightly below 0; the reason when one is clearly so.
std::string EigenvalueRoots(double hurst, size_t n, const double* eigen, size_t stride, double* roots,
                            size_t rootStride) {
    const double rounding = 2e-10 * static_cast<double>(n);
    for (size_t k = 0; k <= n; ++k) {
        double eigenvalue = eigen[k * stride];
        if (eigenvalue < 0.0) {
            if (eigenvalue < -rounding)
                return "The circulant embedding for H=" + std::to_string(hurst) + " has a negative eigenvalue.";
            eigenvalue = 0.0;
        }
        roots[k * rootStride] = k == 0 || k == n ? std::sqrt(eigenvalue) : std::sqrt(eigenvalue / 2.0);
    }
    return {};
}

// Each root scales its complex Gaussian, in order; the conjugate half is
// implied. `roots` may be the spectrum's own real parts. False after a stop.
bool DrawSpectrum(const double* roots, size_t rootStride, size_t n, SpectralDraws& draws, fftw_complex* spectrum) {
    StopCheck stopRequested;
    for (size_t k = 0; k <= n; ++k) {
        const double root = roots[k * rootStride];
        spectrum[k][0] = root * draws.Gaussian();
        spectrum[k][1] = k == 0 || k == n ? 0.0 : root * draws.Gaussian();
        if (k % kStopStride == 0 && stopRequested()) return false;
    }
    return true;
}

// The least length of n or more whose only prime factors are 2, 3, 5 and 7,
// which FFTW transforms fastest.
size_t SmoothLength(size_t n) {
    for (size_t length = std::max<size_t>(n, 1);; ++length) {
        size_t rest = length;
        for (size_t p : {2, 3, 5, 7})
            while (rest % p == 0) rest /= p;
        if (rest == 1) return length;
    }
}

}  // namespace

double SpectralDraws::Gaussian() {
    if (cached_) {
        cached_ = false;
        return cachedValue_;
    }
    auto uniform = [&] { return 2.0 * std::ldexp(static_cast<double>(engine_() >> 11), -53) - 1.0; };
    double p, q, r;
    do {
        p = uniform();
        q = uniform();
        r = p * p + q * q;
    } while (r >= 1.0 || r == 0.0);
    const double f = std::sqrt(-2.0 * std::log(r) / r);
    cachedValue_ = p * f;
    cached_ = true;
    return q * f;
}

SpectralDraws::SpectralDraws(int32_t seed, int32_t series, double hurst) {
    const uint32_t chosen = static_cast<uint32_t>(seed);
    if (seed < 0) {
        engine_.seed(uint64_t{chosen} << 32);
        return;
    }
    // The seed sequence mixes all three into the engine's state; the exponent
    // rounded, so that one reached by adding steps (0.1 + 0.1 + 0.1) draws as
    // the number it is named by (0.3) does.
    const uint64_t exponent = static_cast<uint64_t>(std::llround(hurst * 1e9));
    std::seed_seq words{chosen, static_cast<uint32_t>(series), static_cast<uint32_t>(exponent),
                        static_cast<uint32_t>(exponent >> 32)};
    engine_.seed(words);
}

// The array of 2^(levels+1) + 2 doubles, FFTW's buffer of as much and its
// tables: the peak resident size grows by 33 bytes a value (measured at
// 2^22 and 2^24 values).
double SpectralSeriesBytes(int32_t levels) { return 33.0 * (std::ldexp(1.0, levels) + 1.0); }

double FgnAutocovariance(double hurst, int64_t lag) {
    const double k = static_cast<double>(std::llabs(lag)), a = 2.0 * hurst;
    if (k < 8.0) return 0.5 * (std::pow(k + 1.0, a) - 2.0 * std::pow(k, a) + std::pow(std::fabs(k - 1.0), a));
    // Far out the three powers are huge and nearly cancel: sum the expansion
    // k^a · Σ binom(a, 2j) k^−2j instead, whose terms shrink by 64 or more.
    const double x2 = 1.0 / (k * k);
    double term = a * (a - 1.0) / 2.0 * x2, sum = 0.0;
    for (int i = 2; term != 0.0 && std::fabs(term) > 1e-17 * std::fabs(sum); i += 2) {
        sum += term;
        term *= (a - i) * (a - i - 1.0) / ((i + 1.0) * (i + 2.0)) * x2;
    }
    return std::pow(k, a) * sum;
}

std::vector<double> BuildSpectralSeries(int32_t levels, double hurst, SpectralDraws& draws, int32_t series,
                                        std::string& reason) {
    StopCheck stopRequested;
    reason.clear();
    const size_t n = size_t{1} << levels;  // increments
    const size_t m = 2 * n;                // the circulant's order
    auto stage = [&](const char* what) { PrintFormatted("Building series %d (H=%g). %s\n", series, hurst, what); };
    auto noMemory = [&] {
        reason = "Not enough memory for a series of 2^" + std::to_string(levels) + " + 1 values.";
        return std::vector<double>{};
    };
    std::vector<double> a;  // m reals, then their m/2 + 1 complex transforms in place
    try {
        a.resize(m + 2);
    } catch (const std::bad_alloc&) {
        return noMemory();
    }

    stage("Covariances");
    if (!FillCovariances(hurst, n, a.data())) return {};

    stage("Eigenvalues");
    auto* spectrum = reinterpret_cast<fftw_complex*>(a.data());
    const fftw_iodim64 length{static_cast<ptrdiff_t>(m), 1, 1};
    if (!Transform{MakePlan([&] {
            return fftw_plan_guru64_dft_r2c(1, &length, 0, nullptr, a.data(), spectrum, FFTW_ESTIMATE);
        })}.Run())
        return noMemory();
    if (stopRequested()) return {};

    // The roots overwrite the real parts their eigenvalues were read from.
    stage("Gaussian draws");
    reason = EigenvalueRoots(hurst, n, a.data(), 2, a.data(), 2);
    if (!reason.empty()) return {};
    if (!DrawSpectrum(a.data(), 2, n, draws, spectrum)) return {};

    stage("Transform");
    if (!Transform{MakePlan([&] {
            return fftw_plan_guru64_dft_c2r(1, &length, 0, nullptr, spectrum, a.data(), FFTW_ESTIMATE);
        })}.Run())
        return noMemory();
    if (stopRequested()) return {};

    // The first n values are the noise, of variance m before scaling; the
    // motion is their sum from 0, on steps of 1/n.
    const double scale = std::pow(static_cast<double>(n), -hurst) / std::sqrt(static_cast<double>(m));
    for (size_t j = n; j >= 1; --j) a[j] = a[j - 1] * scale;
    a[0] = 0.0;
    for (size_t j = 1; j <= n; ++j) a[j] += a[j - 1];
    a.resize(n + 1);
    return a;
}

}  // namespace fractan

namespace fractan {

NoiseSampler::NoiseSampler(int64_t length, double hurst)
    : length_(static_cast<size_t>(std::max<int64_t>(length, 1))), n_(SmoothLength(length_)) {
    const size_t m = 2 * n_;
    double* a = static_cast<double*>(fftw_malloc(sizeof(double) * (m + 2)));
    if (!a) {
        reason_ = "Not enough memory for noise of " + std::to_string(length) + " values.";
        return;
    }
    auto* spectrum = reinterpret_cast<fftw_complex*>(a);
    const fftw_iodim64 dimension{static_cast<ptrdiff_t>(m), 1, 1};
    if (!FillCovariances(hurst, n_, a)) {
        reason_ = "stopped";
    } else if (Transform{MakePlan([&] {
                   return fftw_plan_guru64_dft_r2c(1, &dimension, 0, nullptr, a, spectrum, FFTW_ESTIMATE);
               })}.Run()) {
        roots_.resize(n_ + 1);
        reason_ = EigenvalueRoots(hurst, n_, a, 2, roots_.data(), 1);
        if (reason_.empty())
            plan_ = MakePlan([&] { return fftw_plan_guru64_dft_c2r(1, &dimension, 0, nullptr, spectrum, a, FFTW_ESTIMATE); });
    }
    fftw_free(a);
    if (reason_.empty() && !plan_) reason_ = "Not enough memory for noise of " + std::to_string(length) + " values.";
}

NoiseSampler::~NoiseSampler() {
    DestroyPlan(static_cast<fftw_plan>(plan_));
}

bool NoiseSampler::Draw(SpectralDraws& draws, std::vector<double>& noise) const {
    if (!plan_) return false;
    const size_t m = 2 * n_;
    // An array of FFTW's own alignment, as the plan was made on.
    std::unique_ptr<double, decltype(&fftw_free)> a(static_cast<double*>(fftw_malloc(sizeof(double) * (m + 2))),
                                                    &fftw_free);
    if (!a) return false;
    auto* spectrum = reinterpret_cast<fftw_complex*>(a.get());
    if (!DrawSpectrum(roots_.data(), 1, n_, draws, spectrum)) return false;
    fftw_execute_dft_c2r(static_cast<fftw_plan>(plan_), spectrum, a.get());
    const double scale = 1.0 / std::sqrt(static_cast<double>(m));
    noise.resize(length_);
    for (size_t j = 0; j < length_; ++j) noise[j] = a.get()[j] * scale;
    return true;
}

}  // namespace fractan
