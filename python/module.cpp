// The extension `fractan._fractan`: the engine on numpy arrays, which the
// package `fractan` (python/fractan/__init__.py) presents. Each area of it
// (python/analyses.cpp, batch.cpp, clusters.cpp, generators.cpp, tools.cpp,
// multifractal.cpp, cross_correlation.cpp) adds its own classes and functions.

#include "python/common.h"

PYBIND11_MODULE(_fractan, m) {
    using namespace fractan::python;
    m.doc() =
        "FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and detrended "
        "fluctuation analysis (DFA), the cluster analysis of the crossings of a series and its moving "
        "averages, series by random midpoint displacement or exact by FFT, and the local slope of a log-log chart. "
        "The numbers are those of the fractan command on the same series.";
    m.attr("__version__") = FRACTAN_VERSION;
    AddAnalyses(m);
    AddClusters(m);
    AddGenerators(m);
    AddTools(m);
    AddMultifractal(m);
    AddCrossCorrelation(m);
}
