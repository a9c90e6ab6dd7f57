#pragma once
// The single entry point of the scaling engine on files: a record planned
// once (its files list and progression expanded, its settings checked), then
// run over every input file.
//
//   const fractan::RunPlan plan = fractan::PlanRun(record);
//   if (plan.refusal) say(plan.refusal.reason);
//   else for (const fractan::FileReport& file : fractan::RunAnalysis(plan).files) use(file.hurst);

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/variant.h"
#include "setup/parameters.h"
#include "setup/series_loader.h"

namespace fractan {

struct RunPlan {
    AnalysisParameters record;   // as given, its input files expanded
    AnalysisSettings settings;   // the progression expanded
    std::string progressionNote;  // why the progression gives the sizes it does
    std::string listNote;         // files of the list left out after a blank line
    Refusal refusal;              // the record's test name, then CheckSettings for its data size
};

// The record as a run takes it; the record itself is not changed. `family`:
// the family the caller offers (CheckSettings).
RunPlan PlanRun(const AnalysisParameters& record, std::optional<MethodFamily> family = {});

// What became of one input file.
struct FileReport {
    std::string input;
    int32_t status = kNotAnalysed;
    std::string reason;  // why it was not analysed, or why H is not finite
    // Static types: H, the standard error of the fitted slope, F at the run's scales.
    double hurst = std::numeric_limits<double>::quiet_NaN();
    double standardError = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> fluctuations;
    // Dynamic types: every evaluated position and its H.
    std::vector<int32_t> positions;
    std::vector<double> hursts;
    std::optional<HurstInterval> interval;  // when asked: the interval on H, or why there is none
    std::string chartFile;        // written by a static type
    std::string incrementalFile;  // written by a dynamic type, when it holds a line
};

struct RunSummary {
    std::string refusal;  // why nothing was analysed (no input file, no result file, ...)
    std::string resultPath;
    std::string intervalPath;  // the intervals' file, when asked and written
    std::vector<int32_t> scales;
    std::vector<FileReport> files;  // in list order, up to a stop
    bool stopped = false;

    // The input files of these statuses.
    std::vector<std::string> Inputs(std::initializer_list<int32_t> statuses) const;
};

// Empties the run's result file once a file is read and runs the plan's
// computation once per input file, reporting each file's end (Progress::kFileDone).
// `loaded`: a series of the run already loaded by the caller, which the run
// takes instead of reading its file again.
RunSummary RunAnalysis(const RunPlan& plan, LoadedSeries* loaded = nullptr);

// PlanRun and RunAnalysis, for callers that have checked the record.
inline RunSummary RunAnalysis(const AnalysisParameters& record) { return RunAnalysis(PlanRun(record)); }

}  // namespace fractan
