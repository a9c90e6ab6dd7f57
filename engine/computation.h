#pragma once
// What the array entry (engine/analysis.h) and the file runs share: the
// refusal of a computation, and the computation of every type over samples in
// memory, with its phase lines.

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/dma_frames.h"
#include "setup/containers.h"

namespace fractan {

SizeList SizesOf(const AnalysisSettings& settings);

// Why the computation cannot run on `samples` samples, or empty.
std::string ComputationRefusal(const AnalysisSettings& settings, const SizeList& sizes, int64_t samples);

// Prints the note of kTwoScalesNote when there are two scales.
void NoteTwoScales(size_t scales);

// The phase lines a refused computation of this type still prints.
const std::vector<const char*>& RefusedPhases(int32_t type);

// Samples so large or so small that their squared deviations would overflow or
// underflow are brought near 1 by a power of two, which is exact: F scales back
// exactly, and H does not change. Others are left as they are. Returns the
// power of two taken out (the largest sample's exponent, which 2^−e itself
// could not hold below 2^−1023), 0 when none was; `samples` then views `storage`.
int BroughtToRange(std::span<const double>& samples, std::vector<double>& storage);

// Static types: F_k, with the phase lines up to "Performing Hurst exponent
// calculation..."; nothing when a stop is requested.
std::optional<std::vector<double>> ComputeFluctuations(const AnalysisSettings& settings, const SizeList& sizes,
                                                       std::span<const double> samples);

// Dynamic types: H of every evaluated position, handed to the sink, with the
// phase lines; false when a stop is requested.
bool ComputeExponents(const AnalysisSettings& settings, const SizeList& sizes, std::span<const double> samples,
                      PositionSink& sink, DynamicRange& range);

// H and F of a static type, or the H of every position of a dynamic one (handed
// to `positions` too, when given), and why H is not finite or no position was
// evaluated, of samples that pass ComputationRefusal. `origin` and `where`
// place the samples in the caller's terms ("sample 120 of the file").
AnalysisResult ComputeResult(std::span<const double> samples, const AnalysisSettings& settings, const SizeList& sizes,
                             PositionSink* positions, int64_t origin, const char* where);

// A static type's samples are the last ones of the series: the index of the
// first (0 when integrating: every sample feeds the profile), and the position
// field of its result line (M + W, or W for DFA).
int64_t FirstStaticSample(const AnalysisSettings& settings, const SizeList& sizes, int64_t samples);
int32_t StaticPosition(const AnalysisSettings& settings, const SizeList& sizes);

// Replaces the samples by their cumulative sum less the mean of the finite
// ones, so that a series of increments becomes its profile, not a number from
// the first sample that is not one.
void Integrate(std::span<double> samples);

// Why a static H is not finite as far as its F tell: the first scale whose F
// is 0 or not finite, or scales that are all the same.
std::string FluctuationCause(const SizeList& sizes, const std::vector<double>& fluctuations);

// Why H is not finite as far as the samples tell: the index of the first that
// is not a finite number (counted from `first`, in `where`), or `otherwise`.
std::string NotFiniteCause(std::span<const double> samples, int64_t first, const char* where, const char* otherwise);

}  // namespace fractan
