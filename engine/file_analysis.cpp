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
void ReportNotAnalysed(const VariantCall& call, const std::vector<const char*>& phases, const std::string& reason,
                       FileOutcome& outcome) {
    for (const char* phase : phases) {
        PrintProgress(phase);
        PrintProgress("Done.");
    }
    PrintFormatted("Nothing evaluated for [%s]: %s.\n", call.inputPath.c_str(), reason.c_str());
    outcome.reason = reason;
}

// The name a file of this input takes: the one the run gave it, said when it
// is not the composed one.
std::string NameInRun(const std::string& given, const std::string& composed) {
    if (given.empty() || given == composed) return composed;
    PrintFormatted("File name [%s] is already used in this run; writing [%s] instead.\n", composed.c_str(),
                   given.c_str());
    return given;
}

double Lag1Autocorrelation(std::span<const double> values) {
    const size_t n = values.size();
    if (n < 2) return std::numeric_limits<double>::quiet_NaN();
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(n);
    double lagged = 0.0, squares = 0.0;
    for (size_t t = 0; t < n; ++t) {
        const double d = values[t] - mean;
        squares += d * d;
        if (t + 1 < n) lagged += d * (values[t + 1] - mean);
    }
    return lagged / squares;
}

// Values that hardly follow each other and an H below that of a walk: the
// increments of a series, given where its profile is expected.
std::string Suggestion(const VariantCall& call, double lag1, double hurst) {
    if (!(lag1 < 0.5) || !(hurst < 0.6)) return {};
    char line[1024];
    std::snprintf(line, sizeof line,
                  "The values of [%s] look like increments (lag-1 autocorrelation %.2f, H %.2f), while DMA "
                  "and DFA take a profile such as a walk: to analyse their cumulative sum, integrate them "
                  "(--integrate, or \"Integrate the values\" on the page).\n",
                  call.inputPath.c_str(), lag1, hurst);
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
        positions_.push_back(position);
        hursts_.push_back(hurst);
        if (failed_) return;
        if (!file_) file_ = std::fopen(path_.c_str(), "a");
        if (!file_ || !WriteResultLine(file_, fileName_, call_.dataSize, call_.dataOffset, position, hurst)) {
            Fail();
            return;
        }
        written_ = true;
        lastHurst_ = hurst;
        notFinite_.Add(position, hurst);
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
    double LastHurst() const { return lastHurst_; }
    const NotFiniteTally& NotFinite() const { return notFinite_; }
    std::vector<int32_t> positions_;  // every position evaluated, and its H, for the caller
    std::vector<double> hursts_;

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
    double lastHurst_ = 0.0;
    NotFiniteTally notFinite_;
};

// The status of a dynamic run that evaluated the range; a line says why when
// there was no position, and which positions have an H that is not finite.
int32_t FinishDynamic(const VariantCall& call, std::span<const double> samples, IncrementalWriter& writer,
                      const DynamicRange& range, std::string& reason) {
    if (!writer.Close()) {
        reason = "the incremental file [" + writer.Path() + "] could not be written";
        return kNotAnalysed;
    }
    if (const NotFiniteTally& notFinite = writer.NotFinite(); notFinite.count > 0) {
        const std::string cause = NotFiniteCause(samples, call.dataOffset, " of the file", "a scale has no fluctuation there");
        const std::string where = "at " + std::to_string(notFinite.count) + " of the " +
                                  std::to_string(range.evaluated) + " positions evaluated, from " +
                                  std::to_string(notFinite.first) + " to " + std::to_string(notFinite.last) + ": " + cause;
        reason = "H is not a finite number " + where;
        PrintFormatted("H of [%s] is not a finite number %s.\n", call.inputPath.c_str(), where.c_str());
        return kNotFinite;
    }
    if (range.evaluated > 0) return kAnalysed;
    reason = range.last < range.first ? std::string("no position is left after the data window")
                                      : "no position from " + std::to_string(range.first) + " to " +
                                            std::to_string(range.last) + " is a multiple of the dynamic step " +
                                            std::to_string(range.step);
    PrintFormatted("Nothing evaluated for [%s]: %s.\n", call.inputPath.c_str(), reason.c_str());
    return kNotAnalysed;
}

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
        (call.loaded && call.loaded->Take(call.inputPath, call.inputType, call.dataSize, call.dataOffset, data)) ||
        LoadSeries(data, call.inputPath, call.inputType, call.dataSize, call.dataOffset);
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
        ReportNotAnalysed(call, RefusedPhases(s.computationType), reason, outcome);
        return outcome;
    }
    const std::span<double> samples(data.Data(), static_cast<size_t>(data.Size()));
    const double lag1 = s.integrate ? 1.0 : Lag1Autocorrelation(samples);
    if (s.integrate) Integrate(samples);

    if (dynamic) {
        IncrementalWriter writer(incrementalPath, call);
        DynamicRange range;
        if (!ComputeExponents(s, sizes, samples, writer, range)) {
            outcome.status = kStopped;
            return outcome;
        }
        outcome.status = FinishDynamic(call, samples, writer, range, outcome.reason);
        outcome.positions = std::move(writer.positions_);
        outcome.hursts = std::move(writer.hursts_);
        if (writer.Written()) outcome.incrementalFile = writer.Path();
        if (outcome.status == kAnalysed) outcome.suggestion = Suggestion(call, lag1, writer.LastHurst());
        return outcome;
    }

    const std::optional<std::vector<double>> fluctuations = ComputeFluctuations(s, sizes, samples);
    if (!fluctuations) {
        outcome.status = kStopped;
        return outcome;
    }
    const std::string chartPath = NameInRun(call.chartPath, ChartFilePath(call.resultPath, call.inputPath));
    if (WriteChart(chartPath, sizes, *fluctuations)) outcome.chartFile = chartPath;
    PendingResult result{StaticPosition(s, sizes), HurstOf(sizes, *fluctuations),
                         HurstStandardError(sizes, *fluctuations), {}};
    PrintProgress("Done.");
    if (!std::isfinite(result.hurst)) {
        const int64_t first = FirstStaticSample(s, sizes, data.Size());
        const std::string cause =
            NotFiniteCause(samples.subspan(static_cast<size_t>(first)), call.dataOffset + first, " of the file",
                           FluctuationCause(sizes, *fluctuations).c_str());
        outcome.reason = "H is not a finite number: " + cause;
        result.notFiniteLine = "H of [" + call.inputPath + "] is not a finite number: " + cause + ".\n";
    }
    outcome.fluctuations = *fluctuations;
    outcome.suggestion = Suggestion(call, lag1, result.hurst);
    outcome.result = result;
    outcome.status = kAnalysed;
    return outcome;
}

std::string Pack(const FileOutcome& o) {
    Packer packer;
    packer.Put(o.status).Put(o.read).Put(o.result.has_value()).Put(o.chartFile).Put(o.incrementalFile).Put(o.suggestion);
    packer.Put(o.reason).Put(o.fluctuations).Put(o.positions).Put(o.hursts);
    if (o.result) packer.Put(o.result->position).Put(o.result->hurst).Put(o.result->standardError).Put(o.result->notFiniteLine);
    return packer.Bytes();
}

FileOutcome UnpackOutcome(const std::string& bytes) {
    FileOutcome o;
    bool hasResult = false;
    Unpacker unpacker(bytes);
    unpacker.Get(o.status).Get(o.read).Get(hasResult).Get(o.chartFile).Get(o.incrementalFile).Get(o.suggestion);
    unpacker.Get(o.reason).Get(o.fluctuations).Get(o.positions).Get(o.hursts);
    if (hasResult) {
        o.result.emplace();
        unpacker.Get(o.result->position).Get(o.result->hurst).Get(o.result->standardError).Get(o.result->notFiniteLine);
    }
    return o;
}

int32_t CommitFile(const VariantCall& call, FileOutcome& outcome, bool& suggested) {
    if (outcome.result) {
        const PendingResult& result = *outcome.result;
        std::FILE* file = std::fopen(call.resultPath.c_str(), "a");
        if (!file) {
            PrintProgress("Error writing to output file.");
            PrintFormatted("Cannot write [%s]: %s.\n", call.resultPath.c_str(), std::strerror(errno));
            outcome.reason = "the result file [" + call.resultPath + "] could not be written";
            return outcome.status = kNotAnalysed;
        }
        PrintProgress("Writing output file...");
        const bool written = WriteResultLine(file, FileNameOf(call.inputPath), call.dataSize, call.dataOffset,
                                             result.position, result.hurst);
        if (std::fclose(file) != 0 || !written) {
            PrintProgress("Error writing to output file.");
            PrintFormatted("Cannot write [%s]: %s.\n", call.resultPath.c_str(), std::strerror(errno));
            outcome.reason = "the result file [" + call.resultPath + "] could not be written";
            return outcome.status = kNotAnalysed;
        }
        PrintProgress("Done.");
    }
    if (!outcome.suggestion.empty() && !suggested) {
        WriteOutput(outcome.suggestion);
        suggested = true;
    }
    if (outcome.result && !outcome.result->notFiniteLine.empty()) {
        WriteOutput(outcome.result->notFiniteLine);
        outcome.status = kNotFinite;
    }
    return outcome.status;
}

int32_t RunFileVariant(const AnalysisSettings& settings, const VariantCall& call) {
    FileOutcome outcome = AnalyseFile(settings, call);
    bool suggested = false;
    return CommitFile(call, outcome, suggested);
}

}  // namespace fractan
