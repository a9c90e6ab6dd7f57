#pragma once
// Loading one stretch of an input series: text (one number per line, or a
// column of a table with or without a header line: setup/text_table.h), or
// binary (raw 8-byte doubles); a numpy .npy file, known by its first bytes,
// is read whatever the type given (setup/binary_array.h).

#include <climits>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <unordered_map>

#include "setup/containers.h"
#include "setup/files.h"

namespace fractan {

enum InputFileType : int32_t { kTextInput = 0, kBinaryInput = 1 };

// The type a file's name suggests: binary for .dat and .bin, text otherwise.
int32_t InputTypeOf(const std::string& path);

inline constexpr const char* kSubseriesMessage =
    "Please check the size and/or offset of the subseries.\n";

// The data size that asks for every sample from the offset on, so that a
// caller who does not know a file's length reads it once and takes the
// target's size. The least int32_t rather than −1, which a failed count gives
// (CountSamples): other negative sizes stay refused.
inline constexpr int32_t kAllSamples = INT32_MIN;

// What reading a whole series had to say: why the numbers ended before the
// end of the file, or why the file could not be read at all.
struct SeriesNote {
    std::string text;
    bool decimalComma = false;  // they ended at a decimal comma: the file's numbers are not those read
    // LoadSeries: why the file could not be read as asked (it could not be
    // opened, its column is not there or a row lacks it, a .npy header that is
    // not read, ...), without the file's name; empty when it was, or when it
    // held too few samples.
    std::string failure;
};

// Loads samples dataOffset … dataOffset + dataSize − 1 of the file into target,
// printing its progress. On failure the target is left empty and a line says why.
// With kAllSamples: every sample from dataOffset on, that is every number up
// to the end or to the first text that is not one (a line names its line and
// text), or every whole 8-byte group (a line says when a part of one is left
// over); no sample there is a failure, with a line naming the file. `note`,
// when given, receives the line on where text ended the numbers. `column`:
// that of a table or a 2-D array, its number from 1 or its name in the
// header line; empty for the first, with a line saying so when there are more.
// Short series files read whole before a run (to count their samples or
// check them), so that the run reads them from memory rather than opening
// them again: files of kLargest bytes at most, kBudget together (a longer
// file costs far more to read than to open). Read-only while a run reads it.
class KeptFiles {
public:
    static constexpr int64_t kLargest = int64_t{4} << 20, kBudget = int64_t{256} << 20;
    // A stream over the bytes kept for `path`; null when they were not kept.
    FilePtr Open(const std::string& path) const;
    // `file`, just opened on `path`, read whole and kept when it is a regular
    // file that fits and not a .npy array (whose header gives its length): a stream over the kept bytes, or
    // the file itself when it is not kept.
    FilePtr Keep(const std::string& path, FilePtr file);

private:
    std::unordered_map<std::string, std::string> bytes_;
    int64_t used_ = 0;
};

// `kept`: the file is read from there when it holds it.
bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset, SeriesNote* note = nullptr, const std::string& column = {},
                const KeptFiles* kept = nullptr);

// A whole series file, for callers that take samples rather than lines (the
// Python module's fractan.load): read as LoadSeries reads every sample, of
// the type InputTypeOf gives, with its lines; on failure the samples are
// empty and `reason` names the file and says why, a series cut at a decimal
// comma included.
struct SeriesFile {
    SampleArray samples;
    std::string reason;
    std::span<const double> Samples() const {
        return {samples.Data(), static_cast<size_t>(samples.Size())};
    }
};
SeriesFile LoadSeriesFile(const std::string& path, const std::string& column = {});

// Samples offset … offset + count − 1 of a file into target (replacing what it
// held), or fewer when the file ends first, and none when count is 0 or less:
// what the cluster analysis takes. Only the notes are printed, and the
// progress of a text file every progressEvery samples; false after a line
// when the file cannot be opened or read as asked, and false quietly when a
// stop is requested.
bool LoadSeriesPart(SampleArray& target, const std::string& path, int32_t fileType, int32_t offset, int32_t count,
                    int64_t progressEvery, const std::string& column = {});

// A series its caller loaded before the run, so that the run does not read
// the file again: the samples of `path` (of `type`, its `column`) from `offset` on.
struct LoadedSeries {
    std::string path;
    int32_t type = kTextInput;
    std::string column;
    int32_t offset = 0;
    SampleArray samples;
    KeptFiles files;  // the short files of a list, read to count their samples

    // The samples for a load of this file, taken over (once); false when they
    // are not those asked for.
    bool Take(const std::string& file, int32_t fileType, const std::string& fileColumn, int32_t size, int32_t from,
              SampleArray& target) {
        if (file != path || fileType != type || fileColumn != column || from != offset || size != samples.Size())
            return false;
        target = std::move(samples);
        path.clear();
        return true;
    }
};

// Opens an input file; prints "Error opening file [path]" when it cannot.
FilePtr OpenInputFile(const std::string& path, const char* mode);

// The whole 8-byte numbers of an open binary file; −1 when it is not a
// regular file (a device, a pipe), whose length does not count them.
int64_t BinaryNumberCount(std::FILE* file);
inline constexpr const char* kNotRegularBinary =
    "it is not a regular file, and a binary series is counted by its length, which such a file does not give";

// The number of samples a file holds (readable numbers of a text file up to the
// first one that is not, or the rows of its `column`; the rows of a .npy
// file; whole 8-byte groups of a binary file); −1, with the reason in `note`,
// when it cannot be opened, is a folder, is binary and not a regular file, or
// cannot give its column, and −1 when a stop is requested while counting.
// `note`, when given, says so when a text file goes on after its numbers with
// text that is not one (its line and text), or a binary file with a part of a
// number; it is empty otherwise.
// `keep`, when given, keeps the bytes of the file (KeptFiles::Keep).
int64_t CountSamples(const std::string& path, int32_t fileType, SeriesNote* note = nullptr,
                     const std::string& column = {}, KeptFiles* keep = nullptr);

}  // namespace fractan
