"""The Python module against the fractan command on the same series."""
import os
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import fractan

try:
    import pandas
except ImportError:  # an optional input
    pandas = None

FRACTAN = os.environ["FRACTAN"]


def walk(n, seed):
    return np.cumsum(np.random.default_rng(seed).standard_normal(n))


def command(args, folder):
    subprocess.run([FRACTAN, *args, "-o", str(folder), "--test-name", "t", "--jobs", "1"],
                   check=True, capture_output=True)


def only(folder, tail):
    [path] = [p for p in folder.iterdir() if p.name.endswith(tail)]
    return [line.split("\t") for line in path.read_text().splitlines()]


# The module's settings and the command's options that give them.
OPTIONS = {"window": "-w", "step": "--dynamic-step", "weight": "--weight", "shift": "--shift", "order": "--order",
           "lambda_": "--lambda", "boxes": "--boxes"}
# Every computation type with the settings it reads. Linear scales 8 … 40, step 8.
CASES = [(0, "dma", dict(window=500, step=37)), (1, "dfa", dict(window=500, step=37)), (2, "dma", dict(window=1800)),
         (3, "dfa", dict(order=0)), (4, "dma", dict(window=1800, weight=3)),
         (5, "dma", dict(window=500, shift=0.5, step=37)), (6, "dma", dict(window=1800, shift=0.5)),
         (7, "dma", dict(window=1800)), (8, "dma", dict(window=500, weight=3, step=37)),
         (9, "dma", dict(window=1800, weight=2, lambda_=0.3)), (3, "dfa", dict(order=3, boxes="both")),
         (1, "dfa", dict(window=500, step=5, order=2, boxes="overlap:0.5"))]


def polyfit_dfa(x, n, order, boxes):
    """F(n) of static DFA from numpy.polyfit in each box of the last len(x) - 1 samples."""
    y, t = x[1:], np.arange(n)
    firsts = [len(y) - (i + 1) * n for i in range(len(y) // n)] + (
        [i * n for i in range(len(y) // n)] if boxes == "both" else [])
    return np.sqrt(np.mean([np.mean((y[f:f + n] - np.polyval(np.polyfit(t, y[f:f + n], order), t)) ** 2)
                            for f in firsts]))


@pytest.mark.parametrize("type_, family, settings", CASES)
def test_every_type_gives_the_numbers_of_the_command(tmp_path, type_, family, settings):
    x = walk(2000, type_)
    x.tofile(tmp_path / "s.dat")
    options = [word for name, value in settings.items() for word in (OPTIONS[name], str(value))]
    command([family, str(tmp_path / "s.dat"), "-t", str(type_), "-p", "linear", "--start", "8", "--step", "8",
             "--end", "40", *options], tmp_path)
    r = getattr(fractan, family)(x, type=type_, scales=fractan.linear(8, 40, 8), **settings)
    if r.positions is not None:
        lines = only(tmp_path, ".inc.txt")
        assert [int(line[3]) for line in lines] == list(r.positions)
        assert [line[4] for line in lines] == ["%g" % h for h in r.hurst]
    else:
        assert only(tmp_path, ".out.txt")[0][4] == "%g" % r.hurst
        assert [line[1] for line in only(tmp_path, ".chart.txt")] == ["%.9f" % f for f in r.fluctuation]
        slope, cov = np.polyfit(np.log10(r.scales), np.log10(r.fluctuation), 1, cov=True)
        assert r.hurst_error == pytest.approx(np.sqrt(cov[0][0]), rel=1e-9)
        if family == "dfa":
            assert r.fluctuation == pytest.approx([polyfit_dfa(x, n, settings.get("order", 1), settings.get("boxes"))
                                                   for n in r.scales], rel=1e-10)


def as_file(d):
    """A distribution as the command writes its file."""
    return ("Size:\t%d\tStep:\t%g\nMin:\t%g\tMax:\t%g\nMu:\t%g\tSigma:\t%g\nSkewness:\t%g\tCurtosis:\t%g\n" % (
        len(d["centres"]), d["step"], d["min"], d["max"], d["mu"], d["sigma"], d["skewness"], d["kurtosis"]) +
        "".join("%g\t%.15f\n" % point for point in zip(d["centres"], d["frequencies"])))


def test_clusters_series_and_local_slope_give_the_files_of_the_command(tmp_path):
    x = walk(3000, 11)
    x.tofile(tmp_path / "s.dat")
    for average in ("standard", "extended"):
        command(["clusters", str(tmp_path / "s.dat"), "-p", "linear", "--start", "10", "--step", "10", "--end", "30",
                 "--average", average, "--per-window"], tmp_path)
        r = fractan.clusters(x, [10, 20, 30], average=average, per_window=True)
        for window, quantity in [(None, "area"), (None, "lifetime"), (20, "diameter"), (10, "length")]:
            name = "t.s.Out.Lin.%s.r%s.txt" % (window or "All", quantity.capitalize())
            assert (tmp_path / name).read_text() == as_file(r.distribution(quantity, window)), name
    assert len(fractan.clusters(x + 2e5, [10]).clusters) == 0  # every sample bad: a constant series
    assert len(fractan.clusters(x + 2e5, [10], bad_above=1e6).clusters) > 0

    subprocess.run([FRACTAN, "generate", "--levels", "10", "--hurst-start", "0.7", "--hurst-end", "0.7",
                    "--seed", "5", "--kind", "binary", "-o", str(tmp_path)], check=True, capture_output=True)
    generated = np.fromfile(next(tmp_path.glob("Artificial_H=0.7-1.dat")))
    assert np.array_equal(fractan.generate_rmd(10, 0.7, seed=5), generated)
    subprocess.run([FRACTAN, "generate", "--method", "fft", "--levels", "10", "--hurst-start", "0.3",
                    "--hurst-end", "0.3", "--seed", "5", "--kind", "binary", "-o", str(tmp_path)], check=True,
                   capture_output=True)
    spectral = np.fromfile(next(tmp_path.glob("Artificial_H=0.3-1.dat")))
    assert np.array_equal(fractan.generate_fft(10, 0.3, seed=5), spectral)

    r = fractan.dfa(generated)
    chart = tmp_path / "chart.txt"
    chart.write_text("".join("%d\t%.17g\n" % (n, f) for n, f in zip(r.scales, r.fluctuation)))
    subprocess.run([FRACTAN, "localslope", str(chart), "--width", "1", "--delta", "0.2"], check=True,
                   capture_output=True)
    centres, slopes = fractan.local_slope(r.scales, r.fluctuation, 1.0, 0.2)
    written = [line.split("\t") for line in (tmp_path / "chart.txt.localslope.txt").read_text().splitlines()]
    assert written == [["%g" % c, "%g" % s] for c, s in zip(centres, slopes)]


def test_many_series_give_one_call_each():
    x = np.stack([walk(600, seed) for seed in range(4)])
    inputs = [x, [x[0], x[1][:300], list(x[2])]] + ([pandas.DataFrame(x.T, columns=list("abcd"))] if pandas else [])
    for many in inputs:
        rows = [np.asarray(row) for row in (many.T.to_numpy() if hasattr(many, "columns") else many)]
        for call, settings in [(fractan.dfa, {}), (fractan.dma, dict(type=0, window=200, step=50, jobs=1))]:
            results = call(many, **settings)
            singles = [call(row, **settings) for row in rows]
            assert len(results) == len(rows)
            for i, one in enumerate(singles):
                got = results[results.names[i] if results.names else i]
                assert np.array_equal(got.hurst, one.hurst) and np.array_equal(got.scales, one.scales)
            if one.positions is None:
                assert list(results.hurst) == [one.hurst for one in singles]
                stacked = results.fluctuation if len(set(map(len, rows))) == 1 else np.concatenate(results.fluctuation)
                assert np.array_equal(np.ravel(stacked), np.concatenate([one.fluctuation for one in singles]))


def test_stubs_name_every_function_and_argument():
    import ast
    stub = ast.parse(open(os.path.join(os.path.dirname(fractan.__file__), "__init__.pyi")).read())
    declared = {f.name: [a.arg for a in f.args.args] for f in stub.body if isinstance(f, ast.FunctionDef)}
    assert set(declared) == {name for name in fractan.__all__ if name[0].islower()}
    for name, arguments in declared.items():
        line = getattr(fractan, name).__doc__.splitlines()[0]
        assert [part.split(":")[0].strip() for part in line[line.find("(") + 1:line.rfind(") ->")].split(", ")] == arguments


def test_plots_import_matplotlib_only_when_asked():
    code = "import sys, fractan; assert 'matplotlib' not in sys.modules"
    subprocess.run([sys.executable, "-c", code], check=True, env=dict(os.environ, MPLBACKEND="Agg"))
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    x = walk(3000, 2)
    r = fractan.dfa(x)
    ax = r.plot()
    assert np.array_equal(ax.lines[0].get_ydata(), r.fluctuation) and "H = %.3f" % r.hurst in ax.get_legend().texts[1].get_text()
    assert np.array_equal(fractan.dfa(x, type=1, window=1000, step=100).plot().lines[0].get_xdata(),
                          fractan.dfa(x, type=1, window=1000, step=100).positions)
    assert len(fractan.clusters(x, [10, 20]).plot()) == 4
    c = fractan.dcca(x, np.cos(x), window=1000, step=500)
    assert np.array_equal(c.plot().lines[2].get_ydata(), c.rho[:, 2])


def refusal_rows():
    with open(os.path.join(os.path.dirname(__file__), "..", "refusals.tsv")) as table:
        return [line.rstrip("\n").split("\t") for line in table if line.strip() and not line.startswith("#")]


@pytest.mark.parametrize("row", refusal_rows())
def test_refuses_what_every_front_end_refuses(row):
    family, type_, samples, window, start, step, end, weight, shift, order, dynamic_step, boxes, reason = row
    x = walk(int(samples), 1)
    common = dict(type=int(type_), window=int(window), scales=list(range(int(start), int(end) + 1, int(step))),
                  step=int(dynamic_step))
    with pytest.raises(ValueError) as refused:
        if family == "dfa":
            fractan.dfa(x, order=int(order), boxes=boxes, **common)
        else:
            fractan.dma(x, weight=int(weight), shift=float(shift), **common)
    assert str(refused.value) == reason


def test_arguments(tmp_path):
    x = walk(4000, 3)
    # A fit over part of the scales is numpy's line through those points; over all of them, H.
    r = fractan.dfa(x)
    part = r.fit(16, 256)
    keep = (r.scales >= 16) & (r.scales <= 256)
    assert list(part.scales) == list(r.scales[keep]) and r.fit().hurst == r.hurst
    assert fractan.dfa(x, type=1, window=2000, step=500).intercept is None
    assert (part.hurst, part.intercept) == pytest.approx(np.polyfit(np.log10(part.scales), np.log10(r.fluctuation[keep]), 1), rel=1e-9)
    # A seeded interval repeats, and a fit over every scale has the result's own.
    r = fractan.dfa(x, ci=0.95, bootstrap=20, seed=3)
    assert r.hurst_ci[0] < r.hurst < r.hurst_ci[1]
    assert r.hurst_ci == fractan.dfa(x, ci=0.95, bootstrap=20, seed=3).hurst_ci == r.fit().hurst_ci
    # A table with a header line, and numpy's own files, read as they come.
    (tmp_path / "t.csv").write_text("day,price\n" + "".join("%d,%r\n" % (i, v) for i, v in enumerate(x[:50])))
    np.save(tmp_path / "x.npy", x)
    assert np.array_equal(fractan.load(str(tmp_path / "t.csv"), column="price"), x[:50])
    assert np.array_equal(fractan.load(str(tmp_path / "x.npy")), x)
    # Any numeric dtype, any stride, a list: the same numbers.
    whole = fractan.dfa(np.round(x * 100).astype(np.int64))
    assert fractan.dfa(list(np.round(x * 100))).hurst == whole.hurst
    strided = np.repeat(x, 2)[::2]
    assert not strided.flags["C_CONTIGUOUS"]
    assert fractan.dma(strided).hurst == fractan.dma(x).hurst
    for call, error, said in [
        (lambda: fractan.geometric(4, 64, 1), ValueError, "a geometric progression needs a step of 2 or more"),
        (lambda: fractan.dfa(["1", "2", "3"]), TypeError, "x must be a one-dimensional array of numbers"),
        (lambda: fractan.dfa(np.zeros((2, 2, 10))), TypeError, "^x must be one series .1-D., or one series a row .2-D.$"),
        (lambda: fractan.dfa([x, x[:40]]), ValueError, "^x.1.: .*give scales for a series this short"),
        (lambda: fractan.dfa(x, jobs=-1), ValueError, "^jobs must be 0"),
        (lambda: fractan.dma(x, ci=1.5), ValueError, "^The interval's level is 1.5; it must lie between 0 and 1"),
        # What the extension would answer with its signatures and the array: one line.
        (lambda: fractan.dfa(x, foo=1), TypeError, "^dfa.. has no argument 'foo'; it takes x, type, order"),
        (lambda: fractan.geometric(4, "64"), TypeError, "^end must be a whole number, not str$"),
        (lambda: fractan.clusters(x, [4], step="1"), TypeError, "^step must be a number, not str$"),
        # The command's refusals, in its words, with the default scales' own hint.
        (lambda: fractan.dma(x[:40]), ValueError, "gives 1 scale.*give scales for a series this short"),
        # Arguments the engine cannot take as they are: one line naming them.
        (lambda: fractan.dfa(x, scales=[8, 16.5]), ValueError, "^scales.1. must be a whole number .* it is 16.5$"),
        (lambda: fractan.dfa(x, scales=["8", "16"]), TypeError, "^scales must be a one-dimensional array of whole numbers$"),
        (lambda: fractan.dma(x, window=1000.7), ValueError, "^window must be a whole number .* it is 1000.7"),
        (lambda: fractan.dfa(x, [8, 16]), TypeError, "^type must be a whole number, not list .give arrays by name"),
        (lambda: fractan.load(str(tmp_path / "t.csv"), column="volume"), ValueError, 'no column named "volume"'),
        (lambda: fractan.clusters(x[:2], [4]), ValueError, "^There are 2 samples; a cluster needs at least 3.$"),
        (lambda: fractan.dcca(x, x[:-1]), ValueError, "^The two series differ in length: the first has 4000 samples, the second 3999"),
        (lambda: fractan.dmca(x, x, scales=[4, 8], window=4000, step=7), ValueError, "^No window of 4000 samples ends"),
    ]:
        with pytest.raises(error, match=said):
            call()
    # Series far from 1 give the H of the same series near 1; no F, no H: why, as a warning.
    assert fractan.dma(x * 2.0**-1040).hurst == pytest.approx(fractan.dma(x).hurst, rel=1e-9)
    assert fractan.dfa(x * 2.0**1000).fluctuation[0] == fractan.dfa(x).fluctuation[0] * 2.0**1000
    assert fractan.mfdfa(x * 2.0**1000).fluctuation == pytest.approx(fractan.mfdfa(x).fluctuation * 2.0**1000, rel=1e-12)
    assert fractan.mfdma(x * 2.0**-1040).h == pytest.approx(fractan.mfdma(x).h, rel=1e-9)
    with pytest.warns(RuntimeWarning, match="F.8. is 0: the samples do not deviate at that scale"):
        fractan.dfa(np.ones(100), scales=[8, 16, 32])
    with pytest.warns(UserWarning, match="H rests on two points"):
        fractan.dfa(x, scales=[8, 16])
    for noise in (np.diff(x), np.diff(fractan.generate_fft(14, 0.8, seed=1))):  # returns; noise of H 0.8
        with pytest.warns(UserWarning, match="look like increments .* pass integrate=True"):
            fractan.dma(noise)
    nan = x.copy()
    nan[123] = np.nan
    with pytest.raises(ValueError, match="sample 123 .counted from 0. of x is not a finite number"):
        fractan.dfa(nan)
    with pytest.raises(ValueError, match="outside"):
        fractan.generate_rmd(5, 1.5)

    # Two series: rho of the command's file.
    x.tofile(tmp_path / "x.dat")
    np.cos(x).tofile(tmp_path / "y.dat")
    subprocess.run([FRACTAN, "xcorr", str(tmp_path / "x.dat"), str(tmp_path / "y.dat"), "--method", "dmca", "--theta",
                    "0.5", "--scales", "8,64"], check=True, capture_output=True)
    assert np.loadtxt(tmp_path / "x.dat.y.dat.dmca.txt")[:, 4] == pytest.approx(
        fractan.dmca(x, np.cos(x), scales=[8, 64], theta=0.5).rho, rel=1e-9)

    config = tmp_path / "c.txt"
    x.tofile(tmp_path / "s.dat")
    command(["dfa", str(tmp_path / "s.dat"), "-p", "linear", "--start", "8", "--step", "8", "--end", "64",
             "--save-config", str(config), "--no-run"], tmp_path)
    summary = fractan.run_config(str(config), jobs=2)
    assert summary["analysed"] == [str(tmp_path / "s.dat")]
    assert os.path.exists(summary["result_file"])


def test_ctrl_c_stops_a_long_call():
    # Python's own handler, also when the shell that started the tests ignores SIGINT (a job in the background).
    signal.signal(signal.SIGINT, signal.default_int_handler)
    x = walk(2_000_000, 5)
    timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    begun = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        fractan.dfa(x, type=1, window=100_000, step=1)
    assert time.monotonic() - begun < 5
