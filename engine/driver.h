#pragma once
// The single entry point of the scaling engine.

#include <cstdint>
#include <string>
#include <vector>

#include "setup/parameters.h"
#include "setup/series_loader.h"

namespace fractan {

// What a run did, for callers that report it (the command line).
// The exponent of a file of a static run.
struct FileFit {
    std::string input;
    double hurst = 0.0;
    double standardError = 0.0;  // of the fitted slope
};

struct RunSummary {
    std::string resultPath;
    std::vector<std::string> analysed;     // input files whose results were written
    std::vector<std::string> notAnalysed;  // input files a line said could not be analysed
    std::vector<std::string> notFinite;    // analysed files whose exponent is not a finite number
    std::vector<std::string> chartFiles;   // chart files written by a static type, in input order
    std::vector<std::string> incrementalFiles;  // incremental files of a dynamic type that hold a line
    std::vector<FileFit> fits;             // analysed files of a static type, in input order
    bool stopped = false;
};

// Expands the input, empties the run's result file and calls the variant of the
// computation type once per input file. −1 when the input list is empty, else 0.
// `loaded`: a series of the run already loaded by the caller, which the run
// takes instead of reading its file again.
int32_t RunAnalysis(AnalysisParameters& params, RunSummary* summary = nullptr, LoadedSeries* loaded = nullptr);

}  // namespace fractan
