#pragma once
// What dma() and dfa() share between one series (analyses.cpp) and many
// (batch.cpp): the settings asked for, and the result as Python sees it.

#include "python/common.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/methods.h"

namespace fractan::python {

// What a call of dma() or dfa() asked for, before the defaults that depend on
// a series' length.
struct AnalysisCall {
    AnalysisSettings settings;
    MethodFamily family = MethodFamily::kDma;
    std::optional<int32_t> window;
    std::optional<std::vector<int32_t>> scales;
    int32_t jobs = 0;
};

// The settings for a series of `length` samples: the command's defaults for
// what the call left open. ValueError with the reason, prefixed by `series`
// when it is not empty, when they are refused.
AnalysisSettings SettingsFor(const AnalysisCall& call, int64_t length, const std::string& series);

// An interval on H as Python sees it: None where there is none.
struct IntervalFields {
    py::object ci = py::none();  // (low, high)
    py::object corrected = py::none();
    py::object deviation = py::none();
};

// The result of an analysis of one series.
struct Result {
    int32_t type = 0;
    py::array_t<int32_t> scales;
    py::array_t<double> fluctuation;
    py::object hurst;
    py::object hurstError = py::none();
    py::object positions = py::none();
    int32_t position = 0;
    IntervalFields interval;
    // What a fit over part of the scales needs for its own interval.
    std::shared_ptr<const AnalysisSettings> settings;
    int64_t length = 0;
};

Result ResultOf(const AnalysisResult& r, const std::shared_ptr<const AnalysisSettings>& settings, int64_t length);

// The warnings of the results of `series` (one name each), one of each kind:
// two scales, an H that is not a finite number, values that look like increments.
void WarnAbout(const std::vector<const AnalysisResult*>& results, const std::vector<std::span<const double>>& values,
               const std::vector<std::string>& series, const AnalysisCall& call);

// Whether x holds many series: a 2-D array (a series a row), a sequence of
// array-likes, or a pandas DataFrame (a series a column). Anything else is one.
bool HoldsManySeries(const py::object& x);

// The Results of every series of x, analysed on call.jobs threads.
py::object AnalyseMany(const py::object& x, const AnalysisCall& call);

void AddBatch(py::module_& m);

}  // namespace fractan::python
