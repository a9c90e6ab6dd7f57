"""FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and detrended
fluctuation analysis (DFA), the cluster analysis of the crossings of a series and its moving
averages, the cross-correlation of two series (DCCA, DMCA), series by random midpoint displacement
or exact by FFT, and the local slope of a log-log chart. The numbers are those of the fractan command
on the same series."""
from . import _fractan
from ._arguments import with_plain_errors
from ._plot import plot_clusters, plot_cross_correlation, plot_multifractal, plot_result

__version__ = _fractan.__version__

Result = _fractan.Result
Results = _fractan.Results
Fit = _fractan.Fit
Clusters = _fractan.Clusters
Multifractal = _fractan.Multifractal
CrossCorrelation = _fractan.CrossCorrelation
Result.plot = plot_result
Clusters.plot = plot_clusters
Multifractal.plot = plot_multifractal
CrossCorrelation.plot = plot_cross_correlation

__all__ = ["Clusters", "CrossCorrelation", "Fit", "Multifractal", "Result", "Results", "clusters", "dcca", "dfa", "dma",
           "dmca", "generate_fft", "generate_rmd", "geometric", "linear", "load", "local_slope", "mfdfa", "mfdma",
           "run_config"]

# The functions, each saying a wrong argument in one line.
for _name in __all__:
    if _name[0].islower():
        globals()[_name] = with_plain_errors(getattr(_fractan, _name))
for _cls, _name in [(Result, "fit"), (Clusters, "distribution")]:
    setattr(_cls, _name, with_plain_errors(getattr(_cls, _name)))

