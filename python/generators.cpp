// The Python module's series generators: generate_rmd() and generate_fft().

#include "python/common.h"

#include "generator/generator.h"

namespace fractan::python {
namespace {

py::array_t<double> Generated(int32_t method, int32_t levels, double hurst, int32_t seed) {
    const GeneratedSeries series = Interruptible([&] { return GenerateSeries(method, levels, hurst, seed); });
    if (!series.reason.empty()) throw py::value_error(series.reason);
    return ArrayOf(series.values);
}

}  // namespace

void AddGenerators(py::module_& m) {
    using py::arg;
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
}

}  // namespace fractan::python
