#pragma once
// Opening and closing the files that the core reads and writes.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace fractan {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen for reading that also refuses a folder, which opens on this system
// but cannot be read from. Null, with errno saying why, when the file cannot
// be used.
std::FILE* OpenRegularFile(const std::string& path, const char* mode);

// The length in bytes of an open regular file or memory stream (fmemopen);
// −1 for anything else, such as a device or a pipe, whose length says nothing.
int64_t StreamLength(std::FILE* file);

// Closes a written file: false when the close or any earlier write failed.
// A null file is taken as closed.
bool CloseWritten(std::FILE* file);

}  // namespace fractan
