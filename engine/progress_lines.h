#pragma once
// The percentage line of the dynamic variants, written by the engine and read
// back by callers that show progress.

#include <cstdint>
#include <cstdio>
#include <string>

namespace fractan {

inline constexpr const char* kPercentLineFormat = "Hurst exponent %d %%\n";

// The percentage of a line (without its line end) printed with kPercentLineFormat.
inline bool ParsePercentLine(const std::string& line, int32_t* percent) {
    int value = 0;
    char sign = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "Hurst exponent %d %c%n", &value, &sign, &consumed) != 2) return false;
    if (sign != '%' || static_cast<size_t>(consumed) != line.size()) return false;
    *percent = value;
    return true;
}

}  // namespace fractan
