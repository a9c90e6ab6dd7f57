// The Python module `fractan`: the engine on numpy arrays.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "clusters/cluster_analysis.h"
#include "engine/analysis.h"
#include "engine/checks.h"
#include "engine/driver.h"
#include "engine/methods.h"
#include "generator/generator.h"
#include "setup/output.h"
#include "setup/progression.h"
#include "setup/stop.h"
#include "slope/local_slope.h"

namespace py = pybind11;

namespace fractan {
namespace {

using Samples = py::array_t<double, py::array::c_style | py::array::forcecast>;

class Silence : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// Runs `work` on a thread of its own with the GIL released, its progress lines
// silenced and the stop polled, so that Ctrl-C in Python stops it promptly
// (KeyboardInterrupt) and other Python threads go on meanwhile.
template <class Work>
auto Interruptible(Work work) -> decltype(work()) {
    StopSource stop;
    std::packaged_task<decltype(work())()> task([&] {
        Silence silence;
        ScopedOutputRedirect quiet(silence);
        ScopedStopSource scope(stop);
        return work();
    });
    auto result = task.get_future();
    std::thread thread(std::move(task));
    for (;;) {
        bool ready = false;
        {
            py::gil_scoped_release release;
            ready = result.wait_for(std::chrono::milliseconds(20)) == std::future_status::ready;
        }
        if (ready) break;
        if (PyErr_CheckSignals() != 0) {
            stop.RequestStop();
            {
                py::gil_scoped_release release;
                thread.join();
            }
            throw py::error_already_set();
        }
    }
    thread.join();
    return result.get();
}

// The argument as an array, refused (TypeError) unless it holds numbers: numpy
// would read a list of strings of digits as numbers.
py::array NumbersOf(const py::object& value, const std::string& name, const char* what) {
    py::array array = py::array::ensure(value);
    if (!array || std::string("biufO").find(array.dtype().kind()) == std::string::npos) {
        PyErr_Clear();
        throw py::type_error(name + " must be a one-dimensional array of " + what);
    }
    if (array.ndim() != 1) throw py::type_error(name + " must be one-dimensional");
    return array;
}

// A 1-D array of numbers, every one finite.
Samples SamplesOf(const py::object& x, const char* name = "x") {
    Samples samples = Samples::ensure(NumbersOf(x, name, "numbers"));
    if (!samples) {
        PyErr_Clear();
        throw py::type_error(std::string(name) + " must be a one-dimensional array of numbers");
    }
    const double* values = samples.data();
    for (py::ssize_t i = 0; i < samples.size(); ++i)
        if (!std::isfinite(values[i]))
            throw py::value_error("sample " + std::to_string(i) + " (counted from 0) of " + name +
                                  " is not a finite number");
    return samples;
}

std::span<const double> SpanOf(const Samples& samples) {
    return {samples.data(), static_cast<size_t>(samples.size())};
}

// The value as the engine's 32-bit whole number; ValueError naming `what` when
// it is fractional or out of that range.
int32_t WholeNumber(double value, const std::string& what) {
    if (value != std::floor(value) || value < INT32_MIN || value > INT32_MAX) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "%.17g", value);
        throw py::value_error(what + " must be a whole number from " + std::to_string(INT32_MIN) + " to " +
                              std::to_string(INT32_MAX) + "; it is " + shown);
    }
    return static_cast<int32_t>(value);
}

// A whole-number argument: TypeError when it is not a number (an array given
// by position lands here), ValueError when it is not a 32-bit whole number.
int32_t WholeArgument(const py::object& value, const char* name) {
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        const bool tooLarge = PyErr_ExceptionMatches(PyExc_OverflowError);
        PyErr_Clear();
        if (tooLarge) return WholeNumber(HUGE_VAL, name);
        const bool array = py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value) ||
                           py::isinstance<py::array>(value);
        throw py::type_error(std::string(name) + " must be a whole number, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>() +
                             (array ? " (give arrays by name, such as scales=...)" : ""));
    }
    return WholeNumber(number, name);
}

// A number argument, or TypeError naming it.
double NumberArgument(const py::object& value, const char* name) {
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        throw py::type_error(std::string(name) + " must be a number, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
    return number;
}

// Whole numbers from an array-like.
std::vector<int32_t> SizesOf(const py::object& scales) {
    using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;
    const Values array = Values::ensure(NumbersOf(scales, "scales", "whole numbers"));
    if (!array) {
        PyErr_Clear();
        throw py::type_error("scales must be a one-dimensional array of whole numbers");
    }
    std::vector<int32_t> sizes;
    for (py::ssize_t i = 0; i < array.size(); ++i)
        sizes.push_back(WholeNumber(array.data()[i], "scales[" + std::to_string(i) + "]"));
    return sizes;
}

py::array_t<int32_t> Progression(int32_t start, int32_t end, int32_t step, int32_t type) {
    std::string why;
    const SizeList sizes = ScaleProgression{start, end, step, type, {}}.Expand(&why);
    if (sizes.Empty()) throw py::value_error(why);
    return py::array_t<int32_t>(sizes.Size(), sizes.Data());
}

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

template <class T>
py::array_t<T> ArrayOf(const std::vector<T>& values) {
    return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

void Warn(PyObject* category, const std::string& text) {
    if (PyErr_WarnEx(category, text.c_str(), 1) != 0) throw py::error_already_set();  // warnings as errors
}

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

py::dict DistributionOf(const DistributionSummary& d) {
    py::dict out;
    out["count"] = d.count;
    out["step"] = d.step;
    out["min"] = d.minimum;
    out["max"] = d.maximum;
    out["mu"] = d.mu;
    out["sigma"] = d.sigma;
    out["skewness"] = d.skewness;
    out["kurtosis"] = d.kurtosis;
    out["centres"] = ArrayOf(d.centres);
    out["frequencies"] = ArrayOf(d.frequencies);
    return out;
}

py::dict DistributionsOf(const ClusterDistributions& d) {
    py::dict out;
    out["lifetime"] = DistributionOf(d.lifetime);
    out["area"] = DistributionOf(d.area);
    out["length"] = DistributionOf(d.length);
    out["diameter"] = DistributionOf(d.diameter);
    return out;
}

struct Clusters {
    py::array clusters;
    py::dict all;
    py::list perWindow;
    std::vector<int32_t> sizes;

    py::dict Distribution(const std::string& quantity, const py::object& window) const {
        py::dict set = all;
        if (!window.is_none()) {
            const int32_t n = window.cast<int32_t>();
            const auto at = std::find(sizes.begin(), sizes.end(), n);
            if (at == sizes.end()) throw py::value_error("window " + std::to_string(n) + " is not one of the scales");
            if (perWindow.empty()) throw py::value_error("the distributions of each window need per_window=True");
            set = perWindow[static_cast<size_t>(at - sizes.begin())];
        }
        if (!set.contains(quantity))
            throw py::value_error("quantity " + quantity + " is not lifetime, area, length or diameter");
        return set[py::str(quantity)];
    }
};

// One cluster as Python sees it.
struct ClusterRow {
    int32_t start, end, window, lifetime;
    double length, area, diameter;
};

Clusters ClustersOf(const py::object& x, const py::object& scales, const std::string& average,
                    const std::string& distribution, double step, bool perWindow, double badAbove) {
    const Samples samples = SamplesOf(x);
    if (average != "standard" && average != "extended") throw py::value_error("average must be standard or extended");
    if (distribution != "linear" && distribution != "log")
        throw py::value_error("distribution must be linear or log");
    ClusterSettings s;
    s.sizes = SizesOf(scales);
    s.extended = average == "extended";
    s.logarithmic = distribution == "log";
    s.step = step;
    s.perWindow = perWindow;
    s.badAbove = badAbove;
    if (!(step > 0)) throw py::value_error("step must be greater than 0");
    const ClusterResult r = Interruptible([&] { return AnalyseClusters(SpanOf(samples), s); });
    if (r.status == AnalysisStatus::kRefused) throw py::value_error(r.reason);

    py::array_t<ClusterRow> rows(static_cast<py::ssize_t>(r.clusters.size()));
    ClusterRow* row = rows.mutable_data();
    for (const Cluster& c : r.clusters)
        *row++ = ClusterRow{c.start, c.end, s.sizes[c.windowIndex], c.Lifetime(), c.length, c.area, c.Diameter()};
    Clusters out;
    out.clusters = rows;
    out.all = DistributionsOf(r.all);
    for (const ClusterDistributions& d : r.perWindow) out.perWindow.append(DistributionsOf(d));
    out.sizes = s.sizes;
    return out;
}

py::array_t<double> Generated(int32_t method, int32_t levels, double hurst, int32_t seed) {
    const GeneratedSeries series = Interruptible([&] { return GenerateSeries(method, levels, hurst, seed); });
    if (!series.reason.empty()) throw py::value_error(series.reason);
    return ArrayOf(series.values);
}

py::tuple LocalSlopeFor(const py::object& scales, const py::object& fluctuation, double width, double delta) {
    const Samples n = SamplesOf(scales, "scales"), f = SamplesOf(fluctuation, "fluctuation");
    if (n.size() != f.size()) throw py::value_error("scales and fluctuation must have the same length");
    std::vector<ChartPoint> points;
    for (py::ssize_t i = 0; i < n.size(); ++i) points.push_back(ChartPoint{n.data()[i], f.data()[i]});
    const LocalSlopeResult r = Interruptible([&] { return LocalSlopeOf(points, width, delta); });
    if (r.status == kLocalSlopeRefused) throw py::value_error(r.reason);
    return py::make_tuple(ArrayOf(r.centres), ArrayOf(r.slopes));
}

py::dict RunConfig(const std::string& path, int32_t jobs) {
    AnalysisParameters params;
    std::string problem;
    if (!params.LoadConfig(path, &problem)) throw py::value_error("configuration file [" + path + "]: " + problem);
    if (const std::string reason = CheckParametersForType(params); !reason.empty())
        throw py::value_error(reason + kReviewSuffix);
    params.jobs = jobs;
    const RunSummary summary = Interruptible([&] {
        RunSummary s;
        RunAnalysis(params, &s);
        return s;
    });
    py::dict out;
    out["result_file"] = summary.resultPath;
    out["analysed"] = summary.analysed;
    out["not_analysed"] = summary.notAnalysed;
    out["not_finite"] = summary.notFinite;
    out["chart_files"] = summary.chartFiles;
    out["incremental_files"] = summary.incrementalFiles;
    return out;
}

std::string ResultRepr(const Result& r) {
    if (!r.positions.is_none())
        return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": " +
               std::to_string(py::len(r.positions)) + " positions>";
    return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": H = " +
           py::str(r.hurst).cast<std::string>() + " over " + std::to_string(py::len(r.scales)) + " scales>";
}

}  // namespace
}  // namespace fractan

PYBIND11_MODULE(fractan, m) {
    using namespace fractan;
    using py::arg;
    m.doc() =
        "FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and detrended "
        "fluctuation analysis (DFA), the cluster analysis of the crossings of a series and its moving "
        "averages, series by random midpoint displacement or exact by FFT, and the local slope of a log-log chart. "
        "The numbers are those of the fractan command on the same series.";

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

    m.def("linear", [](int32_t start, int32_t end, int32_t step) { return Progression(start, end, step, kLinear); },
          arg("start"), arg("end"), arg("step"),
          "The scales start, start + step, ... up to end, as an array.");
    m.def("geometric",
          [](int32_t start, int32_t end, int32_t step) { return Progression(start, end, step, kGeometric); },
          arg("start"), arg("end"), arg("step") = 2, "The scales start, start * step, ... up to end, as an array.");

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

    PYBIND11_NUMPY_DTYPE(fractan::ClusterRow, start, end, window, lifetime, length, area, diameter);
    py::class_<Clusters>(m, "Clusters", "The result of clusters().")
        .def_readonly("clusters", &Clusters::clusters,
                      "One row a cluster: start, end, window, lifetime, length, area, diameter.")
        .def("distribution", &Clusters::Distribution, arg("quantity"), arg("window") = py::none(),
             "The binned distribution of lifetime, area, length or diameter, over all windows or of one "
             "window size (with per_window=True): a dict of count, step (the bin width: step, or its least "
             "multiple that needs no more than 2**26 bins), min, max, mu, sigma, skewness, kurtosis, "
             "centres and frequencies.");
    m.def("clusters", &ClustersOf, arg("x"), arg("scales"), arg("average") = "standard",
          arg("distribution") = "linear", arg("step") = 1.0, arg("per_window") = false,
          arg("bad_above") = kDefaultBadAbove,
          R"(Cluster analysis: the stretches between crossings of x and its moving averages.

scales        the moving-average window sizes
average       "standard" (trailing mean) or "extended" (first-order fit)
distribution  "linear", or "log" (of decimal logarithms)
step          bin width (in log10 units for log); one that would need more than 2**26 bins
              is widened to its least multiple that does not (the distribution's step)
per_window    also the distributions of every window size
bad_above     samples above it (and nan) are bad data, each replaced by the one before, as
              the command does (--bad-above)

Returns a Clusters object: .clusters and .distribution(quantity, window=None).)");

    m.def(
        "generate_rmd",
        [](int32_t levels, double hurst, int32_t seed) { return Generated(kMidpointMethod, levels, hurst, seed); },
        arg("levels"), arg("hurst"), arg("seed") = kTimeSeed,
        R"(A series of 2**levels + 1 values with Hurst exponent hurst by random midpoint displacement,
draw for draw the first series of `fractan generate` with that seed. Every seed other than -1
(the default: the calendar time) repeats exactly, and different seeds give different series; one
seed draws the same for every hurst, so that generate_rmd(10, 0.5, 5) and generate_rmd(10, 0.7, 5)
differ only by H (generate_fft draws anew for each hurst, and so do the later exponents of a
`fractan generate` run).)");
    m.def(
        "generate_fft",
        [](int32_t levels, double hurst, int32_t seed) { return Generated(kSpectralMethod, levels, hurst, seed); },
        arg("levels"), arg("hurst"), arg("seed") = kTimeSeed,
        R"(Exact fractional Brownian motion of 2**levels + 1 values from 0, with Var B(1) = 1, by
circulant embedding (Davies and Harte): the first series of `fractan generate --method fft` with
that seed. Every seed other than -1 (the calendar time) repeats exactly; different seeds give
independent series, and so does one seed of 0 or above for different hurst (to nine decimals;
a negative seed draws the same for every hurst).)");
    m.def("local_slope", &LocalSlopeFor, arg("scales"), arg("fluctuation"), arg("width") = 1.0, arg("delta") = 0.1,
          R"(The slope of log10 fluctuation against log10 scales in windows of `width` decades, moved by
`delta` decades: returns (centres, slopes), both empty when no window holds two points. A point
whose n or F is not a finite number above 0 raises ValueError naming it ("The chart, point 3: F
is -1; ...").)");
    m.def("run_config", &RunConfig, arg("path"), arg("jobs") = 0,
          R"(Runs a configuration file as `fractan run` does, files and all, analysing the files of a list
`jobs` at a time (0: one per core). Returns the files written and those not analysed.)");
}
