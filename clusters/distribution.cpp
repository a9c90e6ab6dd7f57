#include "clusters/distribution.h"

#include <algorithm>
#include <cstdio>

#include "setup/files.h"

namespace fractan {
namespace {

// The bin index in extended precision, or false when it lies beyond any
// usable range (non-finite values, a far too small step).
bool BinOf(double v, double s, long double& bin) {
    const long double q = std::fabs(static_cast<long double>(v)) / static_cast<long double>(s) + 0.5L;
    if (!std::isfinite(q) || q >= 9.0e18L) return false;
    const long double whole = std::trunc(q);
    bin = v < 0 ? -whole : whole;
    return true;
}

// The bins of the extremes for step s, when there are at most mostBins of them.
bool BinsFit(double minimum, double maximum, double s, int64_t mostBins, long double& low, long double& high) {
    return BinOf(minimum, s, low) && BinOf(maximum, s, high) && high - low + 1 <= mostBins;
}

// The least multiple of s whose bins fit (up to the rounding of the
// extremes to bins), by halving: at least span / (s · mostBins), below which
// they cannot, and at most span / (s · (mostBins − 2)), at which they do.
double WidenedStep(double minimum, double maximum, double s, int64_t mostBins) {
    const long double perStep = (static_cast<long double>(maximum) - minimum) / s;
    long double tooFew = std::max(1.0L, std::ceil(perStep / mostBins) - 1);
    long double fits = std::max(tooFew + 1, std::ceil(perStep / std::max<int64_t>(mostBins - 2, 1)));
    long double low = 0, high = 0;
    for (int halvings = 0; fits - tooFew > 1 && halvings < 128; ++halvings) {
        const long double k = std::floor((tooFew + fits) / 2);
        if (BinsFit(minimum, maximum, static_cast<double>(k * s), mostBins, low, high)) fits = k;
        else tooFew = k;
    }
    return static_cast<double>(fits * s);
}

}  // namespace

void Distribution::Add(double v) {
    values_.Append(v);
    ++count_;
    sum_ = v + sum_;
    sumOfSquares_ = v * v + sumOfSquares_;
    if (v > maximum_) maximum_ = v;
    if (v < minimum_) minimum_ = v;
}

void Distribution::SetStep(double s, int64_t mostBins) {
    if (s == requestedStep_ && mostBins == mostBins_) return;
    requestedStep_ = step_ = s;
    mostBins_ = mostBins;
    bins_.Clear();
    firstBin_ = 0;
    if (!(s > 0) || count_ == 0 || !std::isfinite(minimum_) || !std::isfinite(maximum_)) return;
    long double low = 0, high = 0;
    if (!BinsFit(minimum_, maximum_, s, mostBins, low, high)) {
        step_ = s = WidenedStep(minimum_, maximum_, s, mostBins);
        if (!BinsFit(minimum_, maximum_, s, mostBins, low, high)) return;
    }
    firstBin_ = static_cast<int64_t>(low);
    bins_ = ChunkedArray<int32_t>(static_cast<int32_t>(high - low) + 1, 10);
    for (int32_t& bin : bins_) bin = 0;
    values_.ForEach([&](double v) {
        long double b = 0;
        // A value outside the extremes' range (not a number) is in no bin.
        if (BinOf(v, s, b) && b >= low && b <= high) ++bins_[static_cast<int32_t>(b - low)];
    });
}

bool Distribution::Writable() const { return step_ > 0 && count_ > 0 && !bins_.Empty(); }

double Distribution::Mu() const { return sum_ / count_; }

double Distribution::Sigma() const {
    if (count_ <= 1) return 0.0;
    const double n1 = count_ - 1;
    return std::sqrt(sumOfSquares_ / n1 - (sum_ / n1) * sum_ / count_);
}

double Distribution::Skewness() const {
    if (count_ == 0) return -1.0;
    const double n = count_, mu = Mu(), sigma = Sigma();
    double cubes = 0.0;
    values_.ForEach([&](double v) {
        const double d = v - mu;
        cubes += d * d * d;
    });
    return n / ((n - 1) * (n - 2)) * cubes / (sigma * sigma * sigma);
}

double Distribution::Kurtosis() const {
    if (count_ == 0) return -1.0;
    const double n = count_, mu = Mu(), sigma = Sigma();
    double fourths = 0.0;
    values_.ForEach([&](double v) {
        const double d = v - mu;
        fourths += d * d * d * d;
    });
    return n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * fourths / (sigma * sigma * sigma * sigma) -
           3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
}

bool Distribution::Write(const std::string& path, bool logarithmic) const {
    if (!Writable()) return false;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "Size:\t%ld\tStep:\t%g\n", static_cast<long>(bins_.Size()), step_);
    std::fprintf(file, "Min:\t%g\tMax:\t%g\n", minimum_, maximum_);
    std::fprintf(file, "Mu:\t%g\tSigma:\t%g\n", Mu(), Sigma());
    std::fprintf(file, "Skewness:\t%g\tCurtosis:\t%g\n", Skewness(), Kurtosis());
    std::vector<double> centres, frequencies;
    Frequencies(logarithmic, centres, frequencies);
    for (size_t i = 0; i < centres.size(); ++i) std::fprintf(file, "%g\t%.*lf\n", centres[i], 15, frequencies[i]);
    return CloseWritten(file);
}

void Distribution::Frequencies(bool logarithmic, std::vector<double>& centres, std::vector<double>& frequencies) const {
    centres.clear();
    frequencies.clear();
    if (!Writable()) return;
    for (int32_t i = 0; i < bins_.Size(); ++i) {
        const double centre = static_cast<double>(firstBin_ + i) * step_;
        double frequency = static_cast<double>(bins_[i]) / count_;
        if (logarithmic) frequency = frequency / std::pow(10.0, centre);
        centres.push_back(centre);
        frequencies.push_back(frequency);
    }
}

}  // namespace fractan
