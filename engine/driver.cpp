#include "engine/driver.h"

#include <unistd.h>

#include <algorithm>
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
        call.column = p.column;
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

// The interval of every analysed file, or why it has none, in list order: the
// path written, or empty after a line saying why it could not be.
std::string WriteIntervalFile(const std::string& resultPath, const std::vector<FileReport>& files) {
    const std::string path = IntervalFilePath(resultPath);
    std::string text = kIntervalHeader;
    for (const FileReport& f : files) {
        if (!f.interval) continue;
        const HurstInterval& i = *f.interval;
        text += Formatted("%s\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%d\t%g\t%s\n", FileNameOf(f.input).c_str(), f.hurst,
                          i.corrected, i.low, i.high, i.deviation, i.replicates, i.level, i.none.c_str());
    }
    std::FILE* file = std::fopen(path.c_str(), "w");
    bool written = file && std::fputs(text.c_str(), file) >= 0;
    if (file) written = std::fclose(file) == 0 && written;
    if (written) return path;
    PrintFormatted("Cannot write [%s]: %s.\n", path.c_str(), std::strerror(errno));
    return {};
}

FileReport ReportOf(const std::string& input, int32_t status, FileOutcome& outcome) {
    FileReport report;
    report.input = input;
    report.status = status;
    AnalysisResult& computed = outcome.computed;
    report.reason = std::move(computed.reason);
    report.hurst = computed.hurst;
    report.standardError = computed.hurstError;
    report.fluctuations = std::move(computed.fluctuations);
    report.positions = std::move(computed.positions);
    report.hursts = std::move(computed.hursts);
    report.interval = std::move(computed.interval);
    report.chartFile = std::move(outcome.chartFile);
    report.incrementalFile = std::move(outcome.incrementalFile);
    return report;
}

}  // namespace

std::vector<std::string> RunSummary::Inputs(std::initializer_list<int32_t> statuses) const {
    std::vector<std::string> inputs;
    for (const FileReport& file : files)
        if (std::find(statuses.begin(), statuses.end(), file.status) != statuses.end()) inputs.push_back(file.input);
    return inputs;
}

RunPlan PlanRun(const AnalysisParameters& record, std::optional<MethodFamily> family) {
    RunPlan plan;
    plan.record = record;
    plan.record.ExpandInputFiles(&plan.listNote);
    plan.settings = SettingsOf(record, &plan.progressionNote);
    if (std::string refusal = TestNameRefusal(record.testName); !refusal.empty())
        plan.refusal = {"testName", std::move(refusal)};
    else
        plan.refusal = CheckSettings(plan.settings, record.dataSize, family, plan.progressionNote);
    return plan;
}

RunSummary RunAnalysis(const RunPlan& plan, LoadedSeries* loaded) {
    RunSummary report;
    const AnalysisParameters& params = plan.record;
    if (params.inputFiles.empty()) {
        report.refusal = "There is no input file: the files list cannot be read or its first line is empty.";
        WriteOutput(report.refusal + " Nothing is analysed.\n");
        return report;
    }
    if (!plan.listNote.empty()) WriteOutput(plan.listNote + "\n");
    if (const std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) {
        WriteOutput(refusal + " Nothing is analysed.\n");
        report.refusal = refusal;
        return report;
    }
    AnalysisSettings settings = plan.settings;
    if (params.averageProgression.type == kCustom && !plan.progressionNote.empty())
        WriteOutput("Warning: " + plan.progressionNote + ".\n");
    NoteTwoScales(settings.sizes.size());
    report.scales = settings.sizes;

    const int32_t type = params.computationType;
    if (type >= 0 && type < kComputationTypeCount) {
        report.resultPath = ResultFilePath(params.outputPath, params.testName, type);
        // The result file of an earlier run is emptied only once a file of
        // this one has been read (by the process that commits), so that a run
        // that can read no input leaves it as it was.
        if (!CouldTruncate(params.outputPath, report.resultPath)) {
            // The other files of the run go to the same folder: nothing could be written.
            report.refusal = "Cannot write result file [" + report.resultPath + "]: " + std::strerror(errno) + ".";
            WriteOutput(report.refusal + " Nothing is analysed.\n");
            return report;
        }
        std::vector<VariantCall> calls = CallsOf(params, report.resultPath);
        if (calls.size() == 1) calls[0].loaded = loaded;
        if (loaded)
            for (VariantCall& call : calls) call.kept = &loaded->files;
        std::vector<FileOutcome> outcomes(calls.size());
        bool suggested = false;
        ResultFile resultFile;  // opened once, when the first file read is committed
        ListWork list;
        list.count = static_cast<int32_t>(calls.size());
        list.jobs = JobsFor(params.jobs);
        // Files on every core leave none for the intervals' series, nor for the scales of one series.
        if (settings.interval && calls.size() > 1 && list.jobs > 1) settings.interval->jobs = 1;
        settings.jobs = calls.size() > 1 ? 1 : list.jobs;
        list.work = [&](int32_t i) {
            try {
                outcomes[i] = AnalyseFile(settings, calls[i]);
            } catch (const std::bad_alloc&) {
                // Memory grows with the series: one file too long must not end the run.
                PrintFormatted("Not enough memory to analyse [%s].\n", calls[i].inputPath.c_str());
                outcomes[i].computed.reason = "not enough memory";
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
            if (outcome.read && !resultFile.file && !resultFile.openError)
                resultFile = ResultFile(report.resultPath, "w");  // a line that cannot be written says why
            const int32_t status = CommitFile(calls[i], outcome, suggested, resultFile);
            report.files.push_back(ReportOf(calls[i].inputPath, status, outcome));
            outcome = FileOutcome{};
            ReportProgress({Progress::Kind::kFileDone, {}, i + 1, list.count, status});
        };
        RunListWork(list);
        if (report.stopped || StopRequested()) {
            report.stopped = true;
            return report;
        }
        if (settings.interval && CommitsHere()) report.intervalPath = WriteIntervalFile(report.resultPath, report.files);
    }
    PrintProgress("Exiting...");
    return report;
}

}  // namespace fractan
