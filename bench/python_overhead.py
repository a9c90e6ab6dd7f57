"""The fixed cost of a call of fractan.dfa, over that of its computation.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_overhead.py

A call on 64 samples is nearly all fixed cost; on 1,000 and 10,000 samples the
computation grows with the length, so the fixed cost is what a straight line
through the two times gives at length 0.
"""
import time

import numpy as np

import fractan


def per_call(call, calls):
    """The least time of one call, over five rounds of `calls` calls."""
    best = float("inf")
    for _ in range(5):
        begun = time.perf_counter()
        for _ in range(calls):
            call()
        best = min(best, (time.perf_counter() - begun) / calls)
    return best


def dfa_time(n, scales, calls):
    x = np.cumsum(np.random.default_rng(1).standard_normal(n))
    return per_call(lambda: fractan.dfa(x, scales=scales), calls)


scales = fractan.geometric(4, 16)
tiny = dfa_time(64, scales, 20_000)
t1, t10 = dfa_time(1_000, scales, 10_000), dfa_time(10_000, scales, 2_000)
fixed = t1 - (t10 - t1) / 9
print(f"fractan.dfa, scales 4 8 16: 64 samples {tiny * 1e6:.1f} us a call; 1,000 samples {t1 * 1e6:.1f} us, "
      f"10,000 samples {t10 * 1e6:.1f} us: fixed cost {fixed * 1e6:.1f} us, "
      f"{fixed / t1:.0%} of the call on 1,000 samples")
