"""Many series in one call of fractan.dfa against a Python loop of single calls.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_batch.py

10,000 random walks of 1,000 samples, the defaults (DFA-1, box sizes 4 ... 64),
on every core; the results of the two are checked equal.
"""
import os
import time

import numpy as np

import fractan

x = np.cumsum(np.random.default_rng(1).standard_normal((10_000, 1_000)), axis=1)


def best_of(runs, call):
    times = []
    for _ in range(runs):
        begun = time.perf_counter()
        value = call()
        times.append(time.perf_counter() - begun)
    return min(times), value


batch, many = best_of(3, lambda: fractan.dfa(x).hurst)
one_core, _ = best_of(3, lambda: fractan.dfa(x, jobs=1).hurst)
loop, single = best_of(1, lambda: np.array([fractan.dfa(row).hurst for row in x]))
assert np.array_equal(many, single)
print(f"fractan.dfa of {len(x):,} series of {x.shape[1]:,} samples in one call: {batch:.3f} s on "
      f"{os.cpu_count()} cores, {one_core:.3f} s on one; a Python loop of single calls {loop:.3f} s "
      f"({loop / batch:.1f}x the call)")
