"""Result.plot and Clusters.plot: matplotlib is imported only when plotting."""
import numpy as np


def _axes(ax):
    if ax is not None:
        return ax
    import matplotlib.pyplot as plt

    return plt.subplots()[1]


def plot_result(self, ax=None):
    """F(n) on log-log axes with the fitted line and H (and its interval, with ci=), or H along the series for a
    dynamic result, on the matplotlib axes ax (new ones by default). Returns the axes."""
    ax = _axes(ax)
    if self.positions is not None:
        ax.plot(self.positions, self.hurst, lw=1)
        ax.set_xlabel("position")
        ax.set_ylabel("H")
    else:
        n = np.asarray(self.scales, dtype=float)
        ax.loglog(n, self.fluctuation, "o", label="F(n)")
        interval = "" if self.hurst_ci is None else ", interval %.3f … %.3f" % self.hurst_ci
        ax.loglog(n, 10**self.intercept * n**self.hurst, "-", label=f"H = {self.hurst:.3f}{interval}")
        ax.set_xlabel("n")
        ax.set_ylabel("F(n)")
        ax.legend()
    ax.set_title(self.method)
    return ax


def plot_multifractal(self, axes=None):
    """F_q(n) on log-log axes (a line per q), h(q) and f(alpha), on three matplotlib axes (new ones by
    default). Returns the axes."""
    if axes is None:
        import matplotlib.pyplot as plt

        axes = plt.subplots(1, 3, figsize=(13, 4))[1]
    fq, hq, spectrum = axes
    n = np.asarray(self.scales, dtype=float)
    for q, row in zip(self.q, self.fluctuation):
        fq.loglog(n, row, "-", lw=1, label=f"q = {q:g}")
    fq.set_xlabel("n")
    fq.set_ylabel("F_q(n)")
    fq.set_title(self.method)
    hq.plot(self.q, self.h, "o-")
    hq.set_xlabel("q")
    hq.set_ylabel("h(q)")
    spectrum.plot(self.alpha, self.f, "o-")
    spectrum.set_xlabel("alpha")
    spectrum.set_ylabel("f(alpha)")
    return axes


def plot_cross_correlation(self, ax=None):
    """rho(n) against n on a log axis, or rho along the series (a line per scale) when sliding, on the
    matplotlib axes ax (new ones by default). Returns the axes."""
    ax = _axes(ax)
    if self.positions is not None:
        for n, column in zip(self.scales, np.asarray(self.rho).T):
            ax.plot(self.positions, column, lw=1, label=f"n = {n}")
        ax.set_xlabel("position")
        if len(self.scales) <= 8:
            ax.legend()
    else:
        ax.semilogx(np.asarray(self.scales, dtype=float), self.rho, "o-")
        ax.set_xlabel("n")
    ax.axhline(0.0, color="grey", lw=0.5)
    ax.set_ylim(-1.05, 1.05)
    ax.set_ylabel("rho(n)")
    ax.set_title(self.method)
    return ax


_QUANTITIES = ("lifetime", "area", "length", "diameter")


def plot_clusters(self, quantity=None, window=None, axes=None):
    """The distribution of quantity (lifetime, area, length or diameter; all four by
    default), over all windows or of one window size, as frequency against value on
    log axes, on the matplotlib axes given (new ones by default). Returns the axes."""
    quantities = _QUANTITIES if quantity is None else (quantity,)
    if axes is None:
        import matplotlib.pyplot as plt

        axes = plt.subplots(1, len(quantities), figsize=(4 * len(quantities), 3.5), squeeze=False)[1][0]
    axes = np.atleast_1d(axes)
    for ax, name in zip(axes, quantities):
        d = self.distribution(name, window)
        seen = d["frequencies"] > 0
        if self.binning == "log":  # centres are decimal logarithms already
            ax.semilogy(d["centres"][seen], d["frequencies"][seen], ".")
            ax.set_xlabel(f"log10 {name}")
        else:
            ax.loglog(d["centres"][seen], d["frequencies"][seen], ".")
            ax.set_xlabel(name)
        ax.set_ylabel("frequency")
    return axes if quantity is None else axes[0]
