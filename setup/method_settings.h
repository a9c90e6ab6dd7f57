#pragma once
// The settings of the record that only some computation methods read, each
// described once: the record's field (and the page's), its caption, the
// command's option, the module's keyword, the default every front end starts
// from, the range the checks accept, and its help.

#include <cstdint>
#include <limits>
#include <type_traits>

namespace fractan {

// The settings beyond the window, the scales and the integration that a method reads.
enum MethodSetting : uint32_t {
    kUsesWeight = 1u << 0,  // dmaWeight: the smoothing filter's length
    kUsesLambda = 1u << 1,  // dmaLambda: the fixed blend of type 9
    kUsesShift = 1u << 2,   // shiftPercentage: the moving averages moved ahead
    kUsesOrder = 1u << 3,   // dfaOrder: the trend fitted in each box
    kUsesStep = 1u << 4,    // dynamicStep: every step-th position evaluated
    kUsesBoxes = 1u << 5,   // dfaBoxes: where the boxes lie
};

struct SettingDescription {
    MethodSetting setting;
    const char* field;
    const char* caption;  // the page's label, and the name in refusals
    const char* option;
    const char* keyword;
    double defaultValue;
    double least, most;  // the values the checks accept; others need the scales as well
    const char* help;
    // A setting held as text has its default here; its value, its check and
    // its help say what it takes. Null for a number.
    const char* textDefault = nullptr;
};

inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

// In the order of the pages' fields.
inline constexpr SettingDescription kSettingDescriptions[] = {
    {kUsesWeight, "dmaWeight", "DMA filter weight", "--weight", "weight", 0, 0, kUnbounded,
     "filter weight w, 0 for the plain moving average"},
    {kUsesShift, "shiftPercentage", "Shift percentage", "--shift", "shift", 0, -kUnbounded, kUnbounded,
     "shift as a fraction of the window, 0 to 1 (0.5 centres it)"},
    {kUsesStep, "dynamicStep", "Dynamic step", "--dynamic-step", "step", 100, 1, kUnbounded,
     "evaluate H at every N-th position"},
    {kUsesLambda, "dmaLambda", "DMA lambda", "--lambda", "lambda_", 0, -kUnbounded, kUnbounded,
     "blend of the earlier output"},
    {kUsesOrder, "dfaOrder", "DFA Order", "--order", "order", 1, 0, 5,
     "degree of the polynomial fitted in each box: 0 constant, 1 linear, 2 quadratic, ..."},
    {kUsesBoxes, "dfaBoxes", "DFA boxes", "--boxes", "boxes", 0, 0, 0,
     "where the boxes lie: end (tiling from the end), both (the tilings from both ends), overlap (a box at every "
     "start) or overlap:STEP (box starts STEP of a box apart, 0 < STEP <= 1)",
     "end"},
};

constexpr const SettingDescription& DescriptionOf(MethodSetting setting) {
    for (const SettingDescription& d : kSettingDescriptions)
        if (d.setting == setting) return d;
    return kSettingDescriptions[0];  // every setting has a row
}

// A setting's default as the field's type.
template <typename T>
constexpr T DefaultOf(MethodSetting setting) {
    if constexpr (std::is_arithmetic_v<T>) return static_cast<T>(DescriptionOf(setting).defaultValue);
    else return T(DescriptionOf(setting).textDefault);
}

}  // namespace fractan
