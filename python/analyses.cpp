// The Python module's analyses: dma() and dfa() and their Result.

#include "python/analyses.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "engine/checks.h"
#include "engine/dma_frames.h"

namespace fractan::python {

AnalysisSettings SettingsFor(const AnalysisCall& call, int64_t length, const std::string& series) {
    AnalysisSettings s = call.settings;
    const std::string prefix = series.empty() ? "" : series + ": ";
    if (const Method* method = FindMethod(s.computationType); !method || method->family != call.family)
        throw py::value_error(CheckSettings(s, 0, call.family).reason);  // the type's refusal
    const bool dfa = IsDfaType(s.computationType);
    if (call.window) s.windowSize = *call.window;
    if (dfa && !call.window) s.windowSize = DefaultWindowSize(s.computationType, length, 0);
    if (call.scales) {
        s.sizes = *call.scales;
    } else {
        const int32_t first = DefaultFirstScale(s.computationType, s.dfaOrder);
        const int32_t largest = DefaultLargestScale(s.computationType, length, s.windowSize, first);
        const SizeList sizes = ScaleProgression{first, largest, 2, kGeometric, {}}.Expand();
        s.sizes.assign(sizes.begin(), sizes.end());
    }
    if (!dfa && !call.window)
        s.windowSize = DefaultWindowSize(s.computationType, length, s.sizes.empty() ? 0 : s.sizes.back());
    if (const Refusal refusal = CheckSettings(s, length, call.family)) {
        const bool fewDefaults = !call.scales && IsScaleCountReason(refusal.reason);
        throw py::value_error(prefix + refusal.reason +
                              (fewDefaults ? " The default scales run from " +
                                                 std::to_string(DefaultFirstScale(s.computationType, s.dfaOrder)) +
                                                 " up to an eighth of the " +
                                                 std::string(dfa ? "window" : "series") +
                                                 ": give scales for a series this short."
                                           : ""));
    }
    return s;
}

namespace {

IntervalFields FieldsOf(const std::optional<HurstInterval>& interval) {
    IntervalFields fields;
    if (!interval || !interval->none.empty()) return fields;
    fields.ci = py::make_tuple(interval->low, interval->high);
    fields.corrected = py::float_(interval->corrected);
    fields.deviation = py::float_(interval->deviation);
    return fields;
}

}  // namespace

Result ResultOf(const AnalysisResult& r, const std::shared_ptr<const AnalysisSettings>& settings, int64_t length) {
    const int32_t type = settings->computationType;
    Result result;
    result.type = type;
    result.settings = settings;
    result.length = length;
    result.interval = FieldsOf(r.interval);
    result.scales = ArrayOf(r.sizes);
    if (IsDynamicType(type)) {
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

void WarnAbout(const std::vector<const AnalysisResult*>& results, const std::vector<std::span<const double>>& values,
               const std::vector<std::string>& series, const AnalysisCall& call) {
    // "x", or "x[3]" and how many more of the series.
    auto which = [&](size_t first, size_t count) {
        return count <= 1 || results.size() == 1 ? series[first]
                                                 : series[first] + " and " + std::to_string(count - 1) + " more of the " +
                                                       std::to_string(results.size()) + " series";
    };
    size_t notFiniteCount = 0, notFiniteFirst = 0, incrementsCount = 0, noIntervalCount = 0, noIntervalFirst = 0;
    std::optional<IncrementsSigns> increments;
    size_t incrementsFirst = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const AnalysisResult& r = *results[i];
        if (r.status == AnalysisStatus::kNotFinite && !notFiniteCount++) notFiniteFirst = i;
        if (r.interval && !r.interval->none.empty() && !noIntervalCount++) noIntervalFirst = i;
        if (const auto signs = IncrementsSignsOf(values[i], r, call.settings); signs && !incrementsCount++) {
            incrementsFirst = i;
            increments = signs;
        }
    }
    if (!results.empty() && results.front()->sizes.size() == 2) Warn(PyExc_UserWarning, kTwoScalesNote);
    if (notFiniteCount)
        Warn(PyExc_RuntimeWarning, (results.size() > 1 ? which(notFiniteFirst, notFiniteCount) + ": " : "") +
                                       results[notFiniteFirst]->reason);
    if (noIntervalCount)
        Warn(PyExc_UserWarning, "no interval on H of " + which(noIntervalFirst, noIntervalCount) + ": " +
                                    results[noIntervalFirst]->interval->none);
    if (incrementsCount) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "lag-1 autocorrelation %.2f, H %.2f", increments->lag1, increments->hurst);
        Warn(PyExc_UserWarning, "the values of " + which(incrementsFirst, incrementsCount) + " look like increments (" +
                                    shown +
                                    "), while DMA and DFA take a profile such as a walk: to analyse their "
                                    "cumulative sum, pass integrate=True");
    }
}

namespace {

// One series' result, and its warnings.
py::object AnalyseOne(const py::object& x, const AnalysisCall& call) {
    const Samples samples = SamplesOf(x);
    AnalysisSettings settings = SettingsFor(call, samples.size(), "");
    settings.jobs = call.jobs;  // the scales (and positions) of the one series spread over the threads
    const auto s = std::make_shared<const AnalysisSettings>(std::move(settings));
    const AnalysisResult r = Interruptible([&] { return Analyse(SpanOf(samples), *s); });
    if (r.status == AnalysisStatus::kRefused) throw py::value_error(r.reason);
    WarnAbout({&r}, {SpanOf(samples)}, {"x"}, call);
    return py::cast(ResultOf(r, s, samples.size()));
}

py::object Analysis(const py::object& x, const AnalysisCall& call) {
    return HoldsManySeries(x) ? AnalyseMany(x, call) : AnalyseOne(x, call);
}

bool FlagArgument(const py::object& value, const char* name) {
    if (!py::isinstance<py::bool_>(value) && !py::isinstance(value, py::module_::import("numpy").attr("bool_")))
        throw py::type_error(std::string(name) + " must be True or False");
    return value.cast<bool>();
}

// The call's arguments that every analysis takes.
AnalysisCall CallOf(MethodFamily family, const py::object& type, const py::object& window, const py::object& scales,
                    const py::object& step, const py::object& integrate, const py::object& jobs,
                    const py::object& ci, const py::object& bootstrap, const py::object& seed) {
    AnalysisCall call;
    call.family = family;
    call.settings.computationType = WholeArgument(type, "type");
    call.settings.dynamicStep = WholeArgument(step, "step");
    call.settings.integrate = FlagArgument(integrate, "integrate");
    if (!window.is_none()) call.window = WholeArgument(window, "window");
    if (!scales.is_none()) call.scales = SizesOf(scales);
    call.jobs = WholeArgument(jobs, "jobs");
    if (call.jobs < 0) throw py::value_error("jobs must be 0 (every core) or more");
    if (!ci.is_none()) {
        IntervalRequest& request = call.settings.interval.emplace();
        request.level = NumberArgument(ci, "ci");
        request.replicates = WholeArgument(bootstrap, "bootstrap");
        request.seed = seed.is_none() ? -1 : WholeArgument(seed, "seed");
        if (!seed.is_none() && request.seed < 0) throw py::value_error("seed must be 0 or more");
        request.jobs = call.jobs;
    }
    return call;
}

py::object Dma(const py::object& x, const py::object& type, const py::object& window, const py::object& scales,
               const py::object& weight, const py::object& shift, const py::object& lambda, const py::object& step,
               const py::object& integrate, const py::object& jobs, const py::object& ci, const py::object& bootstrap,
               const py::object& seed) {
    AnalysisCall call = CallOf(MethodFamily::kDma, type, window, scales, step, integrate, jobs, ci, bootstrap, seed);
    AnalysisSettings& s = call.settings;
    s.dmaWeight = WholeArgument(weight, "weight");
    s.shiftPercentage = NumberArgument(shift, "shift");
    s.dmaLambda = NumberArgument(lambda, "lambda_");
    return Analysis(x, call);
}

py::object Dfa(const py::object& x, const py::object& type, const py::object& order, const py::object& window,
               const py::object& scales, const py::object& step, const py::object& integrate,
               const py::object& jobs, const std::string& boxes, const py::object& ci, const py::object& bootstrap,
               const py::object& seed) {
    AnalysisCall call = CallOf(MethodFamily::kDfa, type, window, scales, step, integrate, jobs, ci, bootstrap, seed);
    call.settings.dfaOrder = WholeArgument(order, "order");
    call.settings.dfaBoxes = boxes;
    return Analysis(x, call);
}

// The least-squares line of log10 F against log10 n over the scales from
// `least` to `most`, without computing F again; the interval of a result that
// has one is that of this fit.
struct Fit {
    double hurst = 0.0, intercept = 0.0, hurstError = 0.0;
    py::object scales;
    IntervalFields interval;
};

Fit FitOf(const Result& r, const py::object& least, const py::object& most, bool withInterval = true) {
    if (!r.positions.is_none()) throw py::value_error("a dynamic result has no F(n) to fit");
    const double lo = least.is_none() ? -HUGE_VAL : NumberArgument(least, "min_scale");
    const double hi = most.is_none() ? HUGE_VAL : NumberArgument(most, "max_scale");
    const auto n = r.scales.unchecked<1>();
    const auto f = r.fluctuation.unchecked<1>();
    SizeList sizes(0, 10);
    std::vector<double> chosen;
    double sx = 0.0, sy = 0.0;
    for (py::ssize_t k = 0; k < n.shape(0); ++k) {
        if (n(k) < lo || n(k) > hi) continue;
        sizes.Append(n(k));
        chosen.push_back(f(k));
        sx += std::log10(n(k));
        sy += std::log10(f(k));
    }
    if (sizes.Size() < 2)
        throw py::value_error("the scales from " + py::str(least).cast<std::string>() + " to " +
                              py::str(most).cast<std::string>() + " are " + std::to_string(sizes.Size()) +
                              "; a fit needs two or more");
    Fit fit;
    fit.hurst = HurstOf(sizes, chosen);
    fit.hurstError = HurstStandardError(sizes, chosen);
    fit.intercept = (sy - fit.hurst * sx) / sizes.Size();
    fit.scales = ArrayOf(std::vector<int32_t>(sizes.begin(), sizes.end()));
    if (r.settings->interval && withInterval) {
        const HurstInterval interval = Interruptible([&] {
            return BootstrapInterval(*r.settings, r.length, fit.hurst, *r.settings->interval, ScaleRange{lo, hi});
        });
        if (!interval.none.empty()) Warn(PyExc_UserWarning, "no interval on this fit's H: " + interval.none);
        fit.interval = FieldsOf(interval);
    }
    return fit;
}

std::string ResultRepr(const Result& r) {
    if (!r.positions.is_none())
        return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": " +
               std::to_string(py::len(r.positions)) + " positions>";
    return "<fractan.Result " + std::string(ComputationTypeFileName(r.type)) + ": H = " +
           py::str(r.hurst).cast<std::string>() + " over " + std::to_string(py::len(r.scales)) + " scales>";
}

// A setting's keyword argument with its default, as the method table gives them.
template <typename T>
py::arg_v SettingArg(MethodSetting setting) {
    return py::arg(DescriptionOf(setting).keyword) = DefaultOf<T>(setting);
}

// The docstring of a family's function: its methods, the window and scales, and
// the settings it takes, from the method table.
std::string AnalysisDoc(const char* what, MethodFamily family, const char* windowAndScales,
                        std::initializer_list<MethodSetting> settings) {
    auto column = [](std::string name) { return name.append(name.size() < 10 ? 10 - name.size() : 1, ' '); };
    std::string doc = std::string(what) +
                      " of the series x (any 1-D array-like of numbers), or of each series of a 2-D array (a\n"
                      "series a row), a list of array-likes or a pandas DataFrame (a series a column).\n\n" +
                      column("type") +
                      MethodList(family) + " (default " + std::to_string(DefaultType(family)) + ")\n" +
                      windowAndScales;
    for (MethodSetting setting : settings) doc += column(DescriptionOf(setting).keyword) + SettingHelp(setting) + "\n";
    char shownIncrementsHurst[16];
    std::snprintf(shownIncrementsHurst, sizeof shownIncrementsHurst, "%.2f", kIncrementsHurst);
    return doc + column("integrate") +
           "analyse the cumulative sum of x less its mean (for increments, such as returns or noise)\n" +
           column("jobs") +
           "threads for many series, for the scales of one series' DFA or DMA (static or dynamic), or for an "
           "interval's series "
           "(0: one per core)\n" +
           column("ci") + "an interval on H of this level (such as 0.95) by parametric bootstrap (static types)\n" +
           column("bootstrap") + "the interval's number of exact fractional Brownian motions\n" +
           column("seed") + "the interval's seed (0 or more): the same interval every time\n\n"
           "Returns a Result: scales, fluctuation and hurst (static), or positions and hurst (dynamic);\n"
           "for many series, Results: a Result per series, and their hurst and fluctuation as arrays.\n"
           "Raises ValueError with the reason when the parameters are refused or a sample is not finite.\n"
           "Warns with the reason (RuntimeWarning) when H is not a finite number, and (UserWarning) when\n"
           "two scales leave H resting on two points or the values look like increments where\n"
           "integrate=True was meant (an H below " + shownIncrementsHurst +
           ", or a lag-1 autocorrelation below 0.5 with an H below 0.6).";
}

// The interval's properties, on a Result and on a Fit.
template <class Owner>
void DefInterval(py::class_<Owner>& owner) {
    owner
        .def_property_readonly(
            "hurst_ci", [](const Owner& o) { return o.interval.ci; },
            "With ci=: the interval on H, (low, high), by parametric bootstrap; None otherwise.")
        .def_property_readonly(
            "hurst_corrected", [](const Owner& o) { return o.interval.corrected; },
            "With ci=: H less the bias its bootstrap series show, the interval's centre; None otherwise.")
        .def_property_readonly(
            "hurst_sd", [](const Owner& o) { return o.interval.deviation; },
            "With ci=: the standard deviation of H over the bootstrap series; None otherwise.");
}

// The slope's standard error under the name that says what it is, and under its old one.
template <class Owner>
void DefResidualError(py::class_<Owner>& owner, const char* doc) {
    owner.def_readonly("hurst_residual_error", &Owner::hurstError, doc)
        .def_readonly("hurst_error", &Owner::hurstError, "The old name of hurst_residual_error.");
}

}  // namespace

void AddAnalyses(py::module_& m) {
    using py::arg;
    py::class_<Result> result(m, "Result", "The result of dma() or dfa().");
    result.def_readonly("type", &Result::type, "The computation type.")
        .def_property_readonly(
            "method", [](const Result& r) { return FindMethod(r.type)->name; }, "The method's name.")
        .def_readonly("scales", &Result::scales, "The window or box sizes n.")
        .def_readonly("fluctuation", &Result::fluctuation, "Static types: F(n) for each scale.")
        .def_readonly("hurst", &Result::hurst, "Static types: H; dynamic types: H at every position.")
        .def_readonly("positions", &Result::positions,
                      "Dynamic types: the evaluated positions (0-based sample indices); None otherwise.")
        .def_readonly("position", &Result::position,
                      "Static types: the result line's position field, M + W (W for DFA).")
        .def_property_readonly(
            "intercept",
            [](const Result& r) -> py::object {
                if (!r.positions.is_none()) return py::none();
                return py::float_(FitOf(r, py::none(), py::none(), false).intercept);
            },
            "Static types: the intercept of the fitted line of log10 F against log10 n; None otherwise.")
        .def("fit", [](const Result& r, const py::object& least, const py::object& most) { return FitOf(r, least, most); },
             py::arg("min_scale") = py::none(), py::arg("max_scale") = py::none(),
             "The line of log10 F against log10 n over the scales from min_scale to max_scale (all by "
             "default), from the F(n) already computed: a Fit with hurst, intercept, hurst_residual_error and "
             "scales, and for a result with ci= the interval of this fit (bootstrap series analysed anew).")
        .def("__repr__", &ResultRepr);
    DefResidualError(result,
                     "Static types: the standard error of the fitted slope, from the scatter of the points about "
                     "the line (NaN below three scales): far below H's own error, which hurst_ci gives; None "
                     "otherwise.");
    DefInterval(result);
    py::class_<Fit> fit(m, "Fit", "The fitted line of Result.fit().");
    fit.def_readonly("hurst", &Fit::hurst, "The slope: H over the scales fitted.")
        .def_readonly("intercept", &Fit::intercept, "log10 F at n = 1 on the line.")
        .def_readonly("scales", &Fit::scales, "The scales fitted.");
    DefResidualError(fit, "The standard error of the slope from the points' scatter (NaN below three scales).");
    DefInterval(fit);

    static const std::string dmaDoc = AnalysisDoc(
        "Detrending moving average analysis", MethodFamily::kDma,
        "window    W: points over which deviations are averaged (default: the largest that fits, len(x) - 2*M - 1,\n"
        "          for static types; a quarter of it for dynamic ones)\n"
        "scales    the moving-average window sizes, an array or fractan.linear()/fractan.geometric()\n"
        "          (default: geometric 4, 8, ... up to an eighth of len(x)); the last is M\n",
        {kUsesWeight, kUsesShift, kUsesLambda, kUsesStep});
    m.def("dma", &Dma, arg("x"), arg("type") = DefaultType(MethodFamily::kDma), arg("window") = py::none(),
          arg("scales") = py::none(), SettingArg<int32_t>(kUsesWeight), SettingArg<double>(kUsesShift),
          SettingArg<double>(kUsesLambda), SettingArg<int32_t>(kUsesStep), arg("integrate") = false, arg("jobs") = 0,
          arg("ci") = py::none(), arg("bootstrap") = IntervalRequest{}.replicates, arg("seed") = py::none(),
          dmaDoc.c_str());
    static const std::string dfaDoc = AnalysisDoc(
        "Detrended fluctuation analysis", MethodFamily::kDfa,
        "window    W: samples tiled by the boxes (default: every sample but the first for Static DFA;\n"
        "          a quarter of that for Dynamic DFA)\n"
        "scales    the box sizes, an array or fractan.linear()/fractan.geometric()\n"
        "          (default: geometric 4, 8, ... up to an eighth of the window, from order + 2 when above 4);\n"
        "          boxes of order + 2 or more\n",
        {kUsesOrder, kUsesStep, kUsesBoxes});
    m.def("dfa", &Dfa, arg("x"), arg("type") = DefaultType(MethodFamily::kDfa), SettingArg<int32_t>(kUsesOrder),
          arg("window") = py::none(), arg("scales") = py::none(), SettingArg<int32_t>(kUsesStep),
          arg("integrate") = false, arg("jobs") = 0, SettingArg<std::string>(kUsesBoxes), arg("ci") = py::none(),
          arg("bootstrap") = IntervalRequest{}.replicates, arg("seed") = py::none(), dfaDoc.c_str());
    AddBatch(m);
}

}  // namespace fractan::python
