#pragma once
// Binary series: raw 8-byte doubles, or the array of a numpy .npy file
// (format 1.0, 2.0 or 3.0: a header giving the type, order and shape of the
// values, then the values), read as one column or several of doubles.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace fractan {

struct BinaryArray {
    int64_t rows = 0;
    int64_t columns = 1;    // a 1-D array is one column
    int64_t dataStart = 0;  // the byte of the first value
    char kind = 'f';        // 'f' floating point, 'i' signed integer, both little-endian
    int32_t itemSize = 8;
};

// True when the file starts with numpy's magic bytes "\x93NUMPY"; it is left
// at its start. False for a file that cannot go back (a pipe).
bool StartsAsNpy(std::FILE* file);

// The array of an open .npy file, or nothing, with `problem` saying why: a
// format version, a type ('<f8', '<f4', '<i4' and '<i8' are read), an order
// (Fortran's is not) or a shape (1-D or 2-D) that is not read, or a file that
// ends before its values.
std::optional<BinaryArray> ReadNpyHeader(std::FILE* file, std::string& problem);

// Reads rows first … first + count − 1 of a column (from 0) as doubles into
// out, in blocks of a few megabytes between which the stop is polled. False
// after "Error reading file [path]" when they cannot be read, and false
// without a line when a stop is requested.
bool ReadArrayColumn(std::FILE* file, const std::string& path, const BinaryArray& array, int64_t column,
                     int64_t first, int64_t count, double* out);

}  // namespace fractan
