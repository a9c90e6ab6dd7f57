#include "setup/series_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "setup/binary_array.h"
#include "setup/line_reader.h"
#include "setup/number_scanner.h"
#include "setup/output.h"
#include "setup/stop.h"
#include "setup/text_table.h"

namespace fractan {
namespace {

// The most samples one series holds: its capacity, rounded up to whole growth
// chunks, stays an int32_t.
constexpr int64_t kMostSamples = INT32_MAX - 1024;
// The samples first reserved for every number of a text file: 8 MB.
constexpr int64_t kFirstReserved = 1 << 20;

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
    if (StreamLength(file) % 8 <= 0) return {};
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

// What ReadTextSamples did.
struct TextSamples {
    int64_t numbers = 0;        // the numbers read from the start of the file (the rows of a table)
    bool stopped = false;       // a stop was requested
    bool atEnd = false;         // only white space follows the last number read
    std::string stopNote;       // TextStopNote, when text that is not a number ends the numbers wanted
    bool decimalComma = false;  // that text, or the cell of the problem, is a number with a decimal comma
    std::string crowdedNote;    // the first line that held more than one number, or empty
    std::string columnNote;     // which column of several is read, when none was chosen
    std::string problem;        // why the column asked for cannot be read; nothing is stored then
};

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

// The loop of ReadTextSamples over a NumberScanner or a TableReader: numbers
// i … last, those from offset up to keep stored; false when a stop is requested.
template <class Reader>
bool ReadNumbers(Reader& reader, SampleArray* target, int64_t offset, int64_t count, int64_t keep, int64_t last,
                 int64_t progressEvery, int64_t& i) {
    StopCheck stopRequested;
    while (i <= last) {
        // Up to the next number that polls the stop, without passing the first
        // number stored or the last one read.
        const int64_t poll = (i + 999) / 1000 * 1000;
        int64_t end = std::min(poll, last) + 1;
        if (i < offset) end = std::min(end, offset);
        const bool store = target && i >= offset && i < keep;
        if (store) MakeRoom(*target, end - i);
        const int64_t got = reader.Read(store ? target->Data() + target->Size() : nullptr, end - i);
        if (store && got > 0) target->SetSize(target->Size() + static_cast<int32_t>(got));
        i += got;
        if (i < end) break;  // the numbers end
        if (i - 1 != poll) continue;
        if (progressEvery > 0 && poll % progressEvery == 0)
            PrintProgress(Formatted("Processing sample %lld (%lld)", static_cast<long long>(poll),
                                    static_cast<long long>(std::clamp<int64_t>(i - offset, 0, count))));
        if (stopRequested()) return false;
    }
    return true;
}

// Reads numbers of an open text file, number by number in the semantics of
// NumberScanner (after a header line), or the column of a table
// (TextLayout), and stores numbers offset … offset + count − 1 (from 0) into
// target (replacing what it held; only counted when it is null), fewer when
// the numbers end first; the first number is read even when count is 0. After
// number i, when i is a multiple of progressEvery (a multiple of 1000, or 0
// for never), prints "Processing sample i (stored)"; the stop is polled every
// 1000 numbers. This is the one loop every text series is read with.
TextSamples ReadTextSamples(std::FILE* file, const std::string& path, SampleArray* target, int64_t offset,
                            int64_t count, int64_t progressEvery, const std::string& column) {
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
            fileno(file) < 0 ? std::max<int64_t>(StreamLength(file), 0) / 2 + 1  // the bytes of a kept file
            : ::fstat(fileno(file), &info) == 0 ? std::min<int64_t>(info.st_size, int64_t{info.st_blocks} * 512) / 2 + 1
                                                : 0;
        MakeRoom(*target, std::min({count, most, count >= kMostSamples ? kFirstReserved : kMostSamples}));
    }

    TextSamples result;
    const TextLayout layout = ReadTextLayout(file, column);
    if (!layout.problem.empty()) {
        result.problem = layout.problem;
        return result;
    }
    int64_t& i = result.numbers;  // numbers read
    if (layout.table) {
        TableReader rows(file, layout);
        result.stopped = !ReadNumbers(rows, target, offset, count, keep, last, progressEvery, i);
        result.problem = rows.Problem();
        result.decimalComma = rows.DecimalComma();
        const bool firstOfSeveral = Trim(column).empty() && layout.columns > 1;
        if (!result.problem.empty()) {
            if (target) target->Clear();
            if (firstOfSeveral)  // a column of dates, say
                result.problem += " (the first of " + std::to_string(layout.columns) +
                                  " columns, read when none is chosen: --column, or the Column field, chooses another)";
        }
        if (result.stopped || !result.problem.empty()) return result;
        result.atEnd = rows.AtEnd();
        if (firstOfSeveral) result.columnNote = ColumnNote(path, layout.columns, layout.separator, layout.names);
        return result;
    }
    NumberScanner scanner(file, layout.dataLine);
    result.stopped = !ReadNumbers(scanner, target, offset, count, keep, last, progressEvery, i);
    if (result.stopped) return result;
    result.atEnd = scanner.AtEnd();
    if (!result.atEnd && i <= last) result.stopNote = TextStopNote(path, scanner, i, result.decimalComma);
    if (scanner.CrowdedLine() > 0) result.crowdedNote = CrowdedLineNote(path, scanner);
    return result;
}

std::string Plural(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The array of a binary file, and the column read.
struct ArrayColumn {
    BinaryArray array;
    int64_t index = 0;
};

// The array of a binary file (a .npy file's, or raw 8-byte doubles counted by
// the file's length) and the column `column` chooses; nothing, with the
// problem, when there is none.
std::optional<ArrayColumn> ArrayColumnOf(std::FILE* file, bool npy, const std::string& column, std::string& problem) {
    std::optional<BinaryArray> array;
    if (npy) array = ReadNpyHeader(file, problem);
    else if (const int64_t count = BinaryNumberCount(file); count >= 0) array = BinaryArray{.rows = count};
    else problem = kNotRegularBinary;
    if (!array) return std::nullopt;
    const int64_t index = ColumnIndex(column, {}, problem);
    if (index < 0) return std::nullopt;
    if (index < array->columns) return ArrayColumn{*array, index};
    problem = "it has " + Plural(array->columns, "column") + "; there is no column " + std::to_string(index + 1);
    return std::nullopt;
}

// The line that says which column of an array of several is read, when none was chosen.
void NoteArrayColumns(const std::string& path, const BinaryArray& array, const std::string& column) {
    if (array.columns > 1 && Trim(column).empty()) WriteOutput(ColumnNote(path, array.columns, 0, {}) + "\n");
}

// "[path]: why.", or the line that says that a binary file cannot be counted.
void SayProblem(const std::string& path, const std::string& why) {
    PrintFormatted(why == kNotRegularBinary ? "[%s] cannot be read as a binary series: %s.\n" : "[%s]: %s.\n",
                   path.c_str(), why.c_str());
}

bool Refuse(SampleArray& target, const std::string& path, const std::string& why, SeriesNote& note) {
    SayProblem(path, why);
    note.failure = why;
    return Fail(target, false);
}

bool LoadArray(SampleArray& target, const std::string& path, std::FILE* file, bool npy, int32_t dataSize,
               int32_t dataOffset, SeriesNote& note, const std::string& column) {
    std::string problem;
    const std::optional<ArrayColumn> chosen = ArrayColumnOf(file, npy, column, problem);
    if (!chosen) return Refuse(target, path, problem, note);
    const BinaryArray& array = chosen->array;
    const int64_t count = array.rows;
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
    if (!ReadArrayColumn(file, path, array, chosen->index, dataOffset, wanted, target.Data())) {
        if (!StopRequested()) note.failure = "it could not be read";
        return Fail(target, false);
    }
    if (all && count - dataOffset > kMostSamples) ReportCut(path, dataOffset);
    NoteArrayColumns(path, array, column);
    if (const std::string part = all && !npy ? PartNote(path, file) : ""; !part.empty()) WriteOutput(part + "\n");
    if (!npy && LooksLikeText(target))
        PrintFormatted("[%s] looks like text, not 8-byte binary numbers: its first bytes are all printable "
                       "characters. Read it as a text file if it holds one number per line.\n", path.c_str());
    PrintProgress("Done.");
    return true;
}

bool LoadText(SampleArray& target, const std::string& path, std::FILE* file, int32_t dataSize, int32_t dataOffset,
              SeriesNote& note, const std::string& column) {
    const bool all = dataSize == kAllSamples;
    if (!StretchExists(path, dataSize, dataOffset)) return Fail(target, true);

    const TextSamples read =
        ReadTextSamples(file, path, &target, dataOffset, all ? kMostSamples : dataSize, 1000, column);
    if (read.stopped) return Fail(target, false);
    note.decimalComma = read.decimalComma;
    if (!read.problem.empty()) return Refuse(target, path, read.problem, note);
    note.text = read.stopNote;
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
    if (!read.columnNote.empty()) WriteOutput(read.columnNote + "\n");
    PrintProgress("Done.");
    return true;
}

}  // namespace

int32_t InputTypeOf(const std::string& path) {
    return path.ends_with(".dat") || path.ends_with(".bin") ? kBinaryInput : kTextInput;
}

FilePtr OpenInputFile(const std::string& path, const char* mode) {
    FilePtr file(std::fopen(path.c_str(), mode));
    if (!file) {
        const int error = errno;  // the reason, for the caller
        PrintFormatted("Error opening file [%s]\n", path.c_str());
        errno = error;
    }
    return file;
}

int64_t BinaryNumberCount(std::FILE* file) {
    const int64_t length = StreamLength(file);
    return length < 0 ? -1 : length / 8;
}

FilePtr KeptFiles::Open(const std::string& path) const {
    const auto kept = bytes_.find(path);
    if (kept == bytes_.end()) return nullptr;
    std::string& bytes = const_cast<std::string&>(kept->second);  // a read-only stream does not write to it
    return FilePtr(fmemopen(bytes.data(), bytes.size(), "r"));
}

FilePtr KeptFiles::Keep(const std::string& path, FilePtr file) {
    struct stat info {};
    if (bytes_.count(path) || ::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size <= 0 || info.st_size > kLargest || used_ + info.st_size > kBudget || StartsAsNpy(file.get()))
        return file;
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (read == 0 || std::ferror(file.get()) || std::fgetc(file.get()) != EOF) {  // changed while read: as it is
        std::rewind(file.get());
        return file;
    }
    bytes.resize(read);
    used_ += static_cast<int64_t>(read);
    bytes_.emplace(path, std::move(bytes));
    FilePtr kept = Open(path);
    if (!kept) {
        bytes_.erase(path);
        used_ -= static_cast<int64_t>(read);
        std::rewind(file.get());
        return file;
    }
    return kept;
}

bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset, SeriesNote* note, const std::string& column, const KeptFiles* kept) {
    PrintProgress("Loading data...");
    if (fileType != kTextInput && fileType != kBinaryInput) {
        PrintProgress("Done.");
        return true;
    }
    SeriesNote unused;
    SeriesNote& said = note ? *note : unused;
    said = {};
    try {
        FilePtr file = kept ? kept->Open(path) : nullptr;
        if (!file) file = OpenInputFile(path, fileType == kBinaryInput ? "rb" : "r");
        if (!file) {
            said.failure = std::strerror(errno);
            return Fail(target, false);
        }
        const bool npy = StartsAsNpy(file.get());
        return fileType == kBinaryInput || npy
                   ? LoadArray(target, path, file.get(), npy, dataSize, dataOffset, said, column)
                   : LoadText(target, path, file.get(), dataSize, dataOffset, said, column);
    } catch (const std::bad_alloc&) {
        // The target is sized from the data size, or from the file's length.
        PrintFormatted("Not enough memory to load [%s].\n", path.c_str());
        said.failure = "there is not enough memory to load it";
        return Fail(target, false);
    }
}

SeriesFile LoadSeriesFile(const std::string& path, const std::string& column) {
    SeriesFile file;
    SeriesNote note;
    if (LoadSeries(file.samples, path, InputTypeOf(path), kAllSamples, 0, &note, column) && !note.decimalComma)
        return file;
    file.samples.Clear();
    if (!note.failure.empty()) file.reason = "[" + path + "]: " + note.failure;
    else if (note.decimalComma) file.reason = note.text + " The numbers before the commas would be taken whole.";
    else if (StopRequested()) file.reason = "[" + path + "]: the load was stopped";
    else file.reason = note.text.empty() ? "[" + path + "] holds no sample" : note.text;
    return file;
}

bool LoadSeriesPart(SampleArray& target, const std::string& path, int32_t fileType, int32_t offset, int32_t count,
                    int64_t progressEvery, const std::string& column) {
    target.Clear();
    FilePtr file = OpenInputFile(path, fileType == kBinaryInput ? "rb" : "r");
    if (!file) return false;
    const bool npy = StartsAsNpy(file.get());
    if (fileType == kBinaryInput || npy) {
        std::string problem;
        const std::optional<ArrayColumn> chosen = ArrayColumnOf(file.get(), npy, column, problem);
        if (!chosen) {
            SayProblem(path, problem);
            return false;
        }
        // Numbers before the offset are skipped, not read.
        const int64_t first = std::max(offset, 0);
        const int64_t kept = std::max<int64_t>(0, std::min<int64_t>(count, chosen->array.rows - first));
        target.SetSize(static_cast<int32_t>(kept));
        if (!ReadArrayColumn(file.get(), path, chosen->array, chosen->index, first, kept, target.Data())) {
            target.Clear();
            return false;
        }
        NoteArrayColumns(path, chosen->array, column);
        return true;
    }
    if (count <= 0) return true;
    const TextSamples read = ReadTextSamples(file.get(), path, &target, offset, count, progressEvery, column);
    if (read.stopped) return false;
    if (!read.problem.empty()) {
        SayProblem(path, read.problem);
        return false;
    }
    for (const std::string* note : {&read.stopNote, &read.crowdedNote, &read.columnNote})
        if (!note->empty()) WriteOutput(*note + "\n");
    return true;
}

int64_t CountSamples(const std::string& path, int32_t fileType, SeriesNote* note, const std::string& column,
                     KeptFiles* keep) {
    SeriesNote unused;
    SeriesNote& said = note ? *note : unused;
    said = {};
    FilePtr file(OpenRegularFile(path, fileType == kBinaryInput ? "rb" : "r"));
    if (!file) {
        said.text = std::strerror(errno);
        return -1;
    }
    if (keep) file = keep->Keep(path, std::move(file));
    if (const bool npy = StartsAsNpy(file.get()); fileType == kBinaryInput || npy) {
        std::string problem;
        const std::optional<ArrayColumn> chosen = ArrayColumnOf(file.get(), npy, column, problem);
        if (!chosen) {
            said.text = problem;
            return -1;
        }
        if (!npy) said.text = PartNote(path, file.get());
        return chosen->array.rows;
    }
    const TextSamples read = ReadTextSamples(file.get(), path, nullptr, 0, INT64_MAX, 0, column);
    if (read.stopped) return -1;
    said = {read.problem.empty() ? read.stopNote : read.problem, read.decimalComma, read.problem};
    return read.problem.empty() ? read.numbers : -1;
}

}  // namespace fractan
