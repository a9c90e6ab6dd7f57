// The Python module's tools: the scale progressions, local_slope() and run_config().

#include "python/common.h"

#include <pybind11/stl.h>

#include "engine/checks.h"
#include "engine/driver.h"
#include "setup/output.h"
#include "setup/progression.h"
#include "setup/series_loader.h"
#include "slope/local_slope.h"

namespace fractan::python {
namespace {

// The lines printed while it lives, but not their progress.
class NotesOnly : public OutputSink {
public:
    explicit NotesOnly(std::string& notes) : notes_(notes), redirect_(*this) {}
    void Write(std::string_view text) override { notes_.append(text); }
    void Report(const Progress&) override {}

private:
    std::string& notes_;
    ScopedOutputRedirect redirect_;
};

py::array_t<int32_t> Progression(int32_t start, int32_t end, int32_t step, int32_t type) {
    std::string why;
    const SizeList sizes = ScaleProgression{start, end, step, type, {}}.Expand(&why);
    if (sizes.Empty()) throw py::value_error(why);
    return py::array_t<int32_t>(sizes.Size(), sizes.Data());
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
    params.jobs = jobs;
    const RunPlan plan = PlanRun(params);
    if (plan.refusal) throw py::value_error(plan.refusal.reason + kReviewSuffix);
    const RunSummary summary = Interruptible([&] { return RunAnalysis(plan); });
    if (!summary.refusal.empty()) throw py::value_error(summary.refusal);
    py::dict out;
    out["result_file"] = summary.resultPath;
    out["analysed"] = summary.Inputs({kAnalysed, kNotFinite});
    out["not_analysed"] = summary.Inputs({kNotAnalysed});
    out["not_finite"] = summary.Inputs({kNotFinite});
    std::vector<std::string> charts, incrementals;
    for (const FileReport& file : summary.files) {
        if (!file.chartFile.empty()) charts.push_back(file.chartFile);
        if (!file.incrementalFile.empty()) incrementals.push_back(file.incrementalFile);
    }
    out["chart_files"] = charts;
    out["incremental_files"] = incrementals;
    return out;
}

// The samples of a series file, and its notes (the columns it has, text that
// ends its numbers) as a UserWarning; ValueError with the reason when it
// cannot be read.
py::array_t<double> Load(const std::string& path, const py::object& column) {
    std::string chosen;
    if (py::isinstance<py::str>(column)) chosen = column.cast<std::string>();
    else if (!column.is_none()) chosen = std::to_string(WholeArgument(column, "column"));
    std::string notes;
    const SeriesFile file = Interruptible([&] {
        NotesOnly keep(notes);
        return LoadSeriesFile(path, chosen);
    });
    if (!file.reason.empty()) throw py::value_error(file.reason);
    while (!notes.empty() && notes.back() == '\n') notes.pop_back();
    if (!notes.empty()) Warn(PyExc_UserWarning, notes);
    return py::array_t<double>(file.samples.Size(), file.samples.Data());
}

}  // namespace

void AddTools(py::module_& m) {
    using py::arg;
    m.def("linear", [](int32_t start, int32_t end, int32_t step) { return Progression(start, end, step, kLinear); },
          arg("start"), arg("end"), arg("step"),
          "The scales start, start + step, ... up to end, as an array.");
    m.def("geometric",
          [](int32_t start, int32_t end, int32_t step) { return Progression(start, end, step, kGeometric); },
          arg("start"), arg("end"), arg("step") = 2, "The scales start, start * step, ... up to end, as an array.");

    m.def("local_slope", &LocalSlopeFor, arg("scales"), arg("fluctuation"), arg("width") = 1.0, arg("delta") = 0.1,
          R"(The slope of log10 fluctuation against log10 scales in windows of `width` decades, moved by
`delta` decades: returns (centres, slopes), both empty when no window holds two points. A point
whose n or F is not a finite number above 0 raises ValueError naming it ("The chart, point 3: F
is -1; ...").)");
    m.def("load", &Load, arg("path"), arg("column") = py::none(),
          R"(The samples of a series file as the command reads it: one number a line, 8-byte doubles
(.dat, .bin), numpy's .npy, or a table with a header line and columns apart by commas,
semicolons, tabs or blanks, of which `column` (a number from 1, or a header name; the first by
default) is read. Raises ValueError naming the file and the problem when it cannot be read;
warns (UserWarning) with the file's notes, such as the columns it has.)");
    m.def("run_config", &RunConfig, arg("path"), arg("jobs") = 0,
          R"(Runs a configuration file as `fractan run` does, files and all, analysing the files of a list
`jobs` at a time (0: one per core). Returns the files written and those not analysed.)");
}

}  // namespace fractan::python
