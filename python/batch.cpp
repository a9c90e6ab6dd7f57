// The Python module's analyses of many series in one call: dma() and dfa() of
// a 2-D array, a list of array-likes or a pandas DataFrame, and their Results.

#include "python/analyses.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <map>

#include "setup/ordered_jobs.h"

namespace fractan::python {
namespace {

using Rows = py::array_t<double, py::array::c_style | py::array::forcecast>;

bool IsDataFrame(const py::object& x) {
    const py::handle type = py::type::of(x);
    return py::str(type.attr("__name__")).cast<std::string>() == "DataFrame" &&
           py::str(type.attr("__module__")).cast<std::string>().starts_with("pandas");
}

// The series of x, each with its name for messages ("x[3]", "x['price']").
struct ManySeries {
    std::vector<py::array> arrays;  // what the spans point into
    std::vector<std::span<const double>> spans;
    std::vector<std::string> names;
    py::object labels = py::none();  // a DataFrame's column labels
};

// The rows of a 2-D array of numbers, each checked finite.
void AddRows(ManySeries& many, const py::object& x, const std::function<std::string(py::ssize_t)>& name) {
    const py::array given = py::array::ensure(x);
    if (!given || !HoldsNumbers(given)) {
        PyErr_Clear();
        throw py::type_error("x must hold numbers");
    }
    if (given.ndim() != 2) throw py::type_error("x must be one series (1-D), or one series a row (2-D)");
    const Rows rows = Rows::ensure(given);
    if (!rows) throw py::error_already_set();
    const py::ssize_t length = rows.shape(1);
    for (py::ssize_t i = 0; i < rows.shape(0); ++i) {
        const double* row = rows.data() + i * length;
        many.names.push_back(name(i));
        CheckFinite(row, length, many.names.back());
        many.spans.emplace_back(row, static_cast<size_t>(length));
    }
    many.arrays.push_back(rows);
}

ManySeries SeriesOf(const py::object& x) {
    ManySeries many;
    if (IsDataFrame(x)) {
        many.labels = py::list(x.attr("columns"));
        py::object values;
        try {
            values = x.attr("to_numpy")(py::arg("dtype") = py::dtype::of<double>()).attr("T");
        } catch (const py::error_already_set&) {
            throw py::type_error("the columns of x must hold numbers");
        }
        AddRows(many, values, [&](py::ssize_t i) {
            return "x[" + py::repr(py::list(many.labels)[static_cast<size_t>(i)]).cast<std::string>() + "]";
        });
    } else if (py::isinstance<py::array>(x)) {
        AddRows(many, x, [](py::ssize_t i) { return "x[" + std::to_string(i) + "]"; });
    } else {
        const py::sequence list = x;
        for (size_t i = 0; i < list.size(); ++i) {
            many.names.push_back("x[" + std::to_string(i) + "]");
            const Samples samples = SamplesOf(list[i], many.names.back());
            many.spans.push_back(SpanOf(samples));
            many.arrays.push_back(samples);
        }
    }
    if (many.spans.empty()) throw py::value_error("x holds no series");
    return many;
}

// The results of many series, as one call gives each.
struct Results {
    int32_t type = 0;
    std::vector<AnalysisResult> results;
    std::vector<std::shared_ptr<const AnalysisSettings>> settings;  // of each series, shared by those of a length
    std::vector<int64_t> lengths;
    py::object labels = py::none();

    size_t IndexOf(const py::object& key) const {
        if (!labels.is_none() && !py::isinstance<py::int_>(key)) {
            const py::list list(labels);
            for (size_t i = 0; i < list.size(); ++i)
                if (key.equal(list[i])) return i;
            throw py::key_error(py::repr(key).cast<std::string>() + " is not a column of the series");
        }
        const auto count = static_cast<py::ssize_t>(results.size());
        py::ssize_t i = WholeArgument(key, "the index");
        if (i < 0) i += count;
        if (i < 0 || i >= count) throw py::index_error("there are " + std::to_string(count) + " series");
        return static_cast<size_t>(i);
    }
    Result At(size_t i) const { return ResultOf(results[i], settings[i], lengths[i]); }

    bool Dynamic() const { return IsDynamicType(type); }

    // A 2-D array, a row for each series, when every series has the same
    // `axis` (scales or positions); a list of arrays otherwise.
    template <class T, class Axis>
    py::object Stacked(std::vector<T> AnalysisResult::*values, Axis AnalysisResult::*axis) const {
        const bool shared = std::all_of(results.begin(), results.end(),
                                        [&](const AnalysisResult& r) { return r.*axis == results.front().*axis; });
        if (!shared) {
            py::list list;
            for (const AnalysisResult& r : results) list.append(ArrayOf(r.*values));
            return list;
        }
        const auto columns = static_cast<py::ssize_t>((results.front().*values).size());
        py::array_t<T> stacked({static_cast<py::ssize_t>(results.size()), columns});
        T* out = stacked.mutable_data();
        for (const AnalysisResult& r : results) out = std::copy((r.*values).begin(), (r.*values).end(), out);
        return stacked;
    }

    py::object PerSeries(double AnalysisResult::*value) const {
        py::array_t<double> out(static_cast<py::ssize_t>(results.size()));
        std::transform(results.begin(), results.end(), out.mutable_data(),
                       [&](const AnalysisResult& r) { return r.*value; });
        return out;
    }
    py::object Hurst() const {
        return Dynamic() ? Stacked(&AnalysisResult::hursts, &AnalysisResult::positions)
                         : PerSeries(&AnalysisResult::hurst);
    }
    // An interval's number for each series, NaN where it has none; None when none was asked.
    py::object PerInterval(double HurstInterval::*value) const {
        if (!settings.front()->interval) return py::none();
        py::array_t<double> out(static_cast<py::ssize_t>(results.size()));
        std::transform(results.begin(), results.end(), out.mutable_data(), [&](const AnalysisResult& r) {
            return r.interval && r.interval->none.empty() ? (*r.interval).*value
                                                          : std::numeric_limits<double>::quiet_NaN();
        });
        return out;
    }
    py::object HurstCi() const {
        if (!settings.front()->interval) return py::none();
        return py::module_::import("numpy").attr("column_stack")(
            py::make_tuple(PerInterval(&HurstInterval::low), PerInterval(&HurstInterval::high)));
    }
    py::object HurstError() const { return Dynamic() ? py::none() : PerSeries(&AnalysisResult::hurstError); }
    py::object Fluctuation() const {
        return Dynamic() ? py::none() : Stacked(&AnalysisResult::fluctuations, &AnalysisResult::sizes);
    }
    py::object Scales() const {
        const bool shared = std::all_of(results.begin(), results.end(),
                                        [&](const AnalysisResult& r) { return r.sizes == results.front().sizes; });
        if (shared) return ArrayOf(results.front().sizes);
        py::list list;
        for (const AnalysisResult& r : results) list.append(ArrayOf(r.sizes));
        return list;
    }
    py::object Positions() const {
        return Dynamic() ? Stacked(&AnalysisResult::positions, &AnalysisResult::positions) : py::none();
    }
};

}  // namespace

bool HoldsManySeries(const py::object& x) {
    if (py::isinstance<py::array>(x)) return py::reinterpret_borrow<py::array>(x).ndim() > 1;
    if (IsDataFrame(x)) return true;
    if (!py::isinstance<py::list>(x) && !py::isinstance<py::tuple>(x)) return false;
    const py::sequence list = x;
    if (list.size() == 0) return false;
    // Series have a length (lists, arrays, pandas Series); numbers, numpy's included, do not.
    const py::object first = list[0];
    return py::hasattr(first, "__len__") && !py::isinstance<py::str>(first) && !py::isinstance<py::bytes>(first);
}

py::object AnalyseMany(const py::object& x, const AnalysisCall& call) {
    const ManySeries many = SeriesOf(x);
    const auto count = static_cast<int32_t>(many.spans.size());
    // The settings hang on the length only: checked once for each length.
    // The series run on every core, each interval on one.
    AnalysisCall each = call;
    if (each.settings.interval) each.settings.interval->jobs = 1;
    std::map<size_t, std::shared_ptr<const AnalysisSettings>> byLength;
    Results out;
    for (int32_t i = 0; i < count; ++i) {
        const size_t length = many.spans[i].size();
        auto at = byLength.find(length);
        if (at == byLength.end())
            at = byLength
                     .emplace(length, std::make_shared<const AnalysisSettings>(
                                          SettingsFor(each, static_cast<int64_t>(length), many.names[i])))
                     .first;
        out.settings.push_back(at->second);
        // Each series' interval draws its own series: series i from seed + i.
        if (const auto& interval = at->second->interval; interval && interval->seed >= 0 && i > 0) {
            auto own = std::make_shared<AnalysisSettings>(*at->second);
            own->interval->seed = static_cast<int32_t>((int64_t{interval->seed} + i) % (int64_t{1} << 31));
            out.settings.back() = std::move(own);
        }
        out.lengths.push_back(static_cast<int64_t>(length));
    }
    out.type = call.settings.computationType;
    out.labels = many.labels;
    out.results.resize(count);
    RunInterruptible([&] {
        RunInListOrder(
            count, JobsFor(call.jobs),
            [&](int32_t i) { out.results[i] = Analyse(many.spans[i], *out.settings[i]); }, [](int32_t) {});
    });
    std::vector<const AnalysisResult*> results;
    for (int32_t i = 0; i < count; ++i) {
        if (out.results[i].status == AnalysisStatus::kRefused)
            throw py::value_error(many.names[i] + ": " + out.results[i].reason);
        results.push_back(&out.results[i]);
    }
    WarnAbout(results, many.spans, many.names, call);
    return py::cast(std::move(out));
}

void AddBatch(py::module_& m) {
    py::class_<Results>(m, "Results",
                        "The results of dma() or dfa() of many series: a Result per series (by index, or by "
                        "column label for a DataFrame), and their numbers as arrays.")
        .def_readonly("type", &Results::type, "The computation type.")
        .def_readonly("names", &Results::labels, "A DataFrame's column labels, in order; None otherwise.")
        .def("__len__", [](const Results& r) { return r.results.size(); })
        .def("__getitem__", [](const Results& r, const py::object& key) { return r.At(r.IndexOf(key)); })
        .def("__iter__",
             [](const Results& r) {
                 py::list all;
                 for (size_t i = 0; i < r.results.size(); ++i) all.append(r.At(i));
                 return py::iter(all);
             })
        .def_property_readonly("hurst", &Results::Hurst,
                               "Static types: H of each series; dynamic types: H at every position, a row a series.")
        .def_property_readonly("hurst_residual_error", &Results::HurstError,
                               "Static types: the fitted slope's standard error of each series; None otherwise.")
        .def_property_readonly("hurst_error", &Results::HurstError, "The old name of hurst_residual_error.")
        .def_property_readonly("hurst_ci", &Results::HurstCi,
                               "With ci=: each series' interval, a row (low, high) a series, NaN where it has "
                               "none; None otherwise.")
        .def_property_readonly(
            "hurst_corrected", [](const Results& r) { return r.PerInterval(&HurstInterval::corrected); },
            "With ci=: each series' bias-corrected H; None otherwise.")
        .def_property_readonly(
            "hurst_sd", [](const Results& r) { return r.PerInterval(&HurstInterval::deviation); },
            "With ci=: each series' standard deviation of H over its bootstrap series; None otherwise.")
        .def_property_readonly("scales", &Results::Scales,
                               "The scales n: one array when the series share them, a list of arrays otherwise.")
        .def_property_readonly("fluctuation", &Results::Fluctuation,
                               "Static types: F(n), a row a series (a list of arrays when the scales differ); "
                               "None otherwise.")
        .def_property_readonly("positions", &Results::Positions,
                               "Dynamic types: the evaluated positions, a row a series; None otherwise.")
        .def("__repr__", [](const Results& r) {
            return "<fractan.Results " + std::string(ComputationTypeFileName(r.type)) + ": " +
                   std::to_string(r.results.size()) + " series>";
        });
}

}  // namespace fractan::python
