#include "setup/files.h"

#include <sys/stat.h>

#include <cerrno>

namespace fractan {

std::FILE* OpenRegularFile(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    struct stat info {};
    if (file && (::fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file);
        errno = EISDIR;  // for the caller's message
        return nullptr;
    }
    return file;
}

int64_t StreamLength(std::FILE* file) {
    struct stat info {};
    if (const int descriptor = fileno(file); descriptor >= 0)
        return ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : -1;
    // A memory stream has no descriptor: its end gives its length.
    const long at = std::ftell(file);
    if (at < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    std::fseek(file, at, SEEK_SET);
    return end;
}

bool CloseWritten(std::FILE* file) {
    if (!file) return true;
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

}  // namespace fractan
