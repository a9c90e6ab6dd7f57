#pragma once
// DMA computed in the test the way the method is described, with its own
// trailing mean, so that the engine's results can be compared digit for digit.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "setup/containers.h"
#include "test_support.h"

namespace fractan::test {

// Trailing mean with a running sum: sum = x + sum while filling (divided by
// the count), then sum − oldest, sum = x + sum (divided by the length).
class ReferenceMean {
public:
    explicit ReferenceMean(int n) : ring_(n, 0.0), n_(n) {}
    double Push(double x) {
        ++count_;
        if (count_ <= n_) {
            ring_[next_] = x;
            next_ = (next_ + 1) % n_;
            sum_ = x + sum_;
            return sum_ / count_;
        }
        sum_ = sum_ - ring_[next_];
        ring_[next_] = x;
        next_ = (next_ + 1) % n_;
        sum_ = x + sum_;
        return sum_ / n_;
    }

private:
    std::vector<double> ring_;
    int n_, next_ = 0, count_ = 0;
    double sum_ = 0.0;
};

// F(n) from its definition: the RMS deviation of x[j] from the plain mean of
// x[j − n + 1] … x[j], over the positions j = from … to.
inline double DirectFluctuation(const std::vector<double>& x, int n, int from, int to) {
    double sum2 = 0;
    for (int j = from; j <= to; ++j) {
        double mean = 0;
        for (int i = j - n + 1; i <= j; ++i) mean += x[i];
        mean /= n;
        sum2 += (mean - x[j]) * (mean - x[j]);
    }
    return std::sqrt(sum2 / (to - from + 1));
}

struct StaticReference {
    std::vector<std::string> chart;
    double hurst;
};

// Static DMA on the last W + 2M samples of x.
inline StaticReference ReferenceStatic(const std::vector<double>& all, const std::vector<int>& sizes, int W) {
    const int K = sizes.size(), M = sizes.back();
    const std::vector<double> x(all.end() - (W + 2 * M), all.end());
    std::vector<ReferenceMean> means;
    for (int n : sizes) means.emplace_back(n);
    for (int m = 0; m < M; ++m)
        for (int k = 0; k < K; ++k) means[k].Push(x[m]);
    std::vector<double> sums(K, 0.0);
    for (int j = M; j < M + W; ++j)
        for (int k = 0; k < K; ++k) {
            const double d = means[k].Push(x[j]) - x[j];
            sums[k] += d * d;
        }
    StaticReference result;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int k = 0; k < K; ++k) {
        const double n = sizes[k], f = std::sqrt(sums[k] / double(W));
        const double X = std::log10(n), Y = std::log10(f);
        char line[200];
        std::snprintf(line, sizeof line, "%.9lf\t%.9lf\t%.9lf\t%.9lf", n, f, X, Y);
        result.chart.push_back(line);
        sx += X, sy += Y, sxx += X * X, sxy += X * Y;
    }
    result.hurst = LeastSquaresSlope(sx, sy, sxy, sxx, K);
    return result;
}

// Dynamic DMA: one snapshot of all K cumulative sums per position, F from the
// difference of the snapshots of t and t − W; the incremental lines.
inline std::vector<std::string> ReferenceDynamic(const std::vector<double>& x, const std::vector<int>& sizes,
                                                 int W, int step, const std::string& name, int offset) {
    const int K = sizes.size(), M = sizes.back(), N = x.size();
    std::vector<ReferenceMean> means;
    for (int n : sizes) means.emplace_back(n);
    std::vector<std::vector<double>> snapshots(N, std::vector<double>(K, 0.0));
    std::vector<double> S(K, 0.0);
    std::vector<std::string> lines;
    for (int t = 0; t < N; ++t) {
        for (int k = 0; k < K; ++k) {
            const double m = means[k].Push(x[t]);
            if (t >= M) S[k] = S[k] + (m - x[t]) * (m - x[t]);
        }
        if (t >= M) snapshots[t] = S;
        if (t < M + W || t % step != 0) continue;
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int k = 0; k < K; ++k) {
            const double X = std::log10(sizes[k]);
            const double F = std::sqrt((snapshots[t][k] - snapshots[t - W][k]) / double(W));
            const double Y = std::log10(F);
            sx += X, sy += Y, sxx += X * X, sxy += X * Y;
        }
        std::string line = ResultLine(name, N, offset, t, LeastSquaresSlope(sx, sy, sxy, sxx, K));
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace fractan::test
