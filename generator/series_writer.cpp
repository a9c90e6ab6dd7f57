#include "generator/series_writer.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <utility>

#include "setup/files.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/stop.h"

namespace fractan {
namespace {

constexpr const char* kNoFile = "Error printing series. No output file could be opened.";
constexpr int kBufferSize = 1 << 20;

std::FILE* OpenSeriesFile(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        PrintProgress("Error while opening " + path);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOFBF, kBufferSize);
    return file;
}

void WriteLittleEndian(std::FILE* file, double value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        for (size_t i = 0; i < sizeof value / 2; ++i) std::swap(bytes[i], bytes[sizeof value - 1 - i]);
    std::fwrite(bytes, 1, sizeof bytes, file);
}

}  // namespace

std::string SeriesBaseName(const std::string& outputPath, const std::string& prefix, double hurst,
                           int32_t series) {
    return JoinPath(outputPath, prefix + Formatted("H=%.2g-%d", hurst, series));
}

int32_t WriteSeries(SeriesValues values, std::string baseName, int32_t kind, int32_t precision) {
    StopCheck stopRequested;
    const std::string textName = baseName + ".txt";
    const std::string binaryName = baseName + ".dat";
    std::FILE* text = kind & kTextSeries ? OpenSeriesFile(textName, "w") : nullptr;
    // Without the text file asked for, the binary one is not attempted either.
    const bool binaryWanted = (kind & kBinarySeries) && (text || !(kind & kTextSeries));
    std::FILE* binary = binaryWanted ? OpenSeriesFile(binaryName, "wb") : nullptr;
    if (!binary && (!text || (kind & kBinarySeries))) {
        PrintProgress(kNoFile);
        CloseWritten(text);
        return kSeriesNotWritten;
    }

    PrintFormatted("Printing series %s(%d)\n", baseName.c_str(), static_cast<int>(kind));
    long k = 0;
    bool textFailed = false;  // a value that fprintf could not format
    for (double value = 0.0; values.Next(value); ++k) {
        if (stopRequested()) {
            // An unfinished series must not pass for a shorter one.
            CloseWritten(text);
            CloseWritten(binary);
            if (text) std::remove(textName.c_str());
            if (binary) std::remove(binaryName.c_str());
            return kSeriesStopped;
        }
        if (text && std::fprintf(text, "%.*lf\n", static_cast<int>(precision), value) < 0) textFailed = true;
        if (binary) WriteLittleEndian(binary, value);
        if (k % 10000 == 0) PrintFormatted("Printing series %s sample %ld\n", baseName.c_str(), k);
    }
    const bool textWritten = CloseWritten(text) && !textFailed;
    const bool binaryWritten = CloseWritten(binary);
    if (!textWritten) PrintProgress("Error while writing " + textName);
    if (!binaryWritten) PrintProgress("Error while writing " + binaryName);
    PrintProgress("Done.");
    return textWritten && binaryWritten ? kSeriesWritten : kSeriesNotWritten;
}

}  // namespace fractan
