#pragma once
// The empirical distribution of one quantity: its values, running sums and,
// once a step is set, counts in bins of that width centred on multiples of it.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "clusters/block_array.h"
#include "setup/containers.h"

namespace fractan {

class Distribution {
public:
    // More bins than this are not built: the file would be absurdly long.
    static constexpr int64_t kMaxBins = int64_t{1} << 26;

    void Add(double v);
    // Rebuilds the bins for step s; none are built for s ≤ 0 or for
    // non-finite extremes. When s would need more than `mostBins` bins, the
    // least multiple of s that needs no more is taken instead (Step() then
    // differs from s).
    void SetStep(double s, int64_t mostBins = kMaxBins);

    // True when a file would be written: a step above 0, values, and bins.
    bool Writable() const;
    // The distribution file with relative frequencies (with `logarithmic`, each
    // divided by 10 to the bin centre, for values that are decimal logarithms);
    // false, creating no file, when it is not writable or the file cannot be created.
    bool Write(const std::string& path, bool logarithmic) const;

    int32_t Count() const { return count_; }
    double Step() const { return step_; }
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    int32_t BinCount() const { return bins_.Size(); }
    // The bin centres and their relative frequencies, as the files hold them
    // (with `logarithmic`, each divided by 10 to its centre); none when not writable.
    void Frequencies(bool logarithmic, std::vector<double>& centres, std::vector<double>& frequencies) const;
    double Mu() const;
    double Sigma() const;
    double Skewness() const;
    double Kurtosis() const;

private:
    BlockArray<double> values_{50000};
    double requestedStep_ = -1.0;
    int64_t mostBins_ = kMaxBins;
    double step_ = -1.0;
    ChunkedArray<int32_t> bins_;
    int64_t firstBin_ = 0;
    double sum_ = 0.0;
    double sumOfSquares_ = 0.0;
    // Infinite starts, so that values beyond ±2147483647 still set the extremes.
    double maximum_ = -HUGE_VAL;
    double minimum_ = HUGE_VAL;
    int32_t count_ = 0;
};

}  // namespace fractan
