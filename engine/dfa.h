#pragma once
// Detrended fluctuation analysis. Boxes of every box size lie in the last W
// samples up to an end position (engine/box_fit.h fits them); a polynomial of
// the order, 0 (a constant) to kMostDfaOrder, is fitted in each box by least
// squares, and F(n) is the root of the mean squared residual over the boxes.
// The loaded values are used as they are: no profile is formed.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/box_fit.h"
#include "engine/dma_frames.h"
#include "engine/variant.h"
#include "setup/containers.h"
#include "setup/progression.h"

namespace fractan {

// Where the boxes of each size lie in the W samples up to an end position p.
struct BoxPlacement {
    enum class Kind {
        kEnd,      // the W div n boxes that tile the window from its end backwards (the W mod n oldest left out)
        kBoth,     // those and the W div n boxes that tile it from its start (the W mod n newest left out)
        kOverlap,  // boxes ending at p, p − s, p − 2s, … as long as they fit, s = step·n
    };
    Kind kind = Kind::kEnd;
    double step = 0.0;  // overlap: the step as a fraction of the box, 0 for every start (a step of 1 sample)

    // The samples between the ends of successive boxes of size n: n for the
    // tilings, step·n to the nearest sample and at least 1 for overlap.
    int32_t StepIn(int32_t n) const;
};

// "end", "both", "overlap" or "overlap:STEP" with 0 < STEP ≤ 1; nothing for any other text.
std::optional<BoxPlacement> ParseBoxPlacement(const std::string& text);
// The texts ParseBoxPlacement takes, for refusals and help.
inline constexpr const char* kBoxPlacementTexts = "end, both, overlap or overlap:STEP with 0 < STEP <= 1";

// F_k over the last W + 1 samples, with the phase lines from "Shifting
// data..." to "Performing Hurst exponent calculation..."; nothing when a stop
// is requested. The samples must suffice, the order be 0 … kMostDfaOrder.
// The box sizes are shared by `jobs` threads (0: one per core), which leave
// every F_k as one thread gives it.
std::optional<std::vector<double>> DfaFluctuations(std::span<const double> samples, const SizeList& sizes,
                                                   int32_t W, int32_t order, BoxPlacement boxes = {},
                                                   int32_t jobs = 1);

// H at every step-th end position p ≥ W, handed to the sink, with the phase
// lines; false when a stop is requested. Positions close together are
// followed by boxes that slide on sample by sample, the box sizes shared by
// `jobs` threads (0: one per core); sparse ones are fitted afresh, shared by
// the threads. Every H is the one a single thread gives.
bool DfaExponents(std::span<const double> samples, const SizeList& sizes, int32_t W, int32_t order, int32_t step,
                  PositionSink& sink, DynamicRange& range, BoxPlacement boxes = {}, int32_t jobs = 1);

// Type 1: H at every step-th end position p ≥ W, appended to the incremental file.
int32_t RunDynamicDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                      const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                      int32_t dataSize, int32_t dataOffset, int32_t step);

// Type 3: one H over the last W + 1 samples, with a chart file and a result line.
int32_t RunStaticDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                     const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                     int32_t dataSize, int32_t dataOffset);

}  // namespace fractan
