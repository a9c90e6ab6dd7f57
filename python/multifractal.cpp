// mfdfa() and mfdma(): the q-order fluctuation functions and the multifractal
// spectrum of a series (engine/multifractal.h).

#include "python/common.h"

#include "engine/multifractal.h"

namespace fractan::python {
namespace {

using py::arg;

struct Multifractal {
    std::string method;
    py::array_t<double> q, h, tau, alpha, f;
    py::array_t<int32_t> scales;
    py::array_t<double> fluctuation;  // a row per q
    py::array_t<int64_t> flat;
};

std::vector<double> QOf(const py::object& q) {
    if (q.is_none()) return DefaultMultifractalQ();
    const Samples values = SamplesOf(q, "q");
    const std::span<const double> span = SpanOf(values);
    return {span.begin(), span.end()};
}

Multifractal Run(const py::object& x, const py::object& q, const py::object& scales, MultifractalSettings s) {
    const Samples samples = SamplesOf(x);
    s.q = QOf(q);
    s.scales = scales.is_none() ? DefaultMultifractalScales(s, samples.size()) : SizesOf(scales);
    const MultifractalResult r = Interruptible([&] { return AnalyseMultifractal(SpanOf(samples), s); });
    if (r.status == AnalysisStatus::kRefused) throw py::value_error(r.reason);
    Multifractal m;
    m.method = s.family == MethodFamily::kDfa ? "MF-DFA" : "MF-DMA";
    m.q = ArrayOf(r.q);
    m.scales = ArrayOf(r.scales);
    m.h = ArrayOf(r.h);
    m.tau = ArrayOf(r.tau);
    m.alpha = ArrayOf(r.alpha);
    m.f = ArrayOf(r.f);
    m.flat = ArrayOf(r.flat);
    m.fluctuation = py::array_t<double>({r.q.size(), r.scales.size()});
    for (size_t j = 0; j < r.q.size(); ++j)
        for (size_t k = 0; k < r.scales.size(); ++k) m.fluctuation.mutable_at(j, k) = r.fluctuation[j][k];
    if (const int64_t flat = r.FlatSegments(); flat > 0)
        Warn(PyExc_UserWarning, std::to_string(flat) +
                                    " segments have zero fluctuation (flat stretches); they are left out of F_q "
                                    "for q <= 0");
    if (r.status == AnalysisStatus::kNotFinite) Warn(PyExc_RuntimeWarning, r.reason);
    return m;
}

}  // namespace

void AddMultifractal(py::module_& m) {
    py::class_<Multifractal>(m, "Multifractal", "The result of mfdfa() or mfdma().")
        .def_readonly("method", &Multifractal::method, "MF-DFA or MF-DMA.")
        .def_readonly("q", &Multifractal::q, "The orders q.")
        .def_readonly("scales", &Multifractal::scales, "The segment lengths n.")
        .def_readonly("fluctuation", &Multifractal::fluctuation, "F_q(n): a row per q, a column per scale.")
        .def_readonly("h", &Multifractal::h, "h(q): the slope of log F_q against log n.")
        .def_readonly("tau", &Multifractal::tau, "tau(q) = q h(q) - 1.")
        .def_readonly("alpha", &Multifractal::alpha, "alpha = d tau / dq (finite differences).")
        .def_readonly("f", &Multifractal::f, "f(alpha) = q alpha - tau.")
        .def_readonly("flat_segments", &Multifractal::flat,
                      "Per scale: the segments of zero fluctuation, left out of F_q for q <= 0.")
        .def("__repr__", [](const Multifractal& r) {
            return "<fractan.Multifractal " + r.method + ": " + std::to_string(r.q.size()) + " q over " +
                   std::to_string(r.scales.size()) + " scales>";
        });
    static const std::string common =
        "q         the orders, rising (default: -5, -4.5, ..., 5)\n"
        "scales    the segment lengths (default: 20 spread evenly in log n from 16 to len(x) / 8)\n"
        "integrate analyse the cumulative sum of x less its mean (x given as increments)\n";
    static const std::string dfaDoc =
        "Multifractal detrended fluctuation analysis: F_q(n) over boxes of n samples with a polynomial\n"
        "fitted in each, h(q), tau(q) and the singularity spectrum alpha, f.\n\n" + common +
        "order     " + DescriptionOf(kUsesOrder).help + "\nboxes     " + DescriptionOf(kUsesBoxes).help + "\n";
    static const std::string dmaDoc =
        "Multifractal detrending moving average analysis: F_q(n) over segments of n residuals of the\n"
        "moving average of n samples, h(q), tau(q) and the singularity spectrum alpha, f.\n\n" + common +
        "theta     where the moving average lies: 0 backward, 0.5 centred, 1 forward\n";
    m.def(
        "mfdfa",
        [](const py::object& x, const py::object& q, const py::object& scales, const py::object& order,
           const std::string& boxes, bool integrate) {
            MultifractalSettings s;
            s.family = MethodFamily::kDfa;
            s.order = WholeArgument(order, "order");
            s.boxes = boxes;
            s.integrate = integrate;
            return Run(x, q, scales, s);
        },
        arg("x"), arg("q") = py::none(), arg("scales") = py::none(),
        arg("order") = DefaultOf<int32_t>(kUsesOrder), arg("boxes") = DefaultOf<std::string>(kUsesBoxes),
        arg("integrate") = false, dfaDoc.c_str());
    m.def(
        "mfdma",
        [](const py::object& x, const py::object& q, const py::object& scales, const py::object& theta,
           bool integrate) {
            MultifractalSettings s;
            s.family = MethodFamily::kDma;
            s.theta = NumberArgument(theta, "theta");
            s.integrate = integrate;
            return Run(x, q, scales, s);
        },
        arg("x"), arg("q") = py::none(), arg("scales") = py::none(), arg("theta") = 0.0, arg("integrate") = false,
        dmaDoc.c_str());
}

}  // namespace fractan::python
