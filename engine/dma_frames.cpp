#include "engine/dma_frames.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "setup/files.h"
#include "setup/paths.h"

namespace fractan {

FrameData LoadFrameData(const VariantCall& call) {
    FrameData frame;
    frame.sizes = call.progression.Expand();
    frame.K = frame.sizes.Size();
    frame.M = frame.K > 0 ? frame.sizes.Last() : 0;
    frame.loaded =
        LoadSeries(frame.data, call.inputPath, call.inputType, call.dataSize, call.dataOffset);
    frame.first = call.dataOffset;
    if (frame.loaded) {
        frame.lag1 = Lag1Autocorrelation(frame.data);
        frame.integrated = call.context && call.context->integrate;
        if (frame.integrated && !frame.data.Empty()) IntegrateSeries(frame.data);
    }
    return frame;
}

namespace {

// Values that hardly follow each other and an H below that of a walk: the
// increments of a series, given where its profile is expected. Said once a run.
void SuggestIntegration(const VariantCall& call, const FrameData& frame, double hurst) {
    if (frame.integrated || !(frame.lag1 < 0.5) || !(hurst < 0.6)) return;
    if (call.context) {
        if (call.context->integrationSuggested) return;
        call.context->integrationSuggested = true;
    }
    PrintFormatted("The values of [%s] look like increments (lag-1 autocorrelation %.2f, H %.2f), while DMA "
                   "and DFA take a profile such as a walk: to analyse their cumulative sum, integrate them "
                   "(--integrate, or \"Integrate the values\" on the page).\n",
                   call.inputPath.c_str(), frame.lag1, hurst);
}

}  // namespace

void FrameData::KeepLast(int32_t keep) {
    const int32_t n = data.Size();
    for (int32_t i = 0; i < keep; ++i) data[i] = data[n - keep + i];
    data.SetSize(keep);
    first += n - keep;
}

int64_t FrameData::FirstBadSample() const {
    for (int32_t i = 0; i < data.Size(); ++i)
        if (!std::isfinite(data[i])) return first + i;
    return -1;
}

namespace {

// Why H is not finite: the first sample that is not a number, or `otherwise`.
std::string NotFiniteCause(const FrameData& frame, const char* otherwise) {
    const int64_t bad = frame.FirstBadSample();
    if (bad < 0) return otherwise;
    return "sample " + std::to_string(bad) + " of the file (counted from 0) is not a finite number";
}

}  // namespace

std::string FrameRefusal(const VariantCall& call, const FrameData& frame, int64_t needed,
                         const std::string& windowRefusal, bool boxes) {
    const SizeList& sizes = frame.sizes;
    const int32_t samples = frame.data.Size();
    if (!frame.loaded) return "the series could not be loaded";
    if (call.windowSize < 1)
        return "the window size is " + std::to_string(call.windowSize) + ", it must be at least 1";
    if (sizes.Empty())
        return boxes ? "the box size progression gives no box size"
                     : "the moving average progression gives no window size";
    if (!windowRefusal.empty()) return windowRefusal;
    if (samples < needed)
        return "it holds " + std::to_string(samples) + " samples, fewer than the " +
               std::to_string(needed) + " that window size " + std::to_string(call.windowSize) +
               (boxes ? " needs" : " and maximum moving average " + std::to_string(sizes.Last()) + " need");
    return {};
}

int32_t FinishDynamic(const VariantCall& call, const FrameData& frame, IncrementalWriter& writer,
                      int64_t evaluated, int32_t first, int32_t last, int32_t step) {
    if (!writer.Close()) return kNotAnalysed;
    if (writer.NotFinite() > 0) {
        const std::string cause = NotFiniteCause(frame, "a scale has no fluctuation there");
        PrintFormatted("H of [%s] is not a finite number at %lld of the %lld positions evaluated, from %d to %d: %s.\n",
                       call.inputPath.c_str(), static_cast<long long>(writer.NotFinite()),
                       static_cast<long long>(evaluated), writer.FirstNotFinite(), writer.LastNotFinite(), cause.c_str());
        return kNotFinite;
    }
    if (evaluated > 0) {
        SuggestIntegration(call, frame, writer.LastHurst());
        return kAnalysed;
    }
    if (last < first)
        PrintFormatted("Nothing evaluated for [%s]: no position is left after the data window.\n",
                       call.inputPath.c_str());
    else
        PrintFormatted("Nothing evaluated for [%s]: no position from %d to %d is a multiple of the "
                       "dynamic step %d.\n", call.inputPath.c_str(), first, last, step);
    return kNotAnalysed;
}

std::vector<double> LogSizes(const SizeList& sizes) {
    std::vector<double> logs(static_cast<size_t>(sizes.Size()));
    for (int32_t k = 0; k < sizes.Size(); ++k) logs[k] = std::log10(static_cast<double>(sizes[k]));
    return logs;
}

void ReportNotAnalysed(const VariantCall& call, const std::vector<const char*>& phases,
                       const std::string& reason) {
    for (const char* phase : phases) {
        PrintProgress(phase);
        PrintProgress("Done.");
    }
    PrintFormatted("Nothing evaluated for [%s]: %s.\n", call.inputPath.c_str(), reason.c_str());
}

double WriteChartAndFit(const VariantCall& call, const SizeList& sizes,
                        const std::vector<double>& fluctuations) {
    const std::string chartPath = ClaimName(call, ChartFilePath(call.resultPath, call.inputPath), ".chart.txt");
    std::FILE* chart = std::fopen(chartPath.c_str(), "w");
    if (!chart) PrintFormatted("Error writing chart file [%s].\n", chartPath.c_str());
    LogLogFit fit;
    for (int32_t k = 0; k < sizes.Size(); ++k) {
        const double n = static_cast<double>(sizes[k]);
        const double f = fluctuations[k];
        const double x = std::log10(n);
        const double y = std::log10(f);
        // Nine decimals would write an F below about 5e-10 as 0: small F keep
        // nine significant digits instead.
        if (chart)
            std::fprintf(chart, std::fabs(f) >= 1e-3 || f == 0.0 || !std::isfinite(f) ? "%.9lf\t%.9lf\t%.9lf\t%.9lf\n"
                                                                                 : "%.9lf\t%.8e\t%.9lf\t%.9lf\n",
                         n, f, x, y);
        fit.Add(x, y);
    }
    if (chart) {
        if (!CloseWritten(chart))
            PrintFormatted("Error writing chart file [%s].\n", chartPath.c_str());
        else if (call.context)
            call.context->chartFiles.push_back(chartPath);
    }
    return fit.Slope(sizes.Size());
}

int32_t WriteStaticResult(const VariantCall& call, const FrameData& frame, int32_t position, double hurst) {
    std::FILE* file = std::fopen(call.resultPath.c_str(), "a");
    if (!file) {
        PrintProgress("Error writing to output file.");
        PrintFormatted("Cannot write [%s]: %s.\n", call.resultPath.c_str(), std::strerror(errno));
        return kNotAnalysed;
    }
    PrintProgress("Writing output file...");
    const bool written = WriteResultLine(file, FileNameOf(call.inputPath), call.dataSize,
                                         call.dataOffset, position, hurst);
    if (std::fclose(file) != 0 || !written) {
        PrintProgress("Error writing to output file.");
        PrintFormatted("Cannot write [%s]: %s.\n", call.resultPath.c_str(), std::strerror(errno));
        return kNotAnalysed;
    }
    PrintProgress("Done.");
    SuggestIntegration(call, frame, hurst);
    if (std::isfinite(hurst)) return kAnalysed;
    PrintFormatted("H of [%s] is not a finite number: %s.\n", call.inputPath.c_str(), NotFiniteCause(frame, "see its chart file for a scale without fluctuation or with values that are not numbers").c_str());
    return kNotFinite;
}

std::string ClaimName(const VariantCall& call, const std::string& path, const std::string& tail) {
    return call.context ? call.context->names.Claim(path, tail) : path;
}

IncrementalWriter::~IncrementalWriter() { Close(); }

void IncrementalWriter::Fail() {
    if (!failed_) PrintFormatted("Error writing incremental file [%s].\n", path_.c_str());
    failed_ = true;
}

void IncrementalWriter::Flush() {
    if (file_ && std::fflush(file_) != 0) Fail();
}

bool IncrementalWriter::Close() {
    if (file_) {
        if (std::fclose(file_) != 0) Fail();
        file_ = nullptr;
    }
    return !failed_;
}

bool IncrementalWriter::Append(int32_t position, double hurst) {
    if (failed_) return false;
    const bool first = !file_;
    if (first) file_ = std::fopen(path_.c_str(), "a");
    if (!file_ || !WriteResultLine(file_, fileName_, dataSize_, dataOffset_, position, hurst)) {
        Fail();
        return false;
    }
    if (first && context_) context_->incrementalFiles.push_back(path_);
    lastHurst_ = hurst;
    if (!std::isfinite(hurst)) {
        if (notFinite_++ == 0) firstNotFinite_ = position;
        lastNotFinite_ = position;
    }
    return true;
}

std::string WindowsBelow(const SizeList& sizes, int32_t least, const char* what) {
    for (int32_t n : sizes)
        if (n < least)
            return std::string("the ") + what + " " + std::to_string(n) + " is below " + std::to_string(least);
    return {};
}

std::string PlainWindows::Refusal(const SizeList& sizes) const {
    return WindowsBelow(sizes, 1, "moving average window");
}

void PlainWindows::Setup(const SizeList& sizes) {
    windows_ = ChunkedArray<RunningWindow>(sizes.Size(), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) windows_[k].SetLength(sizes[k]);
}

}  // namespace fractan
