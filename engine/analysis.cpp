#include "engine/analysis.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <variant>

#include "engine/computation.h"
#include "engine/dfa.h"
#include "engine/methods.h"
#include "engine/window_sets.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

WindowSet WindowsOf(const AnalysisSettings& s) {
    return WindowsFor(*FindMethod(s.computationType), s.dmaWeight, s.dmaLambda, s.shiftPercentage);  // a known type
}

// The evaluated positions of a dynamic computation whose H is not a finite
// number: how many, the first and the last.
struct NotFiniteTally {
    int64_t count = 0;
    int32_t first = 0, last = 0;
    void Add(int32_t position, double hurst) {
        if (std::isfinite(hurst)) return;
        if (count++ == 0) first = position;
        last = position;
    }
};

// Collects the positions of a dynamic computation for the caller, and hands
// them on to another sink when given.
class CollectedPositions : public PositionSink {
public:
    CollectedPositions(AnalysisResult& result, PositionSink* next) : result_(result), next_(next) {}
    void Append(int32_t position, double hurst) override {
        result_.positions.push_back(position);
        result_.hursts.push_back(hurst);
        notFinite_.Add(position, hurst);
        if (next_) next_->Append(position, hurst);
    }
    void Flush() override {
        if (next_) next_->Flush();
    }
    // The positions whose H is not finite, and why, or empty.
    std::string NotFinitePositions(std::span<const double> samples, int64_t origin, const char* where) const {
        if (notFinite_.count == 0) return {};
        return "H is not a finite number at " + std::to_string(notFinite_.count) + " of the " +
               std::to_string(result_.hursts.size()) + " positions evaluated, from " +
               std::to_string(notFinite_.first) + " to " + std::to_string(notFinite_.last) + ": " +
               NotFiniteCause(samples, origin, where, "a scale has no fluctuation there");
    }

private:
    AnalysisResult& result_;
    PositionSink* next_;
    NotFiniteTally notFinite_;
};

// Why a dynamic computation evaluated no position.
std::string NoPositionReason(const DynamicRange& range) {
    if (range.last < range.first) return "no position is left after the data window";
    return "no position from " + std::to_string(range.first) + " to " + std::to_string(range.last) +
           " is a multiple of the dynamic step " + std::to_string(range.step);
}

}  // namespace

int32_t DefaultLargestScale(int32_t type, int64_t samples, int32_t windowSize, int32_t firstScale) {
    const int64_t basis = IsDfaType(type) ? windowSize : samples;
    return static_cast<int32_t>(std::clamp<int64_t>(basis / 8, firstScale, INT32_MAX));
}

int32_t DefaultFirstScale(int32_t type, int32_t dfaOrder) {
    const Method* method = FindMethod(type);
    return method && method->family == MethodFamily::kDfa ? std::max(4, method->leastScale + dfaOrder) : 4;
}

int32_t DefaultWindowSize(int32_t type, int64_t samples, int32_t largestScale) {
    if (!IsDfaType(type) && largestScale < 1) return 1;  // no scale: no window fits
    const int64_t whole = IsDfaType(type) ? samples - 1 : samples - 2 * int64_t{largestScale} - 1;
    return static_cast<int32_t>(std::clamp<int64_t>(IsDynamicType(type) ? whole / 4 : whole, 1, INT32_MAX));
}

SizeList SizesOf(const AnalysisSettings& settings) {
    SizeList sizes(static_cast<int32_t>(settings.sizes.size()), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) sizes[k] = settings.sizes[k];
    return sizes;
}

AnalysisSettings SettingsOf(int32_t type, int32_t windowSize, const ScaleProgression& progression,
                            std::string* note) {
    AnalysisSettings s;
    s.computationType = type;
    s.windowSize = windowSize;
    const SizeList sizes = progression.Expand(note);
    s.sizes.assign(sizes.begin(), sizes.end());
    return s;
}

AnalysisSettings SettingsOf(const AnalysisParameters& record, std::string* note) {
    AnalysisSettings s = SettingsOf(record.computationType, record.windowSize, record.averageProgression, note);
    s.dynamicStep = record.dynamicStep;
    s.dfaOrder = record.dfaOrder;
    s.dfaBoxes = record.dfaBoxes;
    s.dmaWeight = record.dmaWeight;
    s.dmaLambda = record.dmaLambda;
    s.shiftPercentage = record.shiftPercentage;
    s.integrate = record.integrate != 0;
    if (record.interval) s.interval = record.intervalRequest;
    return s;
}

std::string ComputationRefusal(const AnalysisSettings& s, const SizeList& sizes, int64_t samples) {
    const bool dfa = IsDfaType(s.computationType);
    if (s.computationType < 0 || s.computationType >= kComputationTypeCount)
        return "the computation type " + std::to_string(s.computationType) + " is not one of 0 ... 9";
    if (s.windowSize < 1) return "the window size is " + std::to_string(s.windowSize) + ", it must be at least 1";
    if (sizes.Empty())
        return dfa ? "the box size progression gives no box size" : "the moving average progression gives no window size";
    int64_t needed = int64_t{s.windowSize} + 1;
    std::string windowRefusal;
    if (dfa) {
        if (s.dfaOrder < 0 || s.dfaOrder > kMostDfaOrder)
            return "the DFA order is " + std::to_string(s.dfaOrder) + ", not one of 0 ... " +
                   std::to_string(kMostDfaOrder);
        if (!ParseBoxPlacement(s.dfaBoxes))
            return "the DFA boxes [" + s.dfaBoxes + "] are not " + kBoxPlacementTexts;
        // A box of one sample leaves no residual from a constant, of two none from a line.
        windowRefusal = WindowsBelow(sizes, FindMethod(s.computationType)->leastScale + s.dfaOrder, "box size");
    } else {
        std::visit(
            [&](const auto& windows) {
                windowRefusal = windows.Refusal(sizes);
                needed = IsDynamicType(s.computationType) ? DynamicFrameNeeds(s.windowSize, sizes, windows)
                                                          : StaticFrameNeeds(s.windowSize, sizes);
            },
            WindowsOf(s));
    }
    if (!windowRefusal.empty()) return windowRefusal;
    if (samples < needed)
        return "it holds " + std::to_string(samples) + " samples, fewer than the " + std::to_string(needed) +
               " that window size " + std::to_string(s.windowSize) +
               (dfa ? " needs" : " and maximum moving average " + std::to_string(sizes.Last()) + " need");
    return {};
}

void NoteTwoScales(size_t scales) {
    if (scales == 2) WriteOutput(std::string("Note: ") + kTwoScalesNote + ".\n");
}

const std::vector<const char*>& RefusedPhases(int32_t type) {
    static const std::vector<const char*> none;
    static const std::vector<const char*> dynamicDfa = {"Setting up trend-lines windows...", "Setting up sums...",
                                                        "Performing Hurst exponent calculation..."};
    if (type == 3) return none;
    if (type == 1) return dynamicDfa;
    return IsDynamicType(type) ? kDynamicPhases : kStaticPhases;
}

int BroughtToRange(std::span<const double>& samples, std::vector<double>& storage) {
    double largest = 0.0;
    for (double v : samples)
        if (std::isfinite(v)) largest = std::max(largest, std::fabs(v));
    if (largest == 0.0 || (largest > 0x1p-300 && largest < 0x1p300)) return 0;
    const int exponent = std::ilogb(largest);
    storage.resize(samples.size());
    std::transform(samples.begin(), samples.end(), storage.begin(), [&](double v) { return std::ldexp(v, -exponent); });
    samples = storage;
    return exponent;
}

std::optional<std::vector<double>> ComputeFluctuations(const AnalysisSettings& s, const SizeList& sizes,
                                                       std::span<const double> samples) {
    std::vector<double> scaled;
    const int exponent = BroughtToRange(samples, scaled);
    std::optional<std::vector<double>> f =
        IsDfaType(s.computationType)
            ? DfaFluctuations(samples, sizes, s.windowSize, s.dfaOrder, *ParseBoxPlacement(s.dfaBoxes), s.jobs)
            : std::visit(
                  [&](auto windows) { return StaticFluctuations(samples, sizes, s.windowSize, windows, s.jobs); },
                  WindowsOf(s));
    if (f && exponent != 0)
        for (double& v : *f) v = std::ldexp(v, exponent);
    return f;
}

bool ComputeExponents(const AnalysisSettings& s, const SizeList& sizes, std::span<const double> samples,
                      PositionSink& sink, DynamicRange& range) {
    std::vector<double> scaled;
    BroughtToRange(samples, scaled);  // H alone is kept, and a scale leaves it as it is
    if (IsDfaType(s.computationType))
        return DfaExponents(samples, sizes, s.windowSize, s.dfaOrder, s.dynamicStep, sink, range,
                            *ParseBoxPlacement(s.dfaBoxes), s.jobs);
    return std::visit(
        [&](auto windows) {
            return DynamicExponents(samples, sizes, s.windowSize, s.dynamicStep, windows, sink, range, s.jobs);
        },
        WindowsOf(s));
}

int64_t FirstStaticSample(const AnalysisSettings& s, const SizeList& sizes, int64_t samples) {
    if (s.integrate) return 0;  // every sample feeds the profile
    return samples - (IsDfaType(s.computationType) ? int64_t{s.windowSize} + 1 : StaticFrameNeeds(s.windowSize, sizes));
}

int32_t StaticPosition(const AnalysisSettings& s, const SizeList& sizes) {
    return IsDfaType(s.computationType) ? s.windowSize : sizes.Last() + s.windowSize;
}

void Integrate(std::span<double> samples) {
    // The mean of the finite samples: one that is not would spread over the
    // whole profile, which then could not tell where it was.
    double mean = 0.0;
    size_t finite = 0;
    for (double v : samples)
        if (std::isfinite(v)) mean += v, ++finite;
    mean /= static_cast<double>(finite);
    double sum = 0.0;
    for (double& v : samples) v = sum += v - mean;
}

std::string NotFiniteCause(std::span<const double> samples, int64_t first, const char* where, const char* otherwise) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (!std::isfinite(samples[i]))
            return "sample " + std::to_string(first + static_cast<int64_t>(i)) + where +
                   " (counted from 0) is not a finite number";
    return otherwise;
}

std::string FluctuationCause(const SizeList& sizes, const std::vector<double>& fluctuations) {
    for (size_t k = 0; k < fluctuations.size(); ++k) {
        const std::string f = "F(" + std::to_string(sizes[static_cast<int32_t>(k)]) + ") is ";
        if (fluctuations[k] == 0.0) return f + "0: the samples do not deviate at that scale";
        if (!std::isfinite(fluctuations[k])) return f + "not a finite number";
    }
    return "the scales are all " + std::to_string(sizes.Last()) + ", so the points have no slope";
}

AnalysisResult ComputeResult(std::span<const double> samples, const AnalysisSettings& settings, const SizeList& sizes,
                             PositionSink* positions, int64_t origin, const char* where) {
    AnalysisResult result;
    result.sizes = settings.sizes;
    if (IsDynamicType(settings.computationType)) {
        CollectedPositions sink(result, positions);
        DynamicRange range;
        if (!ComputeExponents(settings, sizes, samples, sink, range)) {
            result.status = AnalysisStatus::kStopped;
            return result;
        }
        result.reason = range.evaluated == 0 ? NoPositionReason(range) : sink.NotFinitePositions(samples, origin, where);
        result.status = range.evaluated == 0     ? AnalysisStatus::kRefused
                        : result.reason.empty() ? AnalysisStatus::kAnalysed
                                                : AnalysisStatus::kNotFinite;
        return result;
    }

    std::optional<std::vector<double>> fluctuations = ComputeFluctuations(settings, sizes, samples);
    if (!fluctuations) {
        result.status = AnalysisStatus::kStopped;
        return result;
    }
    result.fluctuations = std::move(*fluctuations);
    result.hurst = HurstOf(sizes, result.fluctuations);
    result.hurstError = HurstStandardError(sizes, result.fluctuations);
    result.position = StaticPosition(settings, sizes);
    if (std::isfinite(result.hurst)) {
        result.status = AnalysisStatus::kAnalysed;
        if (settings.interval) {
            result.interval = BootstrapInterval(settings, static_cast<int64_t>(samples.size()), result.hurst,
                                                *settings.interval);
            if (StopRequested()) result.status = AnalysisStatus::kStopped;
        }
    } else {
        const int64_t first = FirstStaticSample(settings, sizes, static_cast<int64_t>(samples.size()));
        result.reason = "H is not a finite number: " +
                        NotFiniteCause(samples.subspan(static_cast<size_t>(first)), origin + first, where,
                                       FluctuationCause(sizes, result.fluctuations).c_str());
        result.status = AnalysisStatus::kNotFinite;
    }
    return result;
}

namespace {

double Lag1Autocorrelation(std::span<const double> values) {
    const size_t n = values.size();
    if (n < 2) return std::numeric_limits<double>::quiet_NaN();
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(n);
    double lagged = 0.0, squares = 0.0;
    for (size_t t = 0; t < n; ++t) {
        const double d = values[t] - mean;
        squares += d * d;
        if (t + 1 < n) lagged += d * (values[t + 1] - mean);
    }
    return lagged / squares;
}

double MedianHurst(std::vector<double> hursts) {
    std::erase_if(hursts, [](double h) { return !std::isfinite(h); });
    if (hursts.empty()) return std::numeric_limits<double>::quiet_NaN();
    const auto middle = hursts.begin() + static_cast<std::ptrdiff_t>(hursts.size() / 2);
    std::nth_element(hursts.begin(), middle, hursts.end());
    return *middle;
}

}  // namespace

std::optional<IncrementsSigns> IncrementsSignsOf(std::span<const double> values, const AnalysisResult& result,
                                                 const AnalysisSettings& settings) {
    // The lambda filter gives every window size the same F: its H, 0, says nothing of the values.
    const Method* method = FindMethod(settings.computationType);
    if (settings.integrate || result.status != AnalysisStatus::kAnalysed || !method ||
        method->detrending == Detrending::kLambda)
        return std::nullopt;
    IncrementsSigns signs;
    signs.hurst = method->dynamic ? MedianHurst(result.hursts) : result.hurst;
    if (!(signs.hurst < 0.6)) return std::nullopt;
    signs.lag1 = Lag1Autocorrelation(values);
    if (signs.hurst < kIncrementsHurst || signs.lag1 < 0.5) return signs;
    return std::nullopt;
}

AnalysisResult Analyse(std::span<const double> samples, const AnalysisSettings& settings) {
    const SizeList sizes = SizesOf(settings);
    if (std::string reason = ComputationRefusal(settings, sizes, static_cast<int64_t>(samples.size()));
        !reason.empty()) {
        AnalysisResult refused;
        refused.sizes = settings.sizes;
        refused.reason = std::move(reason);
        return refused;
    }
    NoteTwoScales(settings.sizes.size());
    std::vector<double> profile;
    if (settings.integrate) {
        profile.assign(samples.begin(), samples.end());
        Integrate(profile);
        samples = profile;
    }
    AnalysisResult result = ComputeResult(samples, settings, sizes, nullptr, 0, "");
    if (!IsDynamicType(settings.computationType) && result.status != AnalysisStatus::kStopped) PrintProgress("Done.");
    return result;
}

}  // namespace fractan
