#include "setup/series_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <limits>
#include <cstdio>
#include <memory>

#include "setup/number_scanner.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

bool Fail(SampleArray& target, bool report) {
    target.SetSize(0);
    if (report) PrintProgress(kSubseriesMessage);
    return false;
}

// "[path] holds N samples from offset O, fewer than the data size S."
void ReportTooFew(const std::string& path, int64_t samples, int32_t dataSize, int32_t dataOffset) {
    PrintFormatted("[%s] holds %lld samples from offset %d, fewer than the data size %d.\n", path.c_str(),
                   static_cast<long long>(std::max<int64_t>(samples, 0)), dataOffset, dataSize);
}

// Text read as 8-byte numbers is all printable characters: random doubles
// hardly ever are, over the first 64 of them.
bool LooksLikeText(const SampleArray& data) {
    const int32_t values = std::min(data.Size(), 64);
    if (values < 4) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.Data());
    for (size_t i = 0; i < static_cast<size_t>(values) * 8; ++i) {
        const unsigned char c = bytes[i];
        if (!(c == '\n' || c == '\r' || c == '\t' || (c >= 0x20 && c < 0x7f))) return false;
    }
    return true;
}

bool LoadBinary(SampleArray& target, const std::string& path, int32_t dataSize,
                int32_t dataOffset) {
    FilePtr file = OpenInputFile(path, "rb");
    if (!file) return Fail(target, false);
    const int64_t count = BinaryNumberCount(file.get());
    if (dataSize < 0 || dataOffset < 0) return Fail(target, true);
    if (int64_t{dataOffset} + dataSize > count) {
        ReportTooFew(path, count - dataOffset, dataSize, dataOffset);
        return Fail(target, true);
    }

    target.SetSize(dataSize);
    if (dataSize > 0) {
        if (std::fseek(file.get(), static_cast<long>(int64_t{dataOffset} * 8), SEEK_SET) != 0 ||
            std::fread(target.Data(), 8, static_cast<size_t>(dataSize), file.get()) !=
                static_cast<size_t>(dataSize)) {
            PrintFormatted("Error reading file [%s]\n", path.c_str());
            return Fail(target, false);
        }
    }
    if (LooksLikeText(target))
        PrintFormatted("[%s] looks like text, not 8-byte binary numbers: its first bytes are all printable "
                       "characters. Read it as a text file if it holds one number per line.\n", path.c_str());
    PrintProgress("Done.");
    return true;
}

bool LoadText(SampleArray& target, const std::string& path, int32_t dataSize,
              int32_t dataOffset) {
    FilePtr file = OpenInputFile(path, "r");
    if (!file) return Fail(target, false);
    if (dataSize < 0 || dataOffset < 0) return Fail(target, true);
    // Every number takes at least two bytes (a digit and a separator), so the
    // file's length bounds what it can hold: a size far beyond the file
    // allocates nothing it could not fill.
    struct stat info {};
    const int64_t most = ::fstat(fileno(file.get()), &info) == 0 ? info.st_size / 2 + 1 : 0;
    target.Clear();
    target.SetCapacity(static_cast<int32_t>(std::min<int64_t>({dataSize, most, INT32_MAX - 10}) / 10 * 10 + 10));

    StopCheck stopRequested;
    NumberScanner scanner(file.get());
    int32_t i = 0;  // numbers read from the file
    int32_t j = 0;  // numbers stored
    do {
        if (scanner.AtEnd()) break;
        double value = 0.0;
        if (!scanner.Next(value)) break;
        if (i >= dataOffset && j < dataSize) {
            target.Append(value);
            ++j;
        }
        if (i % 1000 == 0) {
            PrintFormatted("Processing sample %d (%d)\n", i, j);
            if (stopRequested()) return Fail(target, false);
        }
        ++i;
    } while (j < dataSize);

    // Fewer readable numbers than asked for: no sample may be left without a value.
    if (j < dataSize) {
        ReportTooFew(path, i - int64_t{dataOffset}, dataSize, dataOffset);
        if (!scanner.AtEnd()) WriteOutput(TextStopNote(path, scanner, i) + "\n");
        return Fail(target, true);
    }
    if (scanner.CrowdedLine() > 0) WriteOutput(CrowdedLineNote(path, scanner) + "\n");
    PrintProgress("Done.");
    return true;
}

}  // namespace

std::string TextStopNote(const std::string& path, NumberScanner& scanner, int64_t numbers) {
    const std::string text = scanner.TextHere(40);
    // "1,5": the digits before the comma were a number, the comma is not.
    const bool comma = !text.empty() && text[0] == ',' && text.size() > 1 && std::isdigit(static_cast<unsigned char>(text[1]));
    return "[" + path + "] line " + std::to_string(scanner.Line()) + ": \"" + text + "\" is not a number" +
           (comma ? " (a decimal comma? numbers are read with a decimal point)" : "") +
           "; the series is cut there, after " + std::to_string(numbers) + " numbers.";
}

std::string CrowdedLineNote(const std::string& path, const NumberScanner& scanner) {
    return "[" + path + "] line " + std::to_string(scanner.CrowdedLine()) +
           " holds more than one number; every number is taken as a sample of its own (one number "
           "per line expected: a column of an index and a value is read interleaved).";
}

FilePtr OpenInputFile(const std::string& path, const char* mode) {
    FilePtr file(std::fopen(path.c_str(), mode));
    if (!file) PrintFormatted("Error opening file [%s]\n", path.c_str());
    return file;
}

int64_t BinaryNumberCount(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) return 0;
    return static_cast<int64_t>(info.st_size) / 8;
}

bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset) {
    PrintProgress("Loading data...");
    if (fileType != kTextInput && fileType != kBinaryInput) {
        PrintProgress("Done.");
        return true;
    }
    return fileType == kBinaryInput ? LoadBinary(target, path, dataSize, dataOffset)
                                    : LoadText(target, path, dataSize, dataOffset);
}

void IntegrateSeries(SampleArray& values) {
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= values.Size();
    double sum = 0.0;
    for (double& v : values) v = sum += v - mean;
}

double Lag1Autocorrelation(const SampleArray& values) {
    const int32_t n = values.Size();
    if (n < 2) return std::numeric_limits<double>::quiet_NaN();
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= n;
    double lagged = 0.0, squares = 0.0;
    for (int32_t t = 0; t < n; ++t) {
        const double d = values[t] - mean;
        squares += d * d;
        if (t + 1 < n) lagged += d * (values[t + 1] - mean);
    }
    return lagged / squares;
}

int64_t CountSamples(const std::string& path, int32_t fileType, std::string* endNote) {
    if (endNote) endNote->clear();
    FilePtr file(OpenRegularFile(path, fileType == kBinaryInput ? "rb" : "r"));
    if (!file) return -1;
    if (fileType == kBinaryInput) {
        struct stat info {};
        const int64_t count = BinaryNumberCount(file.get());
        if (endNote && ::fstat(fileno(file.get()), &info) == 0 && info.st_size % 8 != 0)
            *endNote = "[" + path + "] ends with a part of an 8-byte number after its " + std::to_string(count) +
                       " whole ones; the part is ignored.";
        return count;
    }
    StopCheck stopRequested;
    NumberScanner scanner(file.get());
    int64_t count = 0;
    double value = 0.0;
    while (!scanner.AtEnd() && scanner.Next(value))
        if (++count % 100000 == 0 && stopRequested()) return -1;
    if (endNote && !scanner.AtEnd()) *endNote = TextStopNote(path, scanner, count);
    return count;
}

}  // namespace fractan
