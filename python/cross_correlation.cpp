// dcca() and dmca(): the cross-correlation of two series across scales
// (engine/cross_correlation.h).

#include "python/common.h"

#include <pybind11/stl.h>

#include "engine/cross_correlation.h"

namespace fractan::python {
namespace {

using py::arg;

struct CrossCorrelation {
    std::string method;
    py::array_t<int32_t> scales;
    py::object f2xy = py::none(), fx = py::none(), fy = py::none(), positions = py::none();
    py::array_t<double> rho;  // per scale, or a row per position
    double exponent = 0.0;
    std::vector<std::string> summary;
};

CrossCorrelation Run(const py::object& x, const py::object& y, const py::object& scales, const py::object& window,
                     const py::object& step, CrossCorrelationSettings s) {
    const Samples first = SamplesOf(x, "x"), second = SamplesOf(y, "y");
    s.window = window.is_none() ? 0 : WholeArgument(window, "window");
    s.step = WholeArgument(step, "step");
    s.scales = scales.is_none() ? DefaultCrossCorrelationScales(s, first.size()) : SizesOf(scales);
    const CrossCorrelationResult r =
        Interruptible([&] { return AnalyseCrossCorrelation(SpanOf(first), SpanOf(second), s); });
    if (r.status == AnalysisStatus::kRefused) throw py::value_error(r.reason);
    CrossCorrelation c;
    c.method = r.title;
    c.scales = ArrayOf(r.scales);
    c.exponent = r.exponent;
    c.summary = r.Summary();
    if (r.Sliding()) {
        c.positions = ArrayOf(r.positions);
        c.rho = py::array_t<double>({r.positions.size(), r.scales.size()});
        for (size_t i = 0; i < r.positions.size(); ++i)
            for (size_t k = 0; k < r.scales.size(); ++k) c.rho.mutable_at(i, k) = r.rhoAlong[i][k];
    } else {
        c.f2xy = ArrayOf(r.f2xy);
        c.fx = ArrayOf(r.fx);
        c.fy = ArrayOf(r.fy);
        c.rho = ArrayOf(r.rho);
    }
    if (r.signChange > 0) Warn(PyExc_UserWarning, c.summary.back());
    if (r.status == AnalysisStatus::kNotFinite) Warn(PyExc_RuntimeWarning, r.reason);
    return c;
}

}  // namespace

void AddCrossCorrelation(py::module_& m) {
    py::class_<CrossCorrelation>(m, "CrossCorrelation", "The result of dcca() or dmca().")
        .def_readonly("method", &CrossCorrelation::method, "DCCA or DMCA.")
        .def_readonly("scales", &CrossCorrelation::scales, "The box sizes or moving-average lengths n.")
        .def_readonly("f2xy", &CrossCorrelation::f2xy,
                      "F2_xy(n), the mean product of the two series' residuals; None when sliding.")
        .def_readonly("fx", &CrossCorrelation::fx, "F_x(n), the root mean square residual of x; None when sliding.")
        .def_readonly("fy", &CrossCorrelation::fy, "F_y(n); None when sliding.")
        .def_readonly("rho", &CrossCorrelation::rho,
                      "rho(n) = F2_xy / (F_x F_y), in [-1, 1]; when sliding, a row per position.")
        .def_readonly("exponent", &CrossCorrelation::exponent,
                      "The slope of log sqrt|F2_xy| against log n; nan when sliding or over one scale.")
        .def_readonly("positions", &CrossCorrelation::positions,
                      "Sliding: the last sample of each window (0-based); None otherwise.")
        .def_readonly("summary", &CrossCorrelation::summary, "The closing lines of the command's file.")
        .def("__repr__", [](const CrossCorrelation& c) {
            return "<fractan.CrossCorrelation " + c.method + ": " + std::to_string(c.scales.size()) + " scales" +
                   (c.positions.is_none() ? "" : ", " + std::to_string(py::len(c.positions)) + " positions") + ">";
        });
    static const std::string common =
        "x, y      the two series, of the same length\n"
        "scales    the scales n (default: 20 spread evenly in log n from 4 to len(x) / 8, or window / 8)\n"
        "integrate analyse the cumulative sums of x and y less their means (series given as increments)\n"
        "window    rho(n) of the window samples up to every step-th position (default: None, the whole series)\n"
        "step      the samples between positions when sliding\n";
    static const std::string dccaDoc =
        "Detrended cross-correlation analysis: F2_xy(n), the mean over boxes of n samples of the product\n"
        "of the residuals of x and y about the polynomial fitted in each box, F_x(n), F_y(n), the\n"
        "coefficient rho(n) = F2_xy / (F_x F_y) and the exponent of sqrt|F2_xy|.\n\n" + common +
        "order     " + DescriptionOf(kUsesOrder).help + "\nboxes     " + DescriptionOf(kUsesBoxes).help + "\n";
    static const std::string dmcaDoc =
        "Detrending moving-average cross-correlation analysis: F2_xy(n), the mean product of the residuals\n"
        "of x and y about their moving averages of n samples, F_x(n), F_y(n), the coefficient\n"
        "rho(n) = F2_xy / (F_x F_y) and the exponent of sqrt|F2_xy|.\n\n" + common +
        "theta     where the moving average lies: 0 backward, 0.5 centred, 1 forward\n";
    const int32_t step = DefaultOf<int32_t>(kUsesStep);
    m.def(
        "dcca",
        [](const py::object& x, const py::object& y, const py::object& scales, const py::object& order,
           const std::string& boxes, bool integrate, const py::object& window, const py::object& step) {
            CrossCorrelationSettings s;
            s.family = MethodFamily::kDfa;
            s.order = WholeArgument(order, "order");
            s.boxes = boxes;
            s.integrate = integrate;
            return Run(x, y, scales, window, step, s);
        },
        arg("x"), arg("y"), arg("scales") = py::none(), arg("order") = DefaultOf<int32_t>(kUsesOrder),
        arg("boxes") = DefaultOf<std::string>(kUsesBoxes), arg("integrate") = false, arg("window") = py::none(),
        arg("step") = step, dccaDoc.c_str());
    m.def(
        "dmca",
        [](const py::object& x, const py::object& y, const py::object& scales, const py::object& theta,
           bool integrate, const py::object& window, const py::object& step) {
            CrossCorrelationSettings s;
            s.family = MethodFamily::kDma;
            s.theta = NumberArgument(theta, "theta");
            s.integrate = integrate;
            return Run(x, y, scales, window, step, s);
        },
        arg("x"), arg("y"), arg("scales") = py::none(), arg("theta") = 0.0, arg("integrate") = false,
        arg("window") = py::none(), arg("step") = step, dmcaDoc.c_str());
}

}  // namespace fractan::python
