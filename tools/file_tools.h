#pragma once
// The small file tools of the desktop pages: counting the lines of a file,
// copying the beginning of a file into a ".sample" file, and writing a
// files-list file that names a run of numbered files.

#include <cstdint>
#include <string>

namespace fractan {

// CountLines results below 0.
inline constexpr int64_t kCountNotOpened = -1;  // the file cannot be opened or read
inline constexpr int64_t kCountStopped = -2;

// The number of line feeds (bytes of value 10) in the file: a last line
// without a line end is not counted, CR LF counts once.
int64_t CountLines(const std::string& path);

// path + ".sample".
std::string SampleFilePath(const std::string& path);

enum class SampleStatus {
    kWritten,
    kInputNotOpened,   // no sample file is created
    kSampleNotOpened,
    kWriteFailed,
    kStopped,          // the unfinished sample file is removed
};

// Copies `count` characters after the first `skip` ones (fewer when the file
// ends first) into path + ".sample", created or emptied. Returns the number of
// characters written, 0 when a file cannot be opened; `status`, when given,
// tells which.
int64_t MakeSampleFile(const std::string& path, uint32_t count, uint32_t skip,
                       SampleStatus* status = nullptr);

// A run of numbered files: folder + separator + prefix + n + "." + extension
// for n = start, start + step, … while n ≤ end.
struct FilesListRequest {
    std::string folder;
    std::string prefix;
    int32_t start = 0;
    int32_t step = 0;
    int32_t end = 0;
    std::string extension = "txt";
};

enum class FilesListStatus {
    kWritten,
    kRefused,     // FilesListRefusal says why; nothing is written
    kNotCreated,  // the files-list file cannot be created
    kWriteFailed,
    kStopped,     // the unfinished list is removed
};

// The line for number n, without its line end.
std::string FilesListLine(const FilesListRequest& request, int32_t n);

// The number of lines the request gives; 0 for an empty list or a refused one.
int64_t FilesListLength(const FilesListRequest& request);

// Lists longer than this are written only when the user confirms (the page
// asks, the command wants --force): a mistyped end can fill a disk in a minute.
inline constexpr int64_t kLargeFilesList = 1'000'000;

// About how many megabytes the list takes (its last line is the longest but for a sign).
double FilesListMegabytes(const FilesListRequest& request);

// Empty when the request gives a finite list; a start above the end gives an
// empty one.
std::string FilesListRefusal(const FilesListRequest& request);

// Creates (or empties) listPath and writes one line per number. `lines`, when
// given, receives the number of lines written.
FilesListStatus WriteFilesList(const std::string& listPath, const FilesListRequest& request,
                               int64_t* lines = nullptr);

}  // namespace fractan
