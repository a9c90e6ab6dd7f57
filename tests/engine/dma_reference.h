#pragma once
// DMA computed in the test the way the method is described, with its own
// trailing mean, so that the engine's results can be compared digit for digit.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "setup/containers.h"
#include "test_support.h"

namespace fractan::test {

// Trailing mean with a running sum: sum − oldest once full, then sum = x + sum,
// divided by the number of samples held.
class ReferenceMean {
public:
    explicit ReferenceMean(int n) : ring_(n, 0.0), n_(n) {}
    double Push(double x) {
        if (++count_ > n_) sum_ = sum_ - ring_[next_];
        ring_[next_] = x;
        next_ = (next_ + 1) % n_;
        sum_ = x + sum_;
        return sum_ / std::min(count_, n_);
    }

private:
    std::vector<double> ring_;
    int n_, next_ = 0, count_ = 0;
    double sum_ = 0.0;
};

// The slope of log10 F_k against log10 n_k, the sums taken in the engine's order.
inline double FitSlope(const std::vector<int>& sizes, const std::vector<double>& f) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t k = 0; k < sizes.size(); ++k) {
        const double X = std::log10(sizes[k]), Y = std::log10(f[k]);
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    return LeastSquaresSlope(sx, sy, sxy, sxx, sizes.size());
}

struct StaticReference {
    std::vector<std::string> chart;
    double hurst;
};

// Static DMA on the last W + 2M samples of x; M is the last size.
inline StaticReference ReferenceStatic(const std::vector<double>& all, const std::vector<int>& sizes, int W) {
    const int K = sizes.size(), M = sizes.back();
    const std::vector<double> x(all.end() - (W + 2 * M), all.end());
    std::vector<ReferenceMean> means(sizes.begin(), sizes.end());
    std::vector<double> f(K, 0.0);
    for (int j = 0; j < M + W; ++j)
        for (int k = 0; k < K; ++k) {
            const double d = means[k].Push(x[j]) - x[j];
            if (j >= M) f[k] += d * d;
        }
    StaticReference result;
    for (int k = 0; k < K; ++k) {
        f[k] = std::sqrt(f[k] / double(W));
        char line[200];
        std::snprintf(line, sizeof line, "%.9lf\t%.9lf\t%.9lf\t%.9lf", double(sizes[k]), f[k], std::log10(sizes[k]),
                      std::log10(f[k]));
        result.chart.push_back(line);
    }
    result.hurst = FitSlope(sizes, f);
    return result;
}

// Dynamic DMA: one snapshot of all K cumulative sums per position, F from the
// difference of the snapshots of t and t − W; the incremental lines.
inline std::vector<std::string> ReferenceDynamic(const std::vector<double>& x, const std::vector<int>& sizes,
                                                 int W, int step, const std::string& name, int offset) {
    const int K = sizes.size(), M = sizes.back(), N = x.size();
    std::vector<ReferenceMean> means(sizes.begin(), sizes.end());
    std::vector<std::vector<double>> snapshots(N);
    std::vector<double> S(K, 0.0), f(K);
    std::vector<std::string> lines;
    for (int t = 0; t < N; ++t) {
        for (int k = 0; k < K; ++k) {
            const double m = means[k].Push(x[t]);
            if (t >= M) S[k] = S[k] + (m - x[t]) * (m - x[t]);
        }
        snapshots[t] = S;
        if (t < M + W || t % std::max(step, 1) != 0) continue;  // steps below 2: every position
        for (int k = 0; k < K; ++k) f[k] = std::sqrt((snapshots[t][k] - snapshots[t - W][k]) / double(W));
        lines.push_back(ResultLine(name, N, offset, t, FitSlope(sizes, f)));
        lines.back().pop_back();
    }
    return lines;
}

}  // namespace fractan::test
