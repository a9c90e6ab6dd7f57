#include "setup/progression.h"

#include <cstdio>

namespace fractan {
namespace {

constexpr int32_t kGrowthChunk = 10;

bool NeverEnds(const ScaleProgression& p) {
    if (p.type == kLinear) return p.step <= 0;
    if (p.type == kGeometric) return p.step <= 1 || p.start <= 0;
    return false;
}

}  // namespace

SizeList ScaleProgression::Expand() const {
    if (type == kCustom) return ReadCustomProgression(customFile);

    SizeList sizes(0, kGrowthChunk);
    if (start > end || NeverEnds(*this)) return sizes;

    int64_t v = start;
    for (;;) {
        sizes.Append(static_cast<int32_t>(v));
        if (type == kLinear) {
            v += step;
        } else if (type == kGeometric) {
            v *= step;
        } else {
            break;  // an unknown type gives the single size `start`
        }
        if (v > INT32_MAX) return SizeList(0, kGrowthChunk);  // would wrap and never end
        if (v > end) break;
    }
    return sizes;
}

SizeList ReadCustomProgression(const std::string& path) {
    SizeList sizes(0, kGrowthChunk);
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return sizes;
    int count = 0;
    if (std::fscanf(file, "%d\n\n", &count) == 1) {
        for (int i = 0; i < count; ++i) {
            int value = 0;
            if (std::fscanf(file, "%d\n", &value) != 1) break;
            sizes.Append(value);
        }
    }
    std::fclose(file);
    return sizes;
}

}  // namespace fractan
