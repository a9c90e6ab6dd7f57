// The Python module's cluster analysis: clusters() and its Clusters.

#include "python/common.h"

#include <algorithm>

#include "clusters/cluster_analysis.h"

namespace fractan::python {
namespace {

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
    std::string binning;

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
    out.binning = distribution;
    return out;
}

}  // namespace

void AddClusters(py::module_& m) {
    using py::arg;
    PYBIND11_NUMPY_DTYPE(ClusterRow, start, end, window, lifetime, length, area, diameter);
    py::class_<Clusters>(m, "Clusters", "The result of clusters().")
        .def_readonly("clusters", &Clusters::clusters,
                      "One row a cluster: start, end, window, lifetime, length, area, diameter.")
        .def_readonly("binning", &Clusters::binning, "How the distributions are binned: \"linear\" or \"log\".")
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

Returns a Clusters object: .clusters, .distribution(quantity, window=None) and .plot().)");

}

}  // namespace fractan::python
