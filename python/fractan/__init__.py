"""FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and detrended
fluctuation analysis (DFA), the cluster analysis of the crossings of a series and its moving
averages, series by random midpoint displacement or exact by FFT, and the local slope of a
log-log chart. The numbers are those of the fractan command on the same series."""
from . import _fractan
from ._arguments import with_plain_errors
from ._plot import plot_clusters, plot_multifractal, plot_result

__version__ = _fractan.__version__

Result = _fractan.Result
Results = _fractan.Results
Fit = _fractan.Fit
Clusters = _fractan.Clusters
Multifractal = _fractan.Multifractal
Result.plot = plot_result
Clusters.plot = plot_clusters
Multifractal.plot = plot_multifractal

dma = with_plain_errors(_fractan.dma)
dfa = with_plain_errors(_fractan.dfa)
mfdfa = with_plain_errors(_fractan.mfdfa)
mfdma = with_plain_errors(_fractan.mfdma)
clusters = with_plain_errors(_fractan.clusters)
generate_rmd = with_plain_errors(_fractan.generate_rmd)
generate_fft = with_plain_errors(_fractan.generate_fft)
linear = with_plain_errors(_fractan.linear)
geometric = with_plain_errors(_fractan.geometric)
load = with_plain_errors(_fractan.load)
local_slope = with_plain_errors(_fractan.local_slope)
run_config = with_plain_errors(_fractan.run_config)
for _cls, _name in [(Result, "fit"), (Clusters, "distribution")]:
    setattr(_cls, _name, with_plain_errors(getattr(_cls, _name)))

__all__ = ["Clusters", "Fit", "Multifractal", "Result", "Results", "clusters", "dfa", "dma", "generate_fft",
           "generate_rmd", "geometric", "linear", "load", "local_slope", "mfdfa", "mfdma", "run_config"]
