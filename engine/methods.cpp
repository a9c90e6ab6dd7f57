#include "engine/methods.h"

#include <cctype>

#include "engine/first_order_dma.h"

namespace fractan {
namespace {

using enum MethodFamily;
constexpr MethodPage kOnDmaPage = MethodPage::kDma, kOnDfaPage = MethodPage::kDfa, kOffPages = MethodPage::kNone;

// The captions are the pages' own, the trailing blank of "3 - Static DFA " included.
constexpr Method kMethods[kComputationTypeCount] = {
    {0, "Dynamic DMA (0)", "0 - Dynamic DMA", kDma, true, kOnDmaPage, kUsesStep, Detrending::kPlainAverage, 1},
    {1, "Dynamic DFA (1)", "1 - Dynamic DFA", kDfa, true, kOnDfaPage, kUsesOrder | kUsesBoxes | kUsesStep,
     Detrending::kBoxFit, 2},
    {2, "Static DMA (2)", "2 - Static DMA", kDma, false, kOnDmaPage, 0, Detrending::kPlainAverage, 1},
    {3, "Static DFA (3)", "3 - Static DFA ", kDfa, false, kOnDfaPage, kUsesOrder | kUsesBoxes, Detrending::kBoxFit, 2},
    {4, "Static Smoothed DMA (4)", "4 - Static Smoothed DMA", kDma, false, kOnDmaPage, kUsesWeight,
     Detrending::kSmoothed, 1},
    {5, "Dynamic Shifted DMA (5)", "5 - Dynamic Shifted DMA", kDma, true, kOnDmaPage, kUsesShift | kUsesStep,
     Detrending::kShiftedAverage, 1},
    {6, "Static Shifted DMA (6)", "6 - Static Shifted DMA", kDma, false, kOnDmaPage, kUsesShift,
     Detrending::kShiftedAverage, 1},
    {7, "Static 1st order DMA (7)", "7 - Static 1st order DMA", kDma, false, kOnDmaPage, 0, Detrending::kFirstOrder,
     kFirstOrderLeast},
    {8, "Dynamic Smoothed DMA (8)", "8 - Dynamic Smoothed DMA", kDma, true, kOnDmaPage, kUsesWeight | kUsesStep,
     Detrending::kSmoothed, 1},
    {9, "Static Smoothed DMA Lambda (9)", nullptr, kDma, false, kOffPages, kUsesWeight | kUsesLambda,
     Detrending::kLambda, 1},
};

}  // namespace

std::span<const Method> Methods() { return kMethods; }

int32_t DefaultType(MethodFamily family) { return family == MethodFamily::kDfa ? 3 : 2; }

std::string MethodTitle(const Method& method) {
    const std::string name = method.name;
    return name.substr(0, name.rfind(" ("));
}

std::string MethodList(MethodFamily family) {
    std::string text;
    for (const Method& method : kMethods)
        if (method.family == family)
            text += (text.empty() ? "" : ", ") + std::to_string(method.id) + " " + MethodTitle(method);
    return text;
}

std::string SettingHelp(MethodSetting setting) {
    std::string text = DescriptionOf(setting).help, types;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    for (const Method& method : kMethods)
        if (method.Uses(setting)) types += (types.empty() ? "" : ", ") + std::to_string(method.id);
    return text + (types.find(',') == std::string::npos ? " (type " : " (types ") + types + ")";
}

const Method* FindMethod(int32_t type) {
    return type >= 0 && type < kComputationTypeCount ? &kMethods[type] : nullptr;
}

const char* ComputationTypeName(int32_t type) {
    const Method* method = FindMethod(type);
    return method && method->page != MethodPage::kNone ? method->name : "Unknown";
}

const char* ComputationTypeFileName(int32_t type) {
    const Method* method = FindMethod(type);
    return method ? method->name : nullptr;
}

bool IsDynamicType(int32_t type) {
    const Method* method = FindMethod(type);
    return method && method->dynamic;
}

bool IsDfaType(int32_t type) {
    const Method* method = FindMethod(type);
    return method && method->family == MethodFamily::kDfa;
}

bool IsPageType(int32_t type, MethodPage page) {
    const Method* method = FindMethod(type);
    return method && method->page == page;
}

}  // namespace fractan
