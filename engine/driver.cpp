#include "engine/driver.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "engine/analysis.h"
#include "engine/computation.h"
#include "engine/file_analysis.h"
#include "engine/methods.h"
#include "engine/result_files.h"
#include "setup/ordered_jobs.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// Every file's chart or incremental file name, given out in list order, so
// that the names depend on the list alone and not on which file ends first.
std::vector<VariantCall> CallsOf(const AnalysisParameters& p, const std::string& resultPath) {
    OutputNameRegistry names;
    const bool dynamic = IsDynamicType(p.computationType);
    std::vector<VariantCall> calls;
    for (const std::string& input : p.inputFiles) {
        VariantCall call{input, p.inputFileType, resultPath, p.dataSize, p.dataOffset};
        if (dynamic) call.incrementalPath = names.Claim(IncrementalFilePath(resultPath, input), ".inc.txt");
        else call.chartPath = names.Claim(ChartFilePath(resultPath, input), ".chart.txt");
        calls.push_back(std::move(call));
    }
    return calls;
}

// Whether the result file could be emptied, without emptying it (errno says
// why not).
bool CouldTruncate(const std::string& folder, const std::string& file) {
    return ::access(file.c_str(), F_OK) == 0 ? ::access(file.c_str(), W_OK) == 0 : ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace

int32_t RunAnalysis(AnalysisParameters& params, RunSummary* summary, LoadedSeries* loaded) {
    RunSummary local;
    RunSummary& report = summary ? *summary : local;
    report = RunSummary{};
    std::string listNote;
    if (!params.ExpandInputFiles(&listNote)) return -1;
    if (!listNote.empty()) WriteOutput(listNote + "\n");
    if (const std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) {
        WriteOutput(refusal + " Nothing is analysed.\n");
        report.notAnalysed = params.inputFiles;
        return 0;
    }
    std::string progressionNote;
    const AnalysisSettings settings = SettingsOf(params, &progressionNote);
    if (params.averageProgression.type == kCustom && !progressionNote.empty())
        WriteOutput("Warning: " + progressionNote + ".\n");
    NoteTwoScales(settings.sizes.size());

    const int32_t type = params.computationType;
    if (type >= 0 && type < kComputationTypeCount) {
        report.resultPath = ResultFilePath(params.outputPath, params.testName, type);
        // The result file of an earlier run is emptied only once a file of
        // this one has been read (by the process that commits), so that a run
        // that can read no input leaves it as it was.
        if (!CouldTruncate(params.outputPath, report.resultPath)) {
            // The other files of the run go to the same folder: nothing could be written.
            PrintFormatted("Cannot write result file [%s]: %s. Nothing is analysed.\n", report.resultPath.c_str(),
                           std::strerror(errno));
            report.notAnalysed = params.inputFiles;
            return 0;
        }
        std::vector<VariantCall> calls = CallsOf(params, report.resultPath);
        if (calls.size() == 1) calls[0].loaded = loaded;
        std::vector<FileOutcome> outcomes(calls.size());
        bool suggested = false, emptied = false;
        ListWork list;
        list.count = static_cast<int32_t>(calls.size());
        list.jobs = JobsFor(params.jobs);
        list.work = [&](int32_t i) {
            try {
                outcomes[i] = AnalyseFile(settings, calls[i]);
            } catch (const std::bad_alloc&) {
                // Memory grows with the series: one file too long must not end the run.
                PrintFormatted("Not enough memory to analyse [%s].\n", calls[i].inputPath.c_str());
            }
        };
        list.pack = [&](int32_t i) { return Pack(std::exchange(outcomes[i], {})); };
        list.unpack = [&](int32_t i, const std::string& bytes) { outcomes[i] = UnpackOutcome(bytes); };
        list.commit = [&](int32_t i) {
            FileOutcome& outcome = outcomes[i];
            if (report.stopped || outcome.status == kStopped || StopRequested()) {
                report.stopped = true;
                return;
            }
            if (outcome.read && !emptied) {
                TruncateFile(report.resultPath);  // a line that cannot be appended says why
                emptied = true;
            }
            const int32_t status = CommitFile(calls[i], outcome, suggested);
            const std::string& input = calls[i].inputPath;
            if (status == kAnalysed && outcome.result)
                report.fits.push_back({input, outcome.result->hurst, outcome.result->standardError});
            (status == kAnalysed || status == kNotFinite ? report.analysed : report.notAnalysed).push_back(input);
            if (status == kNotFinite) report.notFinite.push_back(input);
            if (!outcome.chartFile.empty()) report.chartFiles.push_back(outcome.chartFile);
            if (!outcome.incrementalFile.empty()) report.incrementalFiles.push_back(outcome.incrementalFile);
            outcome = FileOutcome{};
        };
        RunListWork(list);
        if (report.stopped || StopRequested()) {
            report.stopped = true;
            return 0;
        }
    }
    PrintProgress("Exiting...");
    return 0;
}

}  // namespace fractan
