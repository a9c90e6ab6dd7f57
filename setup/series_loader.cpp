#include "setup/series_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
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

bool LoadBinary(SampleArray& target, const std::string& path, int32_t dataSize,
                int32_t dataOffset) {
    FilePtr file = OpenInputFile(path, "rb");
    if (!file) return Fail(target, false);
    const int64_t count = BinaryNumberCount(file.get());
    if (dataSize < 0 || dataOffset < 0 || int64_t{dataOffset} + dataSize > count)
        return Fail(target, true);

    target.SetSize(dataSize);
    if (dataSize > 0) {
        if (std::fseek(file.get(), static_cast<long>(int64_t{dataOffset} * 8), SEEK_SET) != 0 ||
            std::fread(target.Data(), 8, static_cast<size_t>(dataSize), file.get()) !=
                static_cast<size_t>(dataSize)) {
            PrintFormatted("Error reading file [%s]\n", path.c_str());
            return Fail(target, false);
        }
    }
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
    if (j < dataSize) return Fail(target, true);
    PrintProgress("Done.");
    return true;
}

}  // namespace

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

int64_t CountSamples(const std::string& path, int32_t fileType, bool* endsEarly) {
    if (endsEarly) *endsEarly = false;
    FilePtr file(OpenRegularFile(path, fileType == kBinaryInput ? "rb" : "r"));
    if (!file) return -1;
    if (fileType == kBinaryInput) {
        struct stat info {};
        if (endsEarly && ::fstat(fileno(file.get()), &info) == 0) *endsEarly = info.st_size % 8 != 0;
        return BinaryNumberCount(file.get());
    }
    StopCheck stopRequested;
    NumberScanner scanner(file.get());
    int64_t count = 0;
    double value = 0.0;
    while (!scanner.AtEnd() && scanner.Next(value))
        if (++count % 100000 == 0 && stopRequested()) return -1;
    if (endsEarly) *endsEarly = !scanner.AtEnd();
    return count;
}

}  // namespace fractan
