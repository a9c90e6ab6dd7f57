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

bool CloseWritten(std::FILE* file) {
    if (!file) return true;
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

}  // namespace fractan
