#include "setup/series_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include "setup/number_scanner.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// The most samples one series holds: its capacity, rounded up to whole growth
// chunks, stays an int32_t.
constexpr int64_t kMostSamples = INT32_MAX - 1024;
// The samples first reserved for every number of a text file: 8 MB.
constexpr int64_t kFirstReserved = 1 << 20;
// 8-byte numbers read at a time from a binary file: 4 MB.
constexpr int64_t kBinaryBlock = 1 << 19;

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

// False, after a line saying which, when the size or the offset is negative.
bool StretchExists(const std::string& path, int32_t dataSize, int32_t dataOffset) {
    if (dataOffset < 0)
        PrintFormatted("[%s]: the data offset is %d; samples are counted from 0.\n", path.c_str(), dataOffset);
    else if (dataSize < 0 && dataSize != kAllSamples)
        PrintFormatted("[%s]: the data size is %d; it cannot be negative.\n", path.c_str(), dataSize);
    else
        return true;
    return false;
}

void ReportNoSample(const std::string& path, int32_t dataOffset) {
    PrintFormatted("[%s] holds no sample from offset %d.\n", path.c_str(), dataOffset);
}

void ReportCut(const std::string& path, int32_t dataOffset) {
    PrintFormatted("[%s]: only the first %lld samples from offset %d are read, the most a series holds.\n",
                   path.c_str(), static_cast<long long>(kMostSamples), dataOffset);
}

// Says when a binary file ends with a part of an 8-byte number; empty otherwise.
std::string PartNote(const std::string& path, std::FILE* file) {
    struct stat info {};
    if (::fstat(fileno(file), &info) != 0 || info.st_size % 8 == 0) return {};
    return "[" + path + "] ends with a part of an 8-byte number after its " +
           std::to_string(BinaryNumberCount(file)) + " whole ones; the part is ignored.";
}

// Makes room for `more` values after the target's size, doubling when it grows
// so that a target filled piece by piece copies each value O(1) times.
void MakeRoom(SampleArray& target, int64_t more) {
    const int64_t size = target.Size(), capacity = target.Capacity();
    if (capacity - size >= more) return;
    const int64_t chunk = target.GrowthChunk();
    const int64_t wanted = std::min(std::max(size + more, 2 * capacity), kMostSamples);
    target.SetCapacity(static_cast<int32_t>((wanted + chunk - 1) / chunk * chunk));
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
    if (count < 0) {
        PrintFormatted("[%s] cannot be read as a binary series: %s.\n", path.c_str(), kNotRegularBinary);
        return Fail(target, false);
    }
    const bool all = dataSize == kAllSamples;
    if (!StretchExists(path, dataSize, dataOffset)) return Fail(target, true);
    const int64_t wanted = all ? std::min(count - dataOffset, kMostSamples) : dataSize;
    if (all && wanted <= 0) {
        ReportNoSample(path, dataOffset);
        return Fail(target, true);
    }
    if (int64_t{dataOffset} + wanted > count) {
        ReportTooFew(path, count - dataOffset, dataSize, dataOffset);
        return Fail(target, true);
    }

    target.Clear();  // nothing it held is copied
    target.SetSize(static_cast<int32_t>(wanted));
    if (!ReadBinarySamples(file.get(), path, dataOffset, wanted, target.Data())) return Fail(target, false);
    if (all && count - dataOffset > kMostSamples) ReportCut(path, dataOffset);
    if (const std::string note = all ? PartNote(path, file.get()) : ""; !note.empty()) WriteOutput(note + "\n");
    if (LooksLikeText(target))
        PrintFormatted("[%s] looks like text, not 8-byte binary numbers: its first bytes are all printable "
                       "characters. Read it as a text file if it holds one number per line.\n", path.c_str());
    PrintProgress("Done.");
    return true;
}

bool LoadText(SampleArray& target, const std::string& path, int32_t dataSize,
              int32_t dataOffset, SeriesNote* note) {
    FilePtr file = OpenInputFile(path, "r");
    if (!file) return Fail(target, false);
    const bool all = dataSize == kAllSamples;
    if (!StretchExists(path, dataSize, dataOffset)) return Fail(target, true);

    const TextSamples read =
        ReadTextSamples(file.get(), path, &target, dataOffset, all ? kMostSamples : dataSize, 1000);
    if (read.stopped) return Fail(target, false);
    if (note) *note = SeriesNote{read.stopNote, read.decimalComma};
    // Fewer readable numbers than asked for: no sample may be left without a value.
    if (all ? target.Empty() : target.Size() < dataSize) {
        if (all) ReportNoSample(path, dataOffset);
        else ReportTooFew(path, read.numbers - dataOffset, dataSize, dataOffset);
        if (!read.stopNote.empty()) WriteOutput(read.stopNote + "\n");
        return Fail(target, true);
    }
    if (!read.stopNote.empty()) WriteOutput(read.stopNote + "\n");  // every sample up to text that is not one
    else if (all && !read.atEnd) ReportCut(path, dataOffset);
    if (!read.crowdedNote.empty()) WriteOutput(read.crowdedNote + "\n");
    PrintProgress("Done.");
    return true;
}

// Where and why reading a text series stopped before its end: its line, its
// text, and the `numbers` read before it.
std::string TextStopNote(const std::string& path, NumberScanner& scanner, int64_t numbers, bool& comma) {
    const std::string cut = "; the series is cut there, after " + std::to_string(numbers) + " numbers.";
    if (scanner.TooLong())
        return "[" + path + "] line " + std::to_string(scanner.Line()) + " is longer than " +
               std::to_string(kLongestWord) + " characters, which no number is" + cut;
    const std::string text = scanner.TextHere(40);
    // "1,5": the digits before the comma were a number, the comma is not.
    comma = !text.empty() && text[0] == ',' && text.size() > 1 && std::isdigit(static_cast<unsigned char>(text[1]));
    return "[" + path + "] line " + std::to_string(scanner.Line()) + ": \"" + text + "\" is not a number" +
           (comma ? " (a decimal comma? numbers are read with a decimal point)" : "") + cut;
}

// The first line of a text series that held more than one number.
std::string CrowdedLineNote(const std::string& path, const NumberScanner& scanner) {
    return "[" + path + "] line " + std::to_string(scanner.CrowdedLine()) +
           " holds more than one number; every number is taken as a sample of its own (one number "
           "per line expected: a column of an index and a value is read interleaved).";
}

}  // namespace

TextSamples ReadTextSamples(std::FILE* file, const std::string& path, SampleArray* target, int64_t offset,
                            int64_t count, int64_t progressEvery) {
    count = std::max<int64_t>(count, 0);
    // Numbers from `keep` on are read but not stored; there are none before 0.
    const int64_t keep = count > INT64_MAX - std::max<int64_t>(offset, 0) ? INT64_MAX : offset + count;
    offset = std::max<int64_t>(offset, 0);
    const int64_t last = count > 0 ? keep - 1 : 0;  // the last number read
    if (target) {
        target->Clear();
        // Every number takes at least two bytes (a digit and a separator), so the
        // file's length bounds what it can hold: a count far beyond the file
        // allocates nothing it could not fill. Every number of the file starts
        // from a few and grows with them: that bound can be far above them. The
        // bytes stored on disk bound it too (a sparse file of gigabytes has none).
        struct stat info {};
        const int64_t most =
            ::fstat(fileno(file), &info) == 0 ? std::min<int64_t>(info.st_size, int64_t{info.st_blocks} * 512) / 2 + 1 : 0;
        MakeRoom(*target, std::min({count, most, count >= kMostSamples ? kFirstReserved : kMostSamples}));
    }

    StopCheck stopRequested;
    NumberScanner scanner(file);
    TextSamples result;
    int64_t& i = result.numbers;  // numbers read
    while (i <= last) {
        // Up to the next number that polls the stop, without passing the first
        // number stored or the last one read.
        const int64_t poll = (i + 999) / 1000 * 1000;
        int64_t end = std::min(poll, last) + 1;
        if (i < offset) end = std::min(end, offset);
        const bool store = target && i >= offset && i < keep;
        if (store) MakeRoom(*target, end - i);
        const int64_t got = scanner.Read(store ? target->Data() + target->Size() : nullptr, end - i);
        if (store && got > 0) target->SetSize(target->Size() + static_cast<int32_t>(got));
        i += got;
        if (i < end) break;  // the numbers end
        if (i - 1 != poll) continue;
        if (progressEvery > 0 && poll % progressEvery == 0)
            PrintFormatted("Processing sample %lld (%lld)\n", static_cast<long long>(poll),
                           static_cast<long long>(std::clamp<int64_t>(i - offset, 0, count)));
        if (stopRequested()) {
            result.stopped = true;
            return result;
        }
    }
    result.atEnd = scanner.AtEnd();
    if (!result.atEnd && i <= last) result.stopNote = TextStopNote(path, scanner, i, result.decimalComma);
    if (scanner.CrowdedLine() > 0) result.crowdedNote = CrowdedLineNote(path, scanner);
    return result;
}

bool ReadBinarySamples(std::FILE* file, const std::string& path, int64_t first, int64_t count, double* out) {
    StopCheck stopRequested;
    bool read = count <= 0 || std::fseek(file, static_cast<long>(first * 8), SEEK_SET) == 0;
    for (int64_t done = 0; read && done < count; done += kBinaryBlock) {
        if (stopRequested()) return false;
        const size_t block = static_cast<size_t>(std::min(kBinaryBlock, count - done));
        read = std::fread(out + done, 8, block, file) == block;
    }
    if (!read) PrintFormatted("Error reading file [%s]\n", path.c_str());
    return read;
}

FilePtr OpenInputFile(const std::string& path, const char* mode) {
    FilePtr file(std::fopen(path.c_str(), mode));
    if (!file) PrintFormatted("Error opening file [%s]\n", path.c_str());
    return file;
}

int64_t BinaryNumberCount(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<int64_t>(info.st_size) / 8;
}

bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset, SeriesNote* note) {
    PrintProgress("Loading data...");
    if (fileType != kTextInput && fileType != kBinaryInput) {
        PrintProgress("Done.");
        return true;
    }
    try {
        return fileType == kBinaryInput ? LoadBinary(target, path, dataSize, dataOffset)
                                        : LoadText(target, path, dataSize, dataOffset, note);
    } catch (const std::bad_alloc&) {
        // The target is sized from the data size, or from the file's length.
        PrintFormatted("Not enough memory to load [%s].\n", path.c_str());
        return Fail(target, false);
    }
}

int64_t CountSamples(const std::string& path, int32_t fileType, SeriesNote* note) {
    SeriesNote ignored;
    SeriesNote& said = note ? *note : ignored;
    said = {};
    FilePtr file(OpenRegularFile(path, fileType == kBinaryInput ? "rb" : "r"));
    if (!file) {
        said.text = std::strerror(errno);
        return -1;
    }
    if (fileType == kBinaryInput) {
        const int64_t count = BinaryNumberCount(file.get());
        said.text = count < 0 ? kNotRegularBinary : PartNote(path, file.get());
        return count;
    }
    const TextSamples read = ReadTextSamples(file.get(), path, nullptr, 0, INT64_MAX, 0);
    if (read.stopped) return -1;
    said = {read.stopNote, read.decimalComma};
    return read.numbers;
}

}  // namespace fractan
