#pragma once
// The synthetic series generator: for every Hurst exponent of a range and every
// series number, one series of 2^N + 1 values starting at 0, by random
// midpoint displacement or as exact fractional Brownian motion by FFT,
// written as text and/or binary files.

#include <cstdint>
#include <string>
#include <vector>

namespace fractan {

// How the series are built.
enum GeneratorMethod : int32_t {
    kMidpointMethod = 0,  // random midpoint displacement: both ends 0, correlations close to fBm's
    kSpectralMethod = 1,  // circulant embedding by FFT: exact fBm (generator/spectral.h)
};

// A request; the seed −1 seeds every series from the calendar time. Any other
// seed repeats exactly: a negative one gives every series of every exponent
// the same draws (the midpoint method rebuilds its table from the seed's
// negation at every series, see generator/random_source.h), one of 0 or
// above every series of the request, at every exponent, draws of its own
// (the midpoint method by its place in the request, the spectral one by its
// number and H), and each seed its own series.
struct GeneratorSettings {
    int32_t seriesCount = 1;
    int32_t lengthExponent = 5;  // N
    double hurstStart = 0.5;
    double hurstEnd = 0.5;  // inclusive, compared as a double
    double hurstStep = 0.1;
    std::string outputPath;
    std::string filePrefix = "Artificial_";
    int32_t outputKind = 3;  // 1 text, 2 binary, 3 both
    int32_t precision = 10;  // decimals in the text file
    int32_t seed = -1;
    int32_t method = kMidpointMethod;
};

inline constexpr int32_t kTimeSeed = -1;

// The largest length exponent accepted, whatever the memory.
inline constexpr int32_t kMaxLengthExponent = 30;
// The most decimals a text series is written with.
inline constexpr int32_t kMaxPrecision = 1074;
// The most Hurst exponents one request may give.
inline constexpr int32_t kMaxHurstExponents = 1000000;

// How a request went.
enum GeneratorStatus : int32_t {
    kGenerated = 0,          // every series was written (or the range was empty)
    kSomeSeriesFailed = 1,   // a line named each file that could not be written
    kGeneratorRefused = 2,   // a line said why; nothing was built or written
    kGeneratorStopped = 3,   // a stop was requested; nothing was written after it
};

struct GeneratorSummary {
    int32_t seriesWritten = 0;
    int32_t seriesFailed = 0;
};

// The exponents of the request's range exactly as a run steps through them,
// at most `limit` of them: empty when the start lies above the end, or when
// the step is not positive.
std::vector<double> HurstExponents(const GeneratorSettings& settings, size_t limit = kMaxHurstExponents + 1);

// Empty when the request can run; otherwise why not. A range whose start lies
// above its end is accepted: it builds nothing.
std::string GeneratorRefusal(const GeneratorSettings& settings);

// The state from which the midpoint series `series` (from 1, counted over
// every exponent) of a request with a chosen seed of 0 or above starts, the
// shuffle table and the Gaussian cache carried over from the series before:
// the seed's own state for the
// first, and (series − 1)·K steps of the generator on for the others, K about
// 0.618 of its period. So a run's series draw from stretches of the cycle
// apart: no two of a thousand series of 2^19 + 1 values, or of a hundred of
// 2^22 + 1, draw a state in common.
int32_t MidpointStart(int32_t seed, int32_t series);

// One series of 2^N + 1 values in memory, in order of x: draw for draw the
// first series of a request with this method, N, H and seed (kTimeSeed: from
// the calendar time). Empty, with the reason, when refused or stopped.
struct GeneratedSeries {
    std::vector<double> values;
    std::string reason;
};
GeneratedSeries GenerateSeries(int32_t method, int32_t levels, double hurst, int32_t seed);

// Builds and writes every series of the request. A series whose files cannot
// be written does not stop the next one. Runs are serialised: the random
// source is shared by the whole process.
GeneratorStatus Generate(GeneratorSettings settings, GeneratorSummary* summary = nullptr);

}  // namespace fractan
