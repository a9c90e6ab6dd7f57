#include "generator/generator.h"

#include "generator/random_source.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "generator/midpoint.h"
#include "generator/series_writer.h"
#include "generator/spectral.h"
#include "setup/output.h"

namespace fractan {
namespace {

// The shortest text that reads back as the same double.
std::string Shortest(double value) {
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

// Physical memory in bytes; 0 when unknown.
double PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<double>(pages) * static_cast<double>(pageSize) : 0.0;
}

double SeriesBytes(int32_t method, int32_t levels) {
    if (method == kSpectralMethod) return SpectralSeriesBytes(levels);
    return (std::ldexp(1.0, levels) + 1.0) * static_cast<double>(sizeof(SeriesPoint));
}

std::string MemoryRefusal(int32_t method, int32_t levels) {
    return Formatted("A series of 2^%d + 1 points needs %.0f MiB, more than this machine's memory.", levels,
                     SeriesBytes(method, levels) / 1048576.0);
}

std::mutex generatorMutex;

// The calendar time in seconds, as a positive state.
int32_t TimeSeed() {
    const int32_t seconds = static_cast<int32_t>(std::time(nullptr) & 0x7fffffff);
    return seconds > 0 ? seconds : 1;
}

// Names keep two significant digits of H: exponents closer than that share
// their files, and the later series replace the earlier ones.
void WarnOfSharedNames(const GeneratorSettings& s) {
    if (s.seriesCount <= 0) return;
    std::string previous;
    double previousH = 0.0;
    for (double h : HurstExponents(s)) {
        const std::string name = SeriesBaseName(s.outputPath, s.filePrefix, h, 1);
        if (name == previous) {
            PrintFormatted("Warning: H=%g and H=%g share the file names %s-*; the later series "
                           "replace the earlier ones.\n", previousH, h, name.substr(0, name.rfind('-')).c_str());
            return;
        }
        previous = name;
        previousH = h;
    }
}

// The state 1 + s mod (2^31 − 2) of a chosen seed s of 0 or above; its
// table is built, once a request, from the state half the generator's period
// away (the modulus less the state, as 16807 is a primitive root), 1 below it
// for the two largest seeds, whose states wrap round.
struct ChosenStart {
    int32_t state;
    int32_t table;
};
ChosenStart StartOf(int32_t seed) {
    constexpr int32_t kStates = kMinimalStandardModulus - 1;
    const int32_t state = 1 + seed % kStates;
    return {state, kMinimalStandardModulus - state - seed / kStates};
}

// A chosen seed starts every exponent of a request from the random source of
// a fresh program, so that a request repeats exactly whatever ran before it
// in the process; one of 0 or above builds its table. The first draw of a
// program builds the shuffle table from state 1 whatever positive state it
// meets, so a time-based request would repeat the same series on every run:
// its table is built from the time instead.
void StartAfresh(int32_t seed) {
    int32_t primer = 0;
    if (seed != kTimeSeed) {
        SharedRandomSource() = RandomSource{};
        if (seed >= 0) primer = -StartOf(seed).table;
    } else if (SharedRandomSource().lastOutput == 0) {
        primer = -TimeSeed();
    }
    if (primer < 0) UniformDeviate(primer);
}

// One series of a request, held until it is written.
struct BuiltSeries {
    const SeriesPoint* first = nullptr;  // of midpoint displacement
    std::vector<double> values;          // of the spectral method
    std::string failure;                 // why it was not built; empty after a stop
    bool Built() const { return first || !values.empty(); }
    SeriesValues Values() const { return first ? SeriesValues(first) : SeriesValues(std::span(values)); }
};

// `stream` counts the series of the request over every exponent, from 1.
BuiltSeries BuildOne(const GeneratorSettings& s, SeriesPointPool& pool, double hurst, int32_t series, int32_t stream) {
    int32_t seed = s.seed == kTimeSeed ? TimeSeed() : s.seed;
    BuiltSeries built;
    if (s.method == kSpectralMethod) {
        SpectralDraws draws(seed, series, hurst);
        built.values = BuildSpectralSeries(s.lengthExponent, hurst, draws, series, built.failure);
    } else {
        if (s.seed >= 0) seed = MidpointStart(s.seed, stream);
        built.first = BuildSeries(pool, s.lengthExponent, series, hurst, seed);
    }
    return built;
}

// Room for the midpoint series of a request: none for the spectral method,
// whose series hold their own.
size_t PoolCapacity(const GeneratorSettings& s) {
    return s.method == kMidpointMethod ? SeriesLength(s.lengthExponent) : 0;
}

}  // namespace

std::vector<double> HurstExponents(const GeneratorSettings& s, size_t limit) {
    std::vector<double> exponents;
    if (!(s.hurstStep > 0.0)) return exponents;
    for (double h = s.hurstStart; h <= s.hurstEnd && exponents.size() < limit; h = h + s.hurstStep)
        exponents.push_back(h);
    return exponents;
}

std::string GeneratorRefusal(const GeneratorSettings& s) {
    if (std::isnan(s.hurstStart) || std::isnan(s.hurstEnd))
        return "The Hurst range from " + Shortest(s.hurstStart) + " to " + Shortest(s.hurstEnd) +
               " is not a range of numbers.";
    // The start, so that one beyond 1 is not taken for an empty range; the end
    // only bounds the exponents built, which may stop short of it.
    auto outside = [](double h) { return "The Hurst exponent " + Shortest(h) + " is outside (0, 1]."; };
    if (!(s.hurstStart > 0.0 && s.hurstStart <= 1.0)) return outside(s.hurstStart);
    if (s.hurstStart > s.hurstEnd) return {};  // an empty range: nothing to build
    if (!(s.hurstStep > 0.0))
        return "The Hurst step is " + Shortest(s.hurstStep) +
               ", it must be greater than 0 (start is not above end).";
    const std::vector<double> exponents = HurstExponents(s);
    for (double h : exponents)
        if (h > 1.0) return outside(h);
    if (exponents.size() > static_cast<size_t>(kMaxHurstExponents))
        return "The Hurst range gives more than " + std::to_string(kMaxHurstExponents) +
               " exponents; use a larger step.";
    if (s.lengthExponent < 0)
        return "The length exponent N is " + std::to_string(s.lengthExponent) + ", it must be at least 0.";
    if (s.lengthExponent > kMaxLengthExponent)
        return "The length exponent N is " + std::to_string(s.lengthExponent) + ", at most " +
               std::to_string(kMaxLengthExponent) + " is accepted.";
    if (s.method != kMidpointMethod && s.method != kSpectralMethod)
        return "The generator method is " + std::to_string(s.method) + ", it must be 0 (RMD) or 1 (FFT).";
    const double memory = PhysicalMemory();
    if (s.seriesCount > 0 && memory > 0.0 && SeriesBytes(s.method, s.lengthExponent) > memory)
        return MemoryRefusal(s.method, s.lengthExponent);
    if (s.outputKind < kTextSeries || s.outputKind > kTextAndBinarySeries)
        return "The output kind is " + std::to_string(s.outputKind) +
               ", it must be 1 (text), 2 (binary) or 3 (both).";
    // 1074 decimals write any double exactly; more would only add zeros, by
    // the billion for an absurd value.
    if (s.precision < 0 || s.precision > kMaxPrecision)
        return "The precision is " + std::to_string(s.precision) + ", it must be between 0 and " +
               std::to_string(kMaxPrecision) + ".";
    return {};
}

int32_t MidpointStart(int32_t seed, int32_t series) {
    // The period times the golden ratio's fraction spreads a run's starts
    // evenly round the cycle, and apart from the neighbouring seeds' (seed
    // s's second series does not start as seed s + 1's first would).
    constexpr uint64_t kSeriesSpacing = 1327217884;
    return MinimalStandardAdvance(StartOf(seed).state, static_cast<uint64_t>(series - 1) * kSeriesSpacing);
}

GeneratedSeries GenerateSeries(int32_t method, int32_t levels, double hurst, int32_t seed) {
    GeneratorSettings settings;
    settings.method = method;
    settings.lengthExponent = levels;
    settings.hurstStart = settings.hurstEnd = hurst;
    settings.seed = seed;
    GeneratedSeries series;
    series.reason = GeneratorRefusal(settings);
    if (!series.reason.empty()) return series;
    std::lock_guard lock(generatorMutex);
    SeriesPointPool pool(PoolCapacity(settings));
    if (pool.Capacity() < PoolCapacity(settings)) {
        series.reason = MemoryRefusal(method, levels);
        return series;
    }
    StartAfresh(seed);
    BuiltSeries built = BuildOne(settings, pool, hurst, 1, 1);
    if (!built.Built()) {
        series.reason = built.failure.empty() ? "Stopped." : built.failure;
        return series;
    }
    // The spectral series as it is, or the values of the midpoint list.
    series.values = std::move(built.values);
    for (const SeriesPoint* point = built.first; point; point = point->next) series.values.push_back(point->y);
    return series;
}

GeneratorStatus Generate(GeneratorSettings settings, GeneratorSummary* summary) {
    GeneratorSummary counts;
    if (summary) *summary = counts;
    const std::string refusal = GeneratorRefusal(settings);
    if (!refusal.empty()) {
        PrintProgress(refusal + " Nothing generated.");
        return kGeneratorRefused;
    }
    std::lock_guard lock(generatorMutex);

    // One list at a time, its points from one allocation for every series.
    const bool builds = settings.seriesCount > 0 && settings.hurstStart <= settings.hurstEnd;
    SeriesPointPool pool(builds ? PoolCapacity(settings) : 0);
    if (builds && pool.Capacity() < PoolCapacity(settings)) {
        PrintProgress(MemoryRefusal(settings.method, settings.lengthExponent) + " Nothing generated.");
        return kGeneratorRefused;
    }

    WarnOfSharedNames(settings);
    GeneratorStatus status = kGenerated;
    StartAfresh(settings.seed);
    int32_t stream = 0;
    const std::vector<double> exponents = HurstExponents(settings);
    const int64_t total = int64_t{settings.seriesCount} * static_cast<int64_t>(exponents.size());
    for (double h : exponents) {
        // A chosen midpoint seed gives every series of the request, at every H,
        // draws of its own; the request's first is GenerateSeries's.
        for (int32_t i = 1; i <= settings.seriesCount; ++i) {
            const std::string begun = Formatted("Building series #%d (H=%.2f)\n", i - 1, h);
            ReportProgress({Progress::Kind::kSeries, begun, stream, total});
            const BuiltSeries built = BuildOne(settings, pool, h, i, ++stream);
            int32_t written = built.failure.empty() ? kSeriesStopped : kSeriesNotWritten;
            if (built.Built()) {
                PrintFormatted("Building series %d (H=%g).\n", i, h);
                written = WriteSeries(built.Values(), SeriesBaseName(settings.outputPath, settings.filePrefix, h, i),
                                      settings.outputKind, settings.precision);
            } else if (!built.failure.empty()) {
                PrintProgress(built.failure);
            }
            if (written == kSeriesStopped) {
                status = kGeneratorStopped;
                break;
            }
            if (written == kSeriesWritten) {
                ++counts.seriesWritten;
            } else {
                ++counts.seriesFailed;
                status = kSomeSeriesFailed;
            }
        }
        if (status == kGeneratorStopped) break;
    }
    if (summary) *summary = counts;
    return status;
}

}  // namespace fractan
