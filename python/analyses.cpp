// The Python module's analyses: dma() and dfa() and their Result.

#include "python/common.h"

#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/methods.h"

namespace fractan::python {
namespace {

// The result of an analysis, as Python sees it.
struct Result {
    int32_t type = 0;
    py::array_t<int32_t> scales;
    py::array_t<double> fluctuation;
    py::object hurst;
    py::object hurstError = py::none();
    py::object positions = py::none();
    int32_t position = 0;
};

// Settings with the command line's defaults for what is left open.
Result Analysis(const py::object& x, AnalysisSettings s, const py::object& window, const py::object& scales) {
    const Samples samples = SamplesOf(x);
    const int64_t n = samples.size();
    const bool dfa = IsDfaType(s.computationType);
    if (!window.is_none()) s.windowSize = WholeArgument(window, "window");
    auto defaultScales = [&] {
        const int32_t largest = DefaultLargestScale(s.computationType, n, s.windowSize, 4);
        const SizeList sizes = ScaleProgression{4, largest, 2, kGeometric, {}}.Expand();
        return std::vector<int32_t>(sizes.begin(), sizes.end());
    };
    if (dfa && window.is_none()) s.windowSize = DefaultWindowSize(s.computationType, n, 0);
    s.sizes = scales.is_none() ? defaultScales() : SizesOf(scales);
    if (!dfa && window.is_none())
        s.windowSize = DefaultWindowSize(s.computationType, n, s.sizes.empty() ? 0 : s.sizes.back());
    if (const std::string reason = CheckSettingsForType(s, n); !reason.empty()) {
        const bool fewDefaults = scales.is_none() && IsScaleCountReason(reason);
        throw py::value_error(reason + (fewDefaults ? " The default scales run from 4 up to an eighth of the " +
                                                          std::string(dfa ? "window" : "series") +
                                                          ": give scales for a series this short."
                                                    : ""));
    }

    const AnalysisResult r = Interruptible([&] { return Analyse(SpanOf(samples), s); });
    if (r.status == AnalysisStatus::kRefused) throw py::value_error(r.reason);
    if (s.sizes.size() == 2) Warn(PyExc_UserWarning, kTwoScalesNote);
    if (r.status == AnalysisStatus::kNotFinite) Warn(PyExc_RuntimeWarning, r.reason);
    Result result;
    result.type = s.computationType;
    result.scales = ArrayOf(r.sizes);
    if (IsDynamicType(s.computationType)) {
        result.positions = ArrayOf(r.positions);
        result.hurst = ArrayOf(r.hursts);
    } else {
        result.fluctuation = ArrayOf(r.fluctuations);
        result.hurst = py::float_(r.hurst);
        result.hurstError = py::float_(r.hurstError);
        result.position = r.position;
    }
    return result;
}

// The dynamic step, as the command takes it: 1 or more.
int32_t StepArgument(const py::object& step) {
    const int32_t value = WholeArgument(step, "step");
    if (value < 1) throw py::value_error("step must be 1 or more; it is " + std::to_string(value));
    return value;
}

bool FlagArgument(const py::object& value, const char* name) {
    if (!py::isinstance<py::bool_>(value) && !py::isinstance(value, py::module_::import("numpy").attr("bool_")))
        throw py::type_error(std::string(name) + " must be True or False");
    return value.cast<bool>();
}

Result Dma(const py::object& x, const py::object& typeArg, const py::object& window, const py::object& scales,
           const py::object& weight, const py::object& shift, const py::object& lambda, const py::object& step,
           const py::object& integrate) {
    const int32_t type = WholeArgument(typeArg, "type");
    AnalysisSettings s;
    s.computationType = type;
    if (IsDfaType(type)) throw py::value_error(CheckDmaSettings(s, 0, true));
    s.dmaWeight = WholeArgument(weight, "weight");
    s.shiftPercentage = NumberArgument(shift, "shift");
    s.dmaLambda = NumberArgument(lambda, "lambda_");
    s.dynamicStep = StepArgument(step);
    s.integrate = FlagArgument(integrate, "integrate");
    return Analysis(x, s, window, scales);
}

Result Dfa(const py::object& x, const py::object& typeArg, const py::object& order, const py::object& window,
           const py::object& scales, const py::object& step, const py::object& integrate) {
    const int32_t type = WholeArgument(typeArg, "type");
    AnalysisSettings s;
    s.computationType = type;
    if (!IsDfaType(type)) throw py::value_error(CheckDfaSettings(s, 0));
    s.dfaOrder = WholeArgument(order, "order");
    s.dynamicStep = StepArgument(step);
    s.integrate = FlagArgument(integrate, "integrate");
    return Analysis(x, s, window, scales);
}

std::string ResultRepr(const Result& r) {
    if (!r.positions.is_none())
        return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": " +
               std::to_string(py::len(r.positions)) + " positions>";
    return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": H = " +
           py::str(r.hurst).cast<std::string>() + " over " + std::to_string(py::len(r.scales)) + " scales>";
}

}  // namespace

void AddAnalyses(py::module_& m) {
    using py::arg;
    py::class_<Result>(m, "Result", "The result of dma() or dfa().")
        .def_readonly("type", &Result::type, "The computation type.")
        .def_readonly("scales", &Result::scales, "The window or box sizes n.")
        .def_readonly("fluctuation", &Result::fluctuation, "Static types: F(n) for each scale.")
        .def_readonly("hurst", &Result::hurst, "Static types: H; dynamic types: H at every position.")
        .def_readonly("hurst_error", &Result::hurstError,
                      "Static types: the standard error of the fitted slope H (NaN below three scales); "
                      "None otherwise.")
        .def_readonly("positions", &Result::positions,
                      "Dynamic types: the evaluated positions (0-based sample indices); None otherwise.")
        .def_readonly("position", &Result::position,
                      "Static types: the result line's position field, M + W (W for DFA).")
        .def("__repr__", &ResultRepr);

    m.def("dma", &Dma, arg("x"), arg("type") = 2, arg("window") = py::none(), arg("scales") = py::none(),
          arg("weight") = 0, arg("shift") = 0.0, arg("lambda_") = 0.0, arg("step") = 100, arg("integrate") = false,
          R"(Detrending moving average analysis of the series x (any 1-D array-like of numbers).

type      0 Dynamic DMA, 2 Static DMA (default), 4 Static Smoothed DMA, 5 Dynamic Shifted DMA,
          6 Static Shifted DMA, 7 Static 1st order DMA, 8 Dynamic Smoothed DMA, 9 Static Smoothed DMA Lambda
window    W: points over which deviations are averaged (default: the largest that fits, len(x) - 2*M - 1,
          for static types; a quarter of it for dynamic ones)
scales    the moving-average window sizes, an array or fractan.linear()/fractan.geometric()
          (default: geometric 4, 8, ... up to an eighth of len(x)); the last is M
weight    smoothed DMA (4, 8, 9): filter weight w, 0 for the plain moving average
shift     shifted DMA (5, 6): shift as a fraction of the window, 0 to 1 (0.5 centres it)
lambda_   smoothed DMA lambda (9): blend of the earlier output
step      dynamic types: evaluate H at every step-th position (1 or more)
integrate analyse the cumulative sum of x less its mean (for increments, such as returns or noise)

Returns a Result: scales, fluctuation and hurst (static), or positions and hurst (dynamic).
Raises ValueError with the reason when the parameters are refused or a sample is not finite.
Warns with the reason (RuntimeWarning) when H is not a finite number, and (UserWarning) when
two scales leave H resting on two points.)");
    m.def("dfa", &Dfa, arg("x"), arg("type") = 3, arg("order") = 1, arg("window") = py::none(),
          arg("scales") = py::none(), arg("step") = 100, arg("integrate") = false,
          R"(Detrended fluctuation analysis of the series x (any 1-D array-like of numbers).

type      1 Dynamic DFA, 3 Static DFA (default)
order     trend fitted in each box: 0 constant, 1 linear (default); boxes of order + 2 or more
window    W: samples tiled by the boxes (default: every sample but the first for Static DFA;
          a quarter of that for Dynamic DFA)
scales    the box sizes, an array or fractan.linear()/fractan.geometric()
          (default: geometric 4, 8, ... up to an eighth of the window)
step      dynamic type: evaluate H at every step-th position (1 or more)
integrate analyse the cumulative sum of x less its mean (for increments, such as returns or noise)

Returns a Result: scales, fluctuation and hurst (static), or positions and hurst (dynamic).
Raises ValueError with the reason when the parameters are refused or a sample is not finite.
Warns with the reason (RuntimeWarning) when H is not a finite number, and (UserWarning) when
two scales leave H resting on two points.)");

}

}  // namespace fractan::python
