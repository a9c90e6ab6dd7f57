#pragma once
// The computation methods: one row each, read by the driver, the checks, the
// pages and the module for a method's name, family, kind and the settings it
// uses. A new method is a row here and its computation.

#include <cstdint>
#include <span>
#include <string>

#include "setup/method_settings.h"

namespace fractan {

inline constexpr int32_t kComputationTypeCount = 10;

enum class MethodFamily { kDma, kDfa };

// The analysis page that offers a method; kNone for those only the command
// line and the module run (type 9).
enum class MethodPage { kNone, kDma, kDfa };

// How a method takes the trend out at each scale: its computation.
enum class Detrending {
    kPlainAverage,   // trailing moving averages (engine/dma_frames.h)
    kShiftedAverage, // moving averages read ahead by the shift (engine/shifted_dma.h)
    kFirstOrder,     // a line fitted to the window before each sample (engine/first_order_dma.h)
    kSmoothed,       // averages smoothed by a filter of the weight (engine/smoothed_dma.h)
    kLambda,         // the weight's filter blended by lambda
    kBoxFit,         // a polynomial fitted in each box (engine/dfa.h)
};

struct Method {
    int32_t id;               // the computation type of the record, `-t` and `type=`
    const char* name;         // "Static DMA (2)": result file names and messages
    const char* pageCaption;  // the item of the page's type list; nullptr off the pages
    MethodFamily family;
    bool dynamic;             // H along the series, written to incremental files
    MethodPage page;
    uint32_t settings;        // MethodSetting bits
    Detrending detrending;
    // The smallest scale, above the DFA order for a method that uses it: a
    // smaller one leaves nothing to measure.
    int32_t leastScale;

    bool Uses(MethodSetting setting) const { return (settings & setting) != 0; }
};

// Every method, in the order of their ids.
std::span<const Method> Methods();

// The method a family's command, module function and page start from: static
// DMA (2) and static DFA (3).
int32_t DefaultType(MethodFamily family);

// A method's name without its number: "Static DMA".
std::string MethodTitle(const Method& method);

// "0 Dynamic DMA, 2 Static DMA, ...": the methods of a family, for help texts.
std::string MethodList(MethodFamily family);

// A setting's help for the command and the module, with the types that use it:
// "Filter weight w, 0 for the plain moving average (types 4, 8, 9)".
std::string SettingHelp(MethodSetting setting);

// The method of a computation type; nullptr for a value that names none.
const Method* FindMethod(int32_t type);

// The name of a type a page offers; "Unknown" for any other value, 9 included
// (the pages do not offer type 9, so it reads as unknown in their messages).
const char* ComputationTypeName(int32_t type);

// The name used in result file names: every method has one; nullptr otherwise.
const char* ComputationTypeFileName(int32_t type);

// Types that follow H along the series and write incremental files (0, 1, 5, 8).
bool IsDynamicType(int32_t type);

// Types of detrended fluctuation analysis (1, 3); the others are DMA.
bool IsDfaType(int32_t type);

// Types a page offers: `page` kDma gives 0, 2 and 4 … 8, kDfa 1 and 3.
bool IsPageType(int32_t type, MethodPage page);

}  // namespace fractan
