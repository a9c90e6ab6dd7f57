#include "setup/paths.h"

namespace fractan {

std::string FileNameOf(const std::string& path) {
    size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BeforeLastDot(const std::string& text) {
    size_t dot = text.rfind('.');
    return dot == std::string::npos ? std::string() : text.substr(0, dot);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

std::string TestNameRefusal(const std::string& testName, const char* field) {
    if (testName.find(kPathSeparator) == std::string::npos) return {};
    return std::string(field) + " [" + testName + "] holds \"" + kPathSeparator +
           "\", which would put the result files it names outside the output folder.";
}

}  // namespace fractan
