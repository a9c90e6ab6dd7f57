// The generator, local slope and small file tools on the command line.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/commands.h"
#include "generator/generator.h"
#include "cli/cli_support.h"
#include "generator/series_writer.h"
#include "setup/line_reader.h"
#include "slope/local_slope.h"
#include "tools/file_tools.h"

namespace fractan::cli {
namespace {

// text | binary | both, or the kind's number.
std::optional<int32_t> ParseKind(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
    if (value == "text" || value == "1") return kTextSeries;
    if (value == "binary" || value == "2") return kBinarySeries;
    if (value == "both" || value == "3") return kTextAndBinarySeries;
    return std::nullopt;
}

}  // namespace

int RunGenerateCommand(const GenerateOptions& o, std::ostream& out, std::ostream& err) {
    const auto kind = ParseKind(o.kind);
    if (!kind) {
        err << "fractan: output kind [" << o.kind << "] is not text, binary or both.\n";
        return kExitFailure;
    }
    GeneratorSettings settings;
    settings.seriesCount = o.count;
    settings.lengthExponent = o.levels;
    settings.hurstStart = o.hurstStart;
    settings.hurstEnd = o.hurstEnd;
    settings.hurstStep = o.hurstStep;
    settings.outputPath = o.output;
    settings.filePrefix = o.prefix;
    settings.outputKind = *kind;
    settings.precision = o.precision;
    settings.seed = o.seed ? *o.seed : kTimeSeed;
    if (o.method == "fft") {
        settings.method = kSpectralMethod;
    } else if (o.method != "rmd") {
        err << "fractan: generator method [" << o.method << "] is not rmd or fft.\n";
        return kExitFailure;
    }

    const std::string refusal = GeneratorRefusal(settings);
    if (!refusal.empty()) {
        err << "fractan: " << refusal << " Nothing generated.\n";
        return kExitFailure;
    }
    if (!IsFolder(o.output)) {
        err << "fractan: output folder [" << o.output << "] does not exist.\n";
        return kExitFailure;
    }
    GeneratorSummary summary;
    switch (Generate(settings, &summary)) {
        case kGenerated:
            out << "Series written: " << summary.seriesWritten << "\n";
            return kExitOk;
        case kGeneratorStopped:
            err << "fractan: generation stopped; the series written so far are kept.\n";
            return kExitStopped;
        case kSomeSeriesFailed:
            err << "fractan: " << summary.seriesFailed << " of " << summary.seriesWritten + summary.seriesFailed
                << " series could not be written.\n";
            return kExitFailure;
        case kGeneratorRefused:
            break;
    }
    return kExitFailure;
}

int RunLocalSlopeCommand(const LocalSlopeOptions& o, std::ostream& out, std::ostream& err) {
    if (!(o.delta > 0.0)) {
        err << "fractan: the window delta is " << o.delta << ", it must be greater than 0.\n";
        return kExitFailure;
    }
    bool written = false;
    switch (LocalSlope(o.chart, o.width, o.delta, &written)) {
        case kChartNotOpened:
            err << "fractan: cannot read chart file [" << o.chart << "].\n";
            return kExitFailure;
        case kLocalSlopeStopped:
            err << "fractan: local slope stopped; nothing was written.\n";
            return kExitStopped;
        case kLocalSlopeRefused:
            err << "fractan: no local slope file was written.\n";
            return kExitFailure;
        case kLocalSlopeEmpty:
            err << "fractan: " << EmptyLocalSlopeNote(LocalSlopePath(o.chart)) << "\n";
            return kExitFailure;
        default:
            break;
    }
    if (!written) {
        err << "fractan: cannot write [" << LocalSlopePath(o.chart) << "].\n";
        return kExitFailure;
    }
    out << "Local slope file: [" << LocalSlopePath(o.chart) << "]\n";
    return kExitOk;
}

int RunFilesListCommand(const FilesListOptions& o, std::ostream& out, std::ostream& err) {
    const FilesListRequest request{o.path, o.prefix, o.start, o.step, o.end, o.ext};
    if (const int64_t length = FilesListLength(request); length > kLargeFilesList && !o.force) {
        char megabytes[32];
        std::snprintf(megabytes, sizeof megabytes, "%.0f", FilesListMegabytes(request));
        err << "fractan: the files list would have " << length << " lines (about " << megabytes
            << " MB); give --force to write it.\n";
        return kExitFailure;
    }
    int64_t lines = 0;
    switch (WriteFilesList(o.output, request, &lines)) {
        case FilesListStatus::kWritten:
            out << "Files list: [" << o.output << "], " << lines << " files\n";
            return kExitOk;
        case FilesListStatus::kRefused:
            err << "fractan: " << FilesListRefusal(request) << "\n";
            return kExitFailure;
        case FilesListStatus::kNotCreated:
            err << "fractan: Error creating files list. [" << o.output << "]\n";
            return kExitFailure;
        case FilesListStatus::kWriteFailed:
            err << "fractan: error writing files list [" << o.output << "]; the unfinished list is removed.\n";
            return kExitFailure;
        case FilesListStatus::kStopped:
            err << "fractan: stopped; the unfinished files list is removed.\n";
            return kExitStopped;
    }
    return kExitFailure;
}

int RunCountLinesCommand(const std::string& path, std::ostream& out, std::ostream& err) {
    const std::string trimmed = Trim(path);
    if (trimmed.empty()) {
        err << "fractan: Please enter an input file.\n";
        return kExitFailure;
    }
    const int64_t lines = CountLines(trimmed);
    if (lines == kCountStopped) {
        err << "fractan: counting stopped.\n";
        return kExitStopped;
    }
    if (lines < 0) {
        err << "fractan: There was an error reading from input file. [" << trimmed << "]\n";
        return kExitFailure;
    }
    out << lines << "\n";
    return kExitOk;
}

int RunSampleCommand(const SampleOptions& o, std::ostream& out, std::ostream& err) {
    SampleStatus status;
    const int64_t written = MakeSampleFile(o.input, o.bytes, o.skip, &status);
    const std::string sample = SampleFilePath(o.input);
    switch (status) {
        case SampleStatus::kWritten:
            out << "Sample file: [" << sample << "], " << written << " characters\n";
            return kExitOk;
        case SampleStatus::kInputNotOpened:
            err << "fractan: cannot read [" << o.input << "].\n";
            return kExitFailure;
        case SampleStatus::kSampleNotOpened:
        case SampleStatus::kWriteFailed:
            err << "fractan: cannot write [" << sample << "].\n";
            return kExitFailure;
        case SampleStatus::kStopped:
            err << "fractan: stopped; the unfinished sample file is removed.\n";
            return kExitStopped;
    }
    return kExitFailure;
}

}  // namespace fractan::cli
