#include "cli/commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/driver.h"
#include "engine/methods.h"
#include "cli/cli_support.h"
#include "clusters/cluster_analyzer.h"
#include "setup/line_reader.h"
#include "setup/ordered_jobs.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/series_loader.h"

namespace fractan::cli {
namespace {

std::optional<int32_t> ParseChoice(std::string value, std::initializer_list<const char*> names) {
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
    int32_t index = 0;
    for (const char* name : names) {
        if (value == name || value == std::to_string(index)) return index;
        ++index;
    }
    return std::nullopt;
}

// False, after a line on err, when the input file type is neither text nor binary.
bool HasKnownFileType(const AnalysisParameters& params, std::ostream& err) {
    if (params.inputFileType == kTextInput || params.inputFileType == kBinaryInput) return true;
    err << "fractan: the input file type must be text (T) or binary (B).\n";
    return false;
}

// False, after a line on err, when the test name is empty (every result file
// name would begin with a dot, hidden in a folder listing).
bool HasTestName(const AnalysisParameters& params, std::ostream& err) {
    if (!params.testName.empty()) return true;
    err << "fractan: the test name is empty; it begins every result file name, which would then be hidden "
           "(give --test-name, or a name on the configuration's test name line).\n";
    return false;
}

// False, after a line on err, when the output folder or the input files are missing.
// The input files are those of the record's expanded list.
bool OutputAndInputsExist(const AnalysisParameters& params, std::ostream& err) {
    if (params.outputPath.empty()) {
        err << "fractan: no output folder is given.\n";
        return false;
    }
    if (!IsFolder(params.outputPath)) {
        err << "fractan: output folder [" << params.outputPath
            << (CanRead(params.outputPath) ? "] is not a folder.\n" : "] does not exist.\n");
        return false;
    }
    if (params.inputFiles.empty()) {
        err << "fractan: no input file: the files list [" << params.inputFileName
            << "] cannot be read or its first line is empty.\n";
        return false;
    }
    return true;
}

// Writes the configuration file when the options ask for it. Empty: go on
// and run; otherwise the exit code.
std::optional<int> SaveRequestedConfig(const AnalysisOptions& options, const AnalysisParameters& params,
                                       std::ostream& out, std::ostream& err) {
    if (options.saveConfig.empty()) {
        if (!options.noRun) return std::nullopt;
        err << "fractan: --no-run only goes with --save-config.\n";
        return kExitUsage;
    }
    if (const std::string refusal = params.SaveRefusal(); !refusal.empty()) {
        err << "fractan: " << refusal << " (--progression linear|custom).\n";
        return kExitFailure;
    }
    // The processes of a run across machines share the file: one writes it.
    if (CommitsHere() && !params.SaveConfig(options.saveConfig)) {
        err << "fractan: cannot write configuration file [" << options.saveConfig << "].\n";
        return kExitFailure;
    }
    out << "Configuration written to [" << options.saveConfig << "]\n";
    // The file has no line for these: say what a run of it will do instead.
    const AnalysisParameters defaults;
    if (IsDynamicType(params.computationType) && params.dynamicStep != defaults.dynamicStep)
        err << "fractan: warning: the configuration file does not hold the dynamic step; running it "
               "evaluates every " << defaults.dynamicStep << "th position.\n";
    if (options.family == Family::kClusters && !params.globalStatisticsOnly)
        err << "fractan: warning: the configuration file does not hold --per-window; running it "
               "writes only the distributions over all windows.\n";
    if (options.family == Family::kClusters && params.generateMovingAverageFiles)
        err << "fractan: warning: the configuration file does not hold --moving-average-files; "
               "running it writes none.\n";
    if (!params.column.empty())
        err << "fractan: warning: the configuration file does not hold --column; give --column " << params.column
            << " again to the command that runs it.\n";
    if (options.family == Family::kClusters && params.badAbove != defaults.badAbove)
        err << "fractan: warning: the configuration file does not hold --bad-above; running it takes "
               "samples above " << defaults.badAbove << " as bad data.\n";
    if (options.noRun) return kExitOk;
    return std::nullopt;
}

// False, after a line on err, when the file cannot be read or gives no input.
bool LoadConfigFile(const std::string& configPath, AnalysisParameters& params, std::ostream& err) {
    if (!CanRead(configPath)) {
        err << "fractan: cannot read configuration file [" << configPath << "].\n";
        return false;
    }
    std::string problem;
    if (!params.LoadConfig(configPath, &problem)) {
        err << "fractan: configuration file [" << configPath << "]: " << problem << ". Nothing is run.\n";
        return false;
    }
    return true;
}

}  // namespace

RunSummary RunCheckedAnalysis(const AnalysisParameters& record, std::ostream& out, std::ostream& err, int* code,
                              std::optional<MethodFamily> family, bool reportResultPath, LoadedSeries* loaded) {
    *code = kExitFailure;
    if (!HasTestName(record, err)) return {};
    const RunPlan plan = PlanRun(record, family);
    if (const Refusal& refusal = plan.refusal) {
        // Too few scales: the options widen the progression.
        const bool widen = IsScaleCountReason(refusal.reason);
        err << "fractan: " << refusal.reason << (widen ? " Widen --start ... --end (or the custom file)." : "")
            << kReviewSuffix << "\n";
        return {};
    }
    if (!HasKnownFileType(record, err)) return {};
    if (!OutputAndInputsExist(plan.record, err)) return {};

    RunSummary summary = RunAnalysis(plan, loaded);
    if (summary.stopped) {
        err << "fractan: calculation stopped; the files written so far are kept.\n";
        *code = kExitStopped;
        return summary;
    }
    const std::vector<std::string> notAnalysed = summary.Inputs({kNotAnalysed});
    const std::vector<std::string> notFinite = summary.Inputs({kNotFinite});
    if (reportResultPath && notAnalysed.size() < summary.files.size()) {
        out << (IsDynamicType(record.computationType) ? "Incremental result files are beside ["
                                                      : "Result file: [")
            << summary.resultPath << "]\n";
    }
    for (const FileReport& file : summary.files) {
        if (file.status != kAnalysed || IsDynamicType(record.computationType)) continue;
        char line[120];
        std::snprintf(line, sizeof line, "H = %.4f, standard error of the fitted slope %.4f: [", file.hurst,
                      file.standardError);
        out << line << file.input << "]\n";
        if (const auto& i = file.interval) {
            out << (i->none.empty() ? Formatted("H = %.4f, corrected %.4f, %g %% interval %.4f ... %.4f (%d "
                                                "bootstrap series): [",
                                                file.hurst, i->corrected, 100 * i->level, i->low, i->high,
                                                i->replicates)
                                    : "No interval on H of [")
                << file.input << "]" << (i->none.empty() ? "" : ": " + i->none + ".") << "\n";
        }
    }
    if (!summary.intervalPath.empty()) out << "Interval file: [" << summary.intervalPath << "]\n";
    *code = kExitOk;
    if (!summary.refusal.empty()) {
        err << "fractan: " << summary.refusal << "\n";
        *code = kExitFailure;
    }
    if (!notAnalysed.empty()) {
        ReportFiles(err, std::to_string(notAnalysed.size()) + " of " + std::to_string(summary.files.size()) +
                             " input files could not be analysed", notAnalysed);
        *code = kExitFailure;
    }
    if (!notFinite.empty()) {
        ReportFiles(err, "H is not a finite number for " + std::to_string(notFinite.size()) + " input files",
                    notFinite);
        *code = kExitFailure;
    }
    return summary;
}

int RunConfigCommand(const std::string& configPath, std::ostream& out, std::ostream& err, int32_t jobs,
                     const std::string& column) {
    AnalysisParameters params;
    if (!LoadConfigFile(configPath, params, err)) return kExitFailure;
    params.jobs = jobs;
    params.column = column;
    int code = kExitOk;
    RunCheckedAnalysis(params, out, err, &code);
    return code;
}

namespace {

// The samples of a text file from the offset, loaded into `loaded` (which
// then names the file), as a count of the whole file; −1 when it cannot be
// read, with the reason in `note`. The loader says what stopped it.
int64_t LoadedCount(const std::string& file, int32_t offset, const std::string& column, LoadedSeries& loaded,
                    SeriesNote& note) {
    FilePtr opened(OpenRegularFile(file, "r"));
    if (!opened) {
        note.text = std::strerror(errno);
        return -1;
    }
    KeptFiles read;  // a short file is opened once: checked here, then loaded from its bytes
    read.Keep(file, std::move(opened));
    if (!LoadSeries(loaded.samples, file, kTextInput, kAllSamples, offset, &note, column, &read)) {
        if (note.failure.empty()) return offset;
        note.text = note.failure;
        return -1;
    }
    if (!note.decimalComma) note.text.clear();  // the loader said it; the refusal of a decimal comma says it again
    loaded.path = file;
    loaded.type = kTextInput;
    loaded.column = column;
    loaded.offset = offset;
    return int64_t{offset} + loaded.samples.Size();
}

// Every sample from the offset on, the shortest file of a list deciding (with
// a line saying so, as it cuts the others). Files that cannot be read or hold
// no sample from there are left to the run, which reports them. Empty, after
// a line on err, when no file holds a sample from there.
// A single text file is loaded into `loaded` rather than counted, so that the
// run does not read it again.
std::optional<int32_t> SamplesFromOffset(const AnalysisParameters& p, std::ostream& err, LoadedSeries* loaded) {
    int64_t shortest = 0, longest = 0;
    std::string shortestFile;
    bool anyRead = false;
    std::vector<std::string> empty;
    std::string unreadable;  // why the first file that cannot be read cannot
    for (const std::string& file : p.inputFiles) {
        SeriesNote note;
        const int64_t count = loaded && p.inputFiles.size() == 1 && p.inputFileType == kTextInput
                                  ? LoadedCount(file, p.dataOffset, p.column, *loaded, note)
                                  : CountSamples(file, p.inputFileType, &note, p.column,
                                                 loaded ? &loaded->files : nullptr);
        if (count < 0) {
            if (unreadable.empty()) unreadable = (p.inputFileMode == 1 ? "[" + file + "]: " : "") + note.text;
            continue;
        }
        anyRead = true;
        if (note.decimalComma) {
            // The number before the comma was read as a whole one: the series is wrong.
            err << "fractan: " << note.text << " The number before the comma would be taken whole: write "
                   "decimal points, or semicolons between columns; columns of whole numbers apart by commas "
                   "need a header line naming them.\n";
            return std::nullopt;
        }
        if (!note.text.empty()) err << "fractan: warning: " << note.text << "\n";
        const int64_t samples = count - p.dataOffset;
        if (samples <= 0) {
            empty.push_back(file);
            continue;
        }
        if (shortestFile.empty() || samples < shortest) shortest = samples, shortestFile = file;
        longest = std::max(longest, samples);
    }
    if (!anyRead) {
        err << (p.inputFileMode == 1 ? "fractan: cannot read any input file of the list ["
                                     : "fractan: cannot read input file [")
            << p.inputFileName << "]" << (unreadable.empty() ? "" : ": " + unreadable) << ".\n";
        return std::nullopt;
    }
    if (shortestFile.empty()) {
        err << "fractan: [" << p.inputFileName << "] holds no sample from offset " << p.dataOffset
            << (p.inputFileType == kBinaryInput ? " (8-byte numbers expected).\n"
                                                 : " (one number per line expected).\n");
        return std::nullopt;
    }
    if (!empty.empty())
        ReportFiles(err, "warning: " + std::to_string(empty.size()) + " files of the list hold no sample from offset " +
                             std::to_string(p.dataOffset) + " and cannot be analysed; the others are",
                    empty);
    if (longest > shortest)
        err << "fractan: warning: the data size is that of the shortest file, [" << shortestFile << "] ("
            << shortest << " samples from offset " << p.dataOffset
            << "); the longer files are cut to it. Give -n to choose another.\n";
    return static_cast<int32_t>(std::min<int64_t>(shortest, INT32_MAX));
}

// The input file's name up to its last dot (all of it when that leaves nothing).
std::string InputStem(const std::string& input) {
    const std::string stem = BeforeLastDot(FileNameOf(input));
    return stem.empty() ? FileNameOf(input) : stem;
}

// The fields of a cluster run, whose "window" is the stretch taken from each
// file. Files that cannot be read are left to the run, which skips them.
bool FillClusterFields(const AnalysisOptions& o, AnalysisParameters& p, std::ostream& out,
                       std::ostream& err, LoadedSeries* loaded) {
    if (o.windowSize) {
        p.windowSize = *o.windowSize;
    } else {
        const std::optional<int32_t> size = SamplesFromOffset(p, err, loaded);
        if (!size) return false;
        if (*size < kLeastClusterSamples) {  // the window the check would name was the input's length
            err << "fractan: the input holds " << *size << (*size == 1 ? " sample" : " samples") << " from offset "
                << p.dataOffset << "; a cluster needs at least " << kLeastClusterSamples << ".\n";
            return false;
        }
        p.windowSize = *size;
        out << "Window size: " << p.windowSize << " samples from offset " << p.dataOffset << "\n";
    }
    p.averageProgression.end = o.end ? *o.end : std::max(p.averageProgression.start, p.windowSize / 8);
    p.globalStatisticsOnly = o.globalOnly ? 1 : 0;
    p.generateMovingAverageFiles = o.movingAverageFiles ? 1 : 0;
    p.badAbove = o.badAbove;
    if (p.filePrefix.empty()) p.filePrefix = InputStem(o.input);
    return true;
}

}  // namespace

bool BuildParameters(const AnalysisOptions& o, AnalysisParameters& p, std::ostream& out,
                     std::ostream& err, LoadedSeries* loaded) {
    p.Reset();
    const auto mode = ParseChoice(o.mode, {"single", "multi"});
    if (!mode) {
        err << "fractan: input mode [" << o.mode << "] is not single or multi.\n";
        return false;
    }
    const auto progression = ParseChoice(o.progression, {"linear", "geometric", "custom"});
    if (!progression) {
        err << "fractan: progression type [" << o.progression << "] is not linear, geometric or custom.\n";
        return false;
    }
    p.inputFileMode = *mode;
    p.inputFileName = o.input;
    p.dataOffset = o.dataOffset;
    p.computationType = o.computationType;
    p.dynamicStep = o.dynamicStep;
    p.outputPath = o.outputPath;
    p.integrate = o.integrate ? 1 : 0;
    p.jobs = o.jobs;
    p.interval = o.interval ? 1 : 0;
    p.intervalRequest = o.intervalRequest;
    p.intervalRequest.jobs = o.jobs;
    p.column = o.column;
    if (o.testName) p.testName = *o.testName;
    else if (o.family == Family::kClusters) p.testName = "fractan";
    else p.testName = InputStem(o.input);
    p.dmaWeight = o.dmaWeight;
    p.dmaLambda = o.dmaLambda;
    p.shiftPercentage = o.shiftPercentage;
    p.dfaOrder = o.dfaOrder;
    p.dfaBoxes = o.dfaBoxes;
    p.movingAverageType = o.movingAverageType;
    p.distributionType = o.distributionType;
    p.distributionStep = o.distributionStep;
    p.inputFilesPath = o.inputFilesPath;
    p.filePrefix = o.filePrefix;
    p.fileProgression = ScaleProgression{o.fileStart, o.fileEnd, o.fileStep, kLinear, {}};
    p.averageProgression = ScaleProgression{o.start.value_or(DefaultFirstScale(o.computationType, o.dfaOrder)), 0,
                                            o.step, *progression, o.customFile};

    if (!p.ExpandInputFiles()) {
        err << "fractan: the files list [" << o.input << "] cannot be read or its first line is empty.\n";
        return false;
    }

    if (o.fileType == "auto") {
        p.inputFileType = InputTypeOf(p.inputFiles.front());
    } else if (const auto type = ParseChoice(o.fileType, {"text", "binary"})) {
        p.inputFileType = *type;
    } else {
        err << "fractan: file type [" << o.fileType << "] is not text, binary or auto.\n";
        return false;
    }

    if (o.family == Family::kClusters) return FillClusterFields(o, p, out, err, loaded);

    if (o.dataSize && *o.dataSize < 1) {
        err << "fractan: the data size (-n) is " << *o.dataSize << "; it must be at least 1.\n";
        return false;
    }
    if (o.windowSize && *o.windowSize < 1) {
        err << "fractan: the window size (-w) is " << *o.windowSize << "; it must be at least 1.\n";
        return false;
    }
    if (o.dataSize) {
        p.dataSize = *o.dataSize;
    } else {
        const std::optional<int32_t> size = SamplesFromOffset(p, err, loaded);
        if (!size) return false;
        p.dataSize = *size;
        out << "Data size: " << p.dataSize << " samples from offset " << p.dataOffset << "\n";
    }

    auto derived = [&](int32_t window) {
        p.windowSize = window;
        out << "Window size: " << p.windowSize << "\n";
    };
    if (o.family == Family::kDfa) {
        if (o.windowSize) p.windowSize = *o.windowSize;
        else derived(DefaultWindowSize(p.computationType, p.dataSize, 0));
        p.averageProgression.end =
            o.end ? *o.end
                  : DefaultLargestScale(p.computationType, p.dataSize, p.windowSize, p.averageProgression.start);
        return true;
    }
    p.averageProgression.end =
        o.end ? *o.end : DefaultLargestScale(p.computationType, p.dataSize, 0, p.averageProgression.start);
    if (o.windowSize) {
        p.windowSize = *o.windowSize;
    } else {
        const SizeList sizes = p.averageProgression.Expand();
        derived(DefaultWindowSize(p.computationType, p.dataSize, sizes.Empty() ? 0 : sizes.Last()));
    }
    return true;
}

int RunAnalysisCommand(const AnalysisOptions& options, std::ostream& out, std::ostream& err) {
    AnalysisParameters params;
    // The dfa command runs only the DFA types, the dma command only the others.
    const MethodFamily family = options.family == Family::kDfa ? MethodFamily::kDfa : MethodFamily::kDma;
    AnalysisSettings type;
    type.computationType = options.computationType;
    if (const Refusal refusal = CheckSettings(type, 0, family); refusal && refusal.field == "computationType") {
        err << "fractan: " << refusal.reason << kReviewSuffix << "\n";
        return kExitFailure;
    }
    LoadedSeries loaded;  // read once: the defaults need its length, the run its samples
    if (!BuildParameters(options, params, out, err, &loaded)) return kExitFailure;
    if (const auto code = SaveRequestedConfig(options, params, out, err)) return *code;
    int code = kExitOk;
    RunCheckedAnalysis(params, out, err, &code, family, true, &loaded);
    return code;
}

bool LooksLikeConfiguration(const std::string& path) {
    // A configuration file's first line is a bracketed header of plain text;
    // a binary series could start with '[' but hardly with a whole such line.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    SkipByteOrderMark(file);
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read) return false;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7e) return false;
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

namespace {

int RunCheckedClusters(AnalysisParameters& params, std::ostream& out, std::ostream& err,
                       LoadedSeries* loaded = nullptr) {
    if (!HasTestName(params, err)) return kExitFailure;
    const std::string reason = CheckClusterParameters(params);
    if (!reason.empty()) {
        err << "fractan: " << reason << kReviewSuffix << "\n";
        return kExitFailure;
    }
    if (!HasKnownFileType(params, err)) return kExitFailure;
    params.ExpandInputFiles();
    if (!OutputAndInputsExist(params, err)) return kExitFailure;
    ClusterRunSummary summary;
    RunClusterAnalysis(params, &summary, loaded);
    if (summary.refused) {  // a progression file that reads differently the second time
        err << "fractan: nothing analysed; see the line above.\n";
        return kExitFailure;
    }
    if (summary.stopped) {
        err << "fractan: calculation stopped; the files written so far are kept.\n";
        return kExitStopped;
    }
    const std::string stem = JoinPath(params.outputPath, params.testName + "." + params.filePrefix) +
                             (params.distributionType == 0 ? ".Out.Lin" : ".Out.Log");
    out << "Clusters found: " << summary.clusters << "\n";
    if (summary.clusters > 0 && params.distributionStep > 0)
        out << "Distribution files: [" << stem << (params.globalStatisticsOnly ? ".All" : "")
            << ".*.txt]\n";
    int code = kExitOk;
    if (!summary.notAnalysed.empty()) {
        ReportFiles(err, std::to_string(summary.notAnalysed.size()) + " of " +
                             std::to_string(params.inputFiles.size()) + " input files could not be read",
                    summary.notAnalysed);
        code = kExitFailure;
    }
    if (!summary.unwritten.empty()) {
        err << "fractan: " << summary.unwritten.size() << " files could not be written.\n";
        code = kExitFailure;
    }
    if (params.distributionStep <= 0) {
        err << "fractan: the distribution step is " << params.distributionStep
            << ", so no distribution file was written.\n";
        code = kExitFailure;
    }
    return code;
}

}  // namespace

int RunClustersCommand(const AnalysisOptions& options, std::ostream& out, std::ostream& err) {
    AnalysisParameters params;
    LoadedSeries loaded;
    if (!BuildParameters(options, params, out, err, &loaded)) return kExitFailure;
    if (const auto code = SaveRequestedConfig(options, params, out, err)) return *code;
    return RunCheckedClusters(params, out, err, &loaded);
}

int RunClustersConfigCommand(const std::string& configPath, std::ostream& out, std::ostream& err, int32_t jobs,
                             const std::string& column) {
    AnalysisParameters params;
    if (!LoadConfigFile(configPath, params, err)) return kExitFailure;
    params.jobs = jobs;
    params.column = column;
    return RunCheckedClusters(params, out, err);
}

}  // namespace fractan::cli
