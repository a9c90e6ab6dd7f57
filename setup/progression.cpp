#include "setup/progression.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "setup/files.h"
#include "setup/line_reader.h"

namespace fractan {
namespace {

constexpr int32_t kGrowthChunk = 10;

// Why a linear or geometric progression gives no size before it is stepped
// through (an unknown type, one that would never end, a start above the
// end), or empty.
std::string EmptyReason(const ScaleProgression& p) {
    if (p.type != kLinear && p.type != kGeometric)
        return "progression type " + std::to_string(p.type) + " is not 0 (linear), 1 (geometric) or 2 (custom)";
    if (p.type == kLinear && p.step <= 0)
        return "a linear progression needs a step of 1 or more; the step is " + std::to_string(p.step);
    if (p.type == kGeometric && p.step <= 1)
        return "a geometric progression needs a step of 2 or more; the step is " + std::to_string(p.step);
    if (p.type == kGeometric && p.start <= 0)
        return "a geometric progression needs a start of 1 or more; the start is " + std::to_string(p.start);
    if (p.start > p.end)
        return "the progression starts at " + std::to_string(p.start) + ", above its end " + std::to_string(p.end);
    return {};
}

// The next white-space separated word of the file, empty at its end.
std::string NextWord(std::FILE* file) {
    std::string word;
    int c;
    while ((c = std::fgetc(file)) != EOF && std::isspace(c)) {
    }
    while (c != EOF && !std::isspace(c)) {
        word.push_back(static_cast<char>(c));
        c = std::fgetc(file);
    }
    return word;
}

}  // namespace

SizeList ScaleProgression::Expand(std::string* note) const {
    if (note) note->clear();
    if (type == kCustom) return ReadCustomProgression(customFile, note);

    SizeList sizes(0, kGrowthChunk);
    if (const std::string reason = EmptyReason(*this); !reason.empty()) {
        if (note) *note = reason;
        return sizes;
    }
    int64_t v = start;
    do {
        sizes.Append(static_cast<int32_t>(v));
        v = type == kLinear ? v + step : v * step;
        if (v > INT32_MAX) {  // would wrap and never end
            if (note) *note = "the progression leaves the range of whole numbers up to " + std::to_string(INT32_MAX);
            return SizeList(0, kGrowthChunk);
        }
    } while (v <= end);
    return sizes;
}

SizeList ReadCustomProgression(const std::string& path, std::string* note) {
    SizeList sizes(0, kGrowthChunk);
    std::string ignored;
    std::string& problem = note ? *note : ignored;
    problem.clear();
    const std::string where = "custom progression file [" + path + "]";
    const FilePtr file(std::fopen(path.c_str(), "r"));
    if (!file) {
        problem = where + " cannot be read";
        return sizes;
    }
    const std::string first = NextWord(file.get());
    const std::optional<int32_t> count = WholeNumber(first);
    if (!count) {
        problem = where + " should begin with the number of sizes; it begins with " + Shown(first);
        return sizes;
    }
    for (int32_t i = 0; i < *count; ++i) {
        const std::string word = NextWord(file.get());
        const std::optional<int32_t> value = WholeNumber(word);
        if (!value) {
            problem = where + " announces " + std::to_string(*count) + " sizes, but " +
                      (word.empty() ? "ends" : "size " + std::to_string(i + 1) + ", " + Shown(word) + ", is not a whole number") +
                      "; reading stopped after " + std::to_string(i) + " sizes";
            return sizes;
        }
        sizes.Append(*value);
    }
    if (!NextWord(file.get()).empty())
        problem = where + " holds more than the " + std::to_string(*count) + " sizes it announces; the others are not read";
    else if (!sizes.Empty() && *std::max_element(sizes.begin(), sizes.end()) != sizes.Last())
        problem = where + ": its last size, " + std::to_string(sizes.Last()) + ", is not its largest, " +
                  std::to_string(*std::max_element(sizes.begin(), sizes.end())) +
                  "; the last size is taken as the largest, so list the sizes in increasing order";
    return sizes;
}

std::vector<int32_t> LogSpacedScales(double first, double last, int32_t count) {
    std::vector<int32_t> scales;
    for (int32_t k = 0; k < count && last >= first; ++k) {
        const double n = count > 1 ? first * std::pow(last / first, k / static_cast<double>(count - 1)) : first;
        const int32_t rounded = static_cast<int32_t>(std::lround(n));
        if (scales.empty() || rounded > scales.back()) scales.push_back(rounded);
    }
    return scales;
}

}  // namespace fractan
