"""fractan.dfa against a plain vectorised numpy DFA on the same series and box
sizes, and many series in one call against a Python loop of single calls.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_dfa.py
"""
import os
import time

import numpy as np

import fractan


def numpy_dfa(x, sizes):
    """DFA-1 over the last len(x) - 1 samples: the boxes of each size tile them from the end backwards."""
    y = x[1:]
    logs = []
    for n in sizes:
        count = len(y) // n
        boxes = y[len(y) - count * n:].reshape(count, n)
        u = np.arange(n, dtype=float)
        slope, intercept = np.polynomial.polynomial.polyfit(u, boxes.T, 1)[::-1]
        residual = boxes - (np.outer(slope, u) + intercept[:, None])
        logs.append(np.log10(np.sqrt(np.mean(residual ** 2))))
    return np.polyfit(np.log10(sizes), logs, 1)[0]


def best_of(runs, call):
    times = []
    for _ in range(runs):
        begun = time.perf_counter()
        value = call()
        times.append(time.perf_counter() - begun)
    return min(times), value


for n in (10**6, 10**7):
    x = np.cumsum(np.random.default_rng(1).standard_normal(n))
    sizes = fractan.geometric(16, n // 16, 2)
    engine, h = best_of(3, lambda: fractan.dfa(x, scales=sizes).hurst)
    plain, h_numpy = best_of(3, lambda: numpy_dfa(x, sizes))
    print(f"DFA-1 of {n:.0e} samples, {len(sizes)} box sizes: fractan.dfa {engine * 1e3:.0f} ms (H {h:.6f}), "
          f"numpy {plain * 1e3:.0f} ms (H {h_numpy:.6f}): numpy / fractan = {plain / engine:.1f}")

# 10,000 random walks of 1,000 samples, the defaults (DFA-1, box sizes 4 ... 64), on every core.
x = np.cumsum(np.random.default_rng(1).standard_normal((10_000, 1_000)), axis=1)
batch, many = best_of(3, lambda: fractan.dfa(x).hurst)
one_core, _ = best_of(3, lambda: fractan.dfa(x, jobs=1).hurst)
loop, single = best_of(1, lambda: np.array([fractan.dfa(row).hurst for row in x]))
assert np.array_equal(many, single)
print(f"fractan.dfa of {len(x):,} series of {x.shape[1]:,} samples in one call: {batch:.3f} s on "
      f"{os.cpu_count()} cores, {one_core:.3f} s on one; a Python loop of single calls {loop:.3f} s "
      f"({loop / batch:.1f}x the call)")
