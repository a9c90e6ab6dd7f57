#pragma once
// Loading one stretch of an input series, text or binary.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "setup/containers.h"
#include "setup/files.h"

namespace fractan {

enum InputFileType : int32_t { kTextInput = 0, kBinaryInput = 1 };

inline constexpr const char* kSubseriesMessage =
    "Please check the size and/or offset of the subseries.\n";

// Loads samples dataOffset … dataOffset + dataSize − 1 of the file into target,
// printing its progress. On failure the target is left empty and a line says why.
bool LoadSeries(SampleArray& target, const std::string& path, int32_t fileType, int32_t dataSize,
                int32_t dataOffset);

// Opens an input file; prints "Error opening file [path]" when it cannot.
FilePtr OpenInputFile(const std::string& path, const char* mode);

// The whole 8-byte numbers of an open binary file.
int64_t BinaryNumberCount(std::FILE* file);

// The number of samples a file holds (readable numbers of a text file up to the
// first one that is not; whole 8-byte groups of a binary file); −1 when it
// cannot be opened or is a folder, or when a stop is requested while counting.
// `endNote`, when given, says so when a text file goes on after its numbers
// with text that is not one (its line and text), or a binary file with a part
// of a number; it is empty otherwise.
int64_t CountSamples(const std::string& path, int32_t fileType, std::string* endNote = nullptr);

// Replaces the values by their profile: the cumulative sum of the values less
// their mean, so that a series of increments becomes a walk.
void IntegrateSeries(SampleArray& values);

// The lag-1 autocorrelation of the values (not a number for fewer than two,
// or for values without variance).
double Lag1Autocorrelation(const SampleArray& values);

class NumberScanner;

// Where and why reading a text series stopped before its end: its line, its
// text, and the `numbers` read before it.
std::string TextStopNote(const std::string& path, NumberScanner& scanner, int64_t numbers);

// The first line of a text series that held more than one number.
std::string CrowdedLineNote(const std::string& path, const NumberScanner& scanner);

}  // namespace fractan
