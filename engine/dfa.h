#pragma once
// Detrended fluctuation analysis. Boxes of every box size tile the last W
// samples up to an end position; a constant (order 0) or a line (order 1) is
// fitted in each box by least squares, and F(n) is the root of the mean squared
// residual. The loaded values are used as they are: no profile is formed.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/dma_frames.h"
#include "engine/variant.h"
#include "setup/containers.h"
#include "setup/progression.h"

namespace fractan {

// One box relative to an end position p: samples p + offset − length + 1 … p + offset.
struct TrendWindow {
    int32_t offset = 0;
    int32_t length = 0;
};

// For every box size n_k, the W div n_k boxes that tile the window from its end
// backwards; the W mod n_k oldest samples are left out.
class TrendWindowTable {
public:
    // Box sizes must be at least 1.
    void Build(const SizeList& sizes, int32_t windowSize);
    int32_t SizeCount() const { return boxes_.Size(); }
    const ChunkedArray<TrendWindow>& Boxes(int32_t k) const { return boxes_[k]; }

private:
    ChunkedArray<ChunkedArray<TrendWindow>> boxes_;
};

// F_k over the last W + 1 samples, with the phase lines from "Shifting
// data..." to "Performing Hurst exponent calculation..."; nothing when a stop
// is requested. The samples must suffice.
std::optional<std::vector<double>> DfaFluctuations(std::span<const double> samples, const SizeList& sizes,
                                                   int32_t W, int32_t order);

// H at every step-th end position p ≥ W, handed to the sink, with the phase
// lines; false when a stop is requested.
bool DfaExponents(std::span<const double> samples, const SizeList& sizes, int32_t W, int32_t order, int32_t step,
                  PositionSink& sink, DynamicRange& range);

// Type 1: H at every step-th end position p ≥ W, appended to the incremental file.
int32_t RunDynamicDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                      const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                      int32_t dataSize, int32_t dataOffset, int32_t step);

// Type 3: one H over the last W + 1 samples, with a chart file and a result line.
int32_t RunStaticDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                     const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                     int32_t dataSize, int32_t dataOffset);

}  // namespace fractan
