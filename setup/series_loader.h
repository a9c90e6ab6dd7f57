#pragma once
// Loading one stretch of an input series, text or binary.

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "setup/containers.h"
#include "setup/files.h"

namespace fractan {

enum InputFileType : int32_t { kTextInput = 0, kBinaryInput = 1 };

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
};

// Loads samples dataOffset … dataOffset + dataSize − 1 of the file into target,
// printing its progress. On failure the target is left empty and a line says why.
// With kAllSamples: every sample from dataOffset on, that is every number up
// to the end or to the first text that is not one (a line names its line and
// text), or every whole 8-byte group (a line says when a part of one is left
// over); no sample there is a failure, with a line naming the file. `note`,
// when given, receives the line on where text ended the numbers.
bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset, SeriesNote* note = nullptr);

// A series its caller loaded before the run, so that the run does not read
// the file again: the samples of `path` (of `type`) from `offset` on.
struct LoadedSeries {
    std::string path;
    int32_t type = kTextInput;
    int32_t offset = 0;
    SampleArray samples;

    // The samples for a load of this file, taken over (once); false when they
    // are not those asked for.
    bool Take(const std::string& file, int32_t fileType, int32_t size, int32_t from, SampleArray& target) {
        if (file != path || fileType != type || from != offset || size != samples.Size()) return false;
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
// first one that is not; whole 8-byte groups of a binary file); −1, with the
// reason in `note`, when it cannot be opened, is a folder or is binary and not
// a regular file, and −1 when a stop is requested while counting. `note`,
// when given, says so when a text file goes on after its numbers with text
// that is not one (its line and text), or a binary file with a part of a
// number; it is empty otherwise.
int64_t CountSamples(const std::string& path, int32_t fileType, SeriesNote* note = nullptr);

// What ReadTextSamples did.
struct TextSamples {
    int64_t numbers = 0;      // the numbers read from the start of the file
    bool stopped = false;     // a stop was requested
    bool atEnd = false;       // only white space follows the last number read
    std::string stopNote;     // TextStopNote, when text that is not a number ends the numbers wanted
    bool decimalComma = false;  // that text is a decimal comma
    std::string crowdedNote;  // the first line that held more than one number, or empty
};

// Reads numbers of an open text file, in the semantics of NumberScanner, and
// stores numbers offset … offset + count − 1 (from 0) into target (replacing
// what it held; only counted when it is null), fewer when the numbers end
// first; the first number is read even when count is 0. After number i, when i
// is a multiple of progressEvery (a multiple of 1000, or 0 for never), prints
// "Processing sample i (stored)"; the stop is polled every 1000 numbers. This
// is the one loop every text series is read with.
TextSamples ReadTextSamples(std::FILE* file, const std::string& path, SampleArray* target, int64_t offset,
                            int64_t count, int64_t progressEvery);

// Reads numbers first … first + count − 1 of an open binary file into out, in
// blocks of a few megabytes between which the stop is polled. False after
// "Error reading file [path]" when they cannot be read, and false without a
// line when a stop is requested.
bool ReadBinarySamples(std::FILE* file, const std::string& path, int64_t first, int64_t count, double* out);

}  // namespace fractan
