#include "cli/cli_support.h"

#include <sys/stat.h>

#include <cstdio>

namespace fractan::cli {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CanRead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return false;
    std::fclose(file);
    return true;
}

void ReportFiles(std::ostream& err, const std::string& what, const std::vector<std::string>& files) {
    err << "fractan: " << what << ":";
    for (const std::string& file : files) err << " [" << file << "]";
    err << "\n";
}

}  // namespace fractan::cli
