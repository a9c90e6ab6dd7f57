#include "engine/file_analysis.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/computation.h"
#include "engine/methods.h"
#include "engine/result_files.h"
#include "setup/files.h"
#include "setup/packing.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/series_loader.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// The phase lines of a computation that evaluates nothing, then the reason naming the file.
void ReportNotAnalysed(const VariantCall& call, const std::vector<const char*>& phases, const std::string& reason) {
    for (const char* phase : phases) {
        PrintProgress(phase);
        PrintProgress("Done.");
    }
    PrintFormatted("Nothing evaluated for [%s]: %s.\n", call.inputPath.c_str(), reason.c_str());
}

// The line of a reason why H is not finite ("H is not a finite number ..."), naming the file.
std::string NotFiniteLine(const VariantCall& call, const std::string& reason) {
    return "H of [" + call.inputPath + "]" + reason.substr(1) + ".\n";
}

// The name a file of this input takes: the one the run gave it, said when it
// is not the composed one.
std::string NameInRun(const std::string& given, const std::string& composed) {
    if (given.empty() || given == composed) return composed;
    PrintFormatted("File name [%s] is already used in this run; writing [%s] instead.\n", composed.c_str(),
                   given.c_str());
    return given;
}

// Values that look like the increments of a series, given where its profile
// is expected.
std::string Suggestion(const VariantCall& call, std::span<const double> values, const AnalysisResult& r,
                       const AnalysisSettings& s) {
    const std::optional<IncrementsSigns> signs = IncrementsSignsOf(values, r, s);
    if (!signs) return {};
    char line[1024];
    std::snprintf(line, sizeof line,
                  "The values of [%s] look like increments (lag-1 autocorrelation %.2f, H %.2f), while DMA "
                  "and DFA take a profile such as a walk: to analyse their cumulative sum, integrate them "
                  "(--integrate, or \"Integrate the values\" on the page).\n",
                  call.inputPath.c_str(), signs->lag1, signs->hurst);
    return line;
}

// Appends the result lines of a dynamic computation to its incremental
// file, which stays open while the positions are evaluated.
class IncrementalWriter : public PositionSink {
public:
    IncrementalWriter(std::string path, const VariantCall& call)
        : path_(std::move(path)), fileName_(FileNameOf(call.inputPath)), call_(call) {}
    ~IncrementalWriter() override { Close(); }
    IncrementalWriter(const IncrementalWriter&) = delete;
    IncrementalWriter& operator=(const IncrementalWriter&) = delete;

    void Append(int32_t position, double hurst) override {
        if (failed_) return;
        if (!file_) file_ = std::fopen(path_.c_str(), "a");
        if (!file_ || !WriteResultLine(file_, fileName_, call_.dataSize, call_.dataOffset, position, hurst)) {
            Fail();
            return;
        }
        written_ = true;
    }
    void Flush() override {
        if (file_ && std::fflush(file_) != 0) Fail();
    }
    // Closes the file; false when anything could not be written.
    bool Close() {
        if (file_) {
            if (std::fclose(file_) != 0) Fail();
            file_ = nullptr;
        }
        return !failed_;
    }

    const std::string& Path() const { return path_; }
    bool Written() const { return written_; }

private:
    void Fail() {
        if (!failed_) PrintFormatted("Error writing incremental file [%s].\n", path_.c_str());
        failed_ = true;
    }

    std::string path_;
    std::string fileName_;
    const VariantCall& call_;
    std::FILE* file_ = nullptr;
    bool failed_ = false, written_ = false;
};

// Writes the chart file, lines (n, F, log10 n, log10 F); false (after a line)
// when it cannot be written.
bool WriteChart(const std::string& path, const SizeList& sizes, const std::vector<double>& fluctuations) {
    std::FILE* chart = std::fopen(path.c_str(), "w");
    if (chart) {
        for (int32_t k = 0; k < sizes.Size(); ++k) {
            const double n = static_cast<double>(sizes[k]);
            const double f = fluctuations[k];
            // Nine decimals would write an F below about 5e-10 as 0: small F keep
            // nine significant digits instead.
            std::fprintf(chart,
                         std::fabs(f) >= 1e-3 || f == 0.0 || !std::isfinite(f) ? "%.9lf\t%.9lf\t%.9lf\t%.9lf\n"
                                                                                : "%.9lf\t%.8e\t%.9lf\t%.9lf\n",
                         n, f, std::log10(n), std::log10(f));
        }
        if (CloseWritten(chart)) return true;
    }
    PrintFormatted("Error writing chart file [%s].\n", path.c_str());
    return false;
}

}  // namespace

FileOutcome AnalyseFile(const AnalysisSettings& s, const VariantCall& call) {
    FileOutcome outcome;
    StopCheck stopRequested;
    const bool dynamic = IsDynamicType(s.computationType);
    const std::string incrementalPath =
        dynamic ? NameInRun(call.incrementalPath, IncrementalFilePath(call.resultPath, call.inputPath)) : "";

    SampleArray data;
    const bool loaded =
        (call.loaded &&
         call.loaded->Take(call.inputPath, call.inputType, call.column, call.dataSize, call.dataOffset, data)) ||
        LoadSeries(data, call.inputPath, call.inputType, call.dataSize, call.dataOffset, nullptr, call.column,
                   call.kept);
    if (stopRequested()) {
        outcome.status = kStopped;
        return outcome;
    }
    // An input that cannot be read leaves the files of an earlier run as they were.
    outcome.read = loaded;
    if (dynamic && loaded) TruncateFile(incrementalPath);
    const SizeList sizes = SizesOf(s);
    const std::string reason =
        loaded ? ComputationRefusal(s, sizes, data.Size()) : std::string("the series could not be loaded");
    if (!reason.empty()) {
        ReportNotAnalysed(call, RefusedPhases(s.computationType), reason);
        outcome.computed.reason = reason;
        return outcome;
    }
    const std::span<double> samples(data.Data(), static_cast<size_t>(data.Size()));
    if (s.integrate) Integrate(samples);

    std::optional<IncrementalWriter> writer;
    if (dynamic) writer.emplace(incrementalPath, call);
    AnalysisResult& r = outcome.computed;
    r = ComputeResult(samples, s, sizes, writer ? &*writer : nullptr, call.dataOffset, " of the file");
    if (r.status == AnalysisStatus::kStopped) {
        outcome.status = kStopped;
        return outcome;
    }
    if (dynamic) {
        if (writer->Written()) outcome.incrementalFile = writer->Path();
        if (!writer->Close()) {
            r.reason = "the incremental file [" + writer->Path() + "] could not be written";
            return outcome;
        }
        if (r.status == AnalysisStatus::kRefused) {
            PrintFormatted("Nothing evaluated for [%s]: %s.\n", call.inputPath.c_str(), r.reason.c_str());
            return outcome;
        }
        if (r.status == AnalysisStatus::kNotFinite) WriteOutput(NotFiniteLine(call, r.reason));
        outcome.status = r.status == AnalysisStatus::kNotFinite ? kNotFinite : kAnalysed;
        if (outcome.status == kAnalysed) outcome.suggestion = Suggestion(call, samples, r, s);
        return outcome;
    }

    const std::string chartPath = NameInRun(call.chartPath, ChartFilePath(call.resultPath, call.inputPath));
    if (WriteChart(chartPath, sizes, r.fluctuations)) outcome.chartFile = chartPath;
    PrintProgress("Done.");
    outcome.suggestion = Suggestion(call, samples, r, s);
    outcome.pending = true;
    outcome.status = kAnalysed;
    return outcome;
}

std::string Pack(const FileOutcome& o) {
    const AnalysisResult& r = o.computed;
    Packer packer;
    packer.Put(o.status).Put(o.read).Put(o.pending).Put(o.chartFile).Put(o.incrementalFile).Put(o.suggestion);
    packer.Put(static_cast<int32_t>(r.status)).Put(r.reason).Put(r.fluctuations).Put(r.hurst).Put(r.hurstError);
    packer.Put(r.position).Put(r.positions).Put(r.hursts).Put(r.interval.has_value());
    if (const auto& i = r.interval)
        packer.Put(i->none).Put(i->level).Put(i->low).Put(i->high).Put(i->corrected).Put(i->deviation).Put(i->replicates);
    return packer.Bytes();
}

FileOutcome UnpackOutcome(const std::string& bytes) {
    FileOutcome o;
    AnalysisResult& r = o.computed;
    int32_t status = 0;
    Unpacker unpacker(bytes);
    unpacker.Get(o.status).Get(o.read).Get(o.pending).Get(o.chartFile).Get(o.incrementalFile).Get(o.suggestion);
    unpacker.Get(status).Get(r.reason).Get(r.fluctuations).Get(r.hurst).Get(r.hurstError);
    bool interval = false;
    unpacker.Get(r.position).Get(r.positions).Get(r.hursts).Get(interval);
    if (interval) {
        HurstInterval& i = r.interval.emplace();
        unpacker.Get(i.none).Get(i.level).Get(i.low).Get(i.high).Get(i.corrected).Get(i.deviation).Get(i.replicates);
    }
    r.status = static_cast<AnalysisStatus>(status);
    return o;
}

int32_t CommitFile(const VariantCall& call, FileOutcome& outcome, bool& suggested, const ResultFile& resultFile) {
    const AnalysisResult& result = outcome.computed;
    if (outcome.pending) {
        std::FILE* file = resultFile.file.get();
        if (file) PrintProgress("Writing output file...");
        // Flushed line by line: a run that stops keeps every line written before.
        if (!file || !WriteResultLine(file, FileNameOf(call.inputPath), call.dataSize, call.dataOffset,
                                      result.position, result.hurst) || std::fflush(file) != 0) {
            PrintProgress("Error writing to output file.");
            PrintFormatted("Cannot write [%s]: %s.\n", call.resultPath.c_str(),
                           std::strerror(file ? errno : resultFile.openError));
            outcome.computed.reason = "the result file [" + call.resultPath + "] could not be written";
            return outcome.status = kNotAnalysed;
        }
        PrintProgress("Done.");
    }
    if (!outcome.suggestion.empty() && !suggested) {
        WriteOutput(outcome.suggestion);
        suggested = true;
    }
    if (outcome.pending && result.status == AnalysisStatus::kNotFinite) {
        WriteOutput(NotFiniteLine(call, result.reason));
        outcome.status = kNotFinite;
    }
    return outcome.status;
}

ResultFile::ResultFile(const std::string& path, const char* mode) : file(std::fopen(path.c_str(), mode)) {
    if (!file) openError = errno;
}

int32_t RunFileVariant(const AnalysisSettings& settings, const VariantCall& call) {
    FileOutcome outcome = AnalyseFile(settings, call);
    bool suggested = false;
    if (!outcome.pending) return CommitFile(call, outcome, suggested, ResultFile{});
    return CommitFile(call, outcome, suggested, ResultFile(call.resultPath, "a"));
}

}  // namespace fractan
