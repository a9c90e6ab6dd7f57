#include "engine/names.h"

namespace fractan {
namespace {
constexpr const char* kNames[kComputationTypeCount] = {
    "Dynamic DMA (0)",
    "Dynamic DFA (1)",
    "Static DMA (2)",
    "Static DFA (3)",
    "Static Smoothed DMA (4)",
    "Dynamic Shifted DMA (5)",
    "Static Shifted DMA (6)",
    "Static 1st order DMA (7)",
    "Dynamic Smoothed DMA (8)",
    "Static Smoothed DMA Lambda (9)",
};
}  // namespace

const char* ComputationTypeName(int32_t type) {
    return (type >= 0 && type <= 8) ? kNames[type] : "Unknown";
}

const char* ComputationTypeFileName(int32_t type) {
    return (type >= 0 && type < kComputationTypeCount) ? kNames[type] : nullptr;
}

bool IsDynamicType(int32_t type) { return type == 0 || type == 1 || type == 5 || type == 8; }

}  // namespace fractan
