#pragma once
// What every variant receives and returns.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/result_files.h"
#include "setup/progression.h"

namespace fractan {

// What one call of a variant tells the driver. Callers that only need the
// files may ignore it.
enum VariantStatus : int32_t {
    kAnalysed = 0,     // the input was analysed and its results written
    kNotAnalysed = 1,  // a line said why the input could not be analysed
    kStopped = 2,      // a stop was requested; nothing more was written
    kNotFinite = 3,    // analysed and written, but the exponent is not a finite number
};

// State shared by the variant calls of one run.
struct RunContext {
    bool integrate = false;             // each series is analysed as its cumulative sum less its mean
    bool integrationSuggested = false;  // the line suggesting it is printed once a run
    OutputNameRegistry names;
    std::vector<std::string> chartFiles;        // the chart files written, in order
    std::vector<std::string> incrementalFiles;  // the incremental files begun, in order
};

// The data window, the progression and the common tail of every variant call.
struct VariantCall {
    int32_t windowSize = 0;  // W
    ScaleProgression progression;
    std::string inputPath;
    int32_t inputType = 0;
    std::string resultPath;
    int32_t dataSize = 0;
    int32_t dataOffset = 0;
    RunContext* context = nullptr;  // may be null: names are then used as composed
};

}  // namespace fractan
