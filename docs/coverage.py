#!/usr/bin/env python3
"""How often the interval on H (ci=0.95) covers the true H: remakes the coverage part of
docs/accuracy.md (from its heading to the next of docs/sections.py).

    make python
    PYTHONPATH=build/python /usr/bin/python3 docs/coverage.py [--series 200] [--levels 10 12 16]

For every estimator, H and length N = 2^k + 1, it asks for the interval (B = 50 bootstrap
series) on --series exact fractional Brownian motions (fractan.generate_fft, seeds 1, 2, ...),
the scales of docs/accuracy.py (8, 16, ... up to N/16), and counts the intervals that hold H.
Each cell is kept in docs/coverage.json as soon as it is done, and the tables are written from
every cell kept there: --estimators (their names' starts) and --levels remake some cells only.
"""
import argparse
import json
import os
import time

import warnings

import numpy as np

import fractan
import sections

ESTIMATORS = [
    ("static DMA (type 2)", fractan.dma, dict(type=2)),
    ("centred DMA (type 6, θ = 0.5)", fractan.dma, dict(type=6, shift=0.5)),
    ("first-order DMA (type 7)", fractan.dma, dict(type=7)),
    ("smoothed DMA (type 4, w = 2)", fractan.dma, dict(type=4, weight=2)),
    ("DFA-0 (type 3, order 0)", fractan.dfa, dict(type=3, order=0)),
    ("DFA-1 (type 3, order 1)", fractan.dfa, dict(type=3, order=1)),
    ("DFA-2 (type 3, order 2)", fractan.dfa, dict(type=3, order=2)),
    ("DFA-3 (type 3, order 3)", fractan.dfa, dict(type=3, order=3)),
]
HURSTS = [0.2, 0.3, 0.5, 0.7, 0.8, 0.9]
HEADING = "## How often the interval holds H"


def cell(levels, hurst, count, analyse, settings):
    """(share of intervals holding H, share with no interval, mean width) over `count` series."""
    x = np.stack([fractan.generate_fft(levels, hurst, seed=i + 1) for i in range(count)])
    r = analyse(x, scales=fractan.geometric(8, 2**levels // 16, 2), ci=0.95, seed=levels * 100 + int(hurst * 10),
                **settings)
    low, high = r.hurst_ci[:, 0], r.hurst_ci[:, 1]
    given = ~np.isnan(low)
    held = given & (low <= hurst) & (hurst <= high)
    return [float(held.sum() / max(given.sum(), 1)), float(1 - given.mean()), float(np.mean(high[given] - low[given]))]


def intro(count):
    return [
        HEADING,
        "",
        "`ci=0.95` (`--ci`) gives an interval on H by parametric bootstrap (see docs/methods.md): the share of",
        "intervals that hold the true H should be 95 %%. Each cell: %d exact series, the scales above, B = 50;" % count,
        "the share of intervals that hold H, then their mean half-width (and the share of series given none:",
        "Ĥ outside 0.05 … 0.98); —: not run yet. Remade by (about 70 minutes on an idle 2-core machine;",
        "`--estimators` and `--levels` remake some cells, the others kept in docs/coverage.json):",
        "",
        "```",
        "PYTHONPATH=build/python /usr/bin/python3 docs/coverage.py",
        "```",
        "",
    ]


def table(name, cells, levels):
    lines = ["### " + name, "", "| H |" + "".join(" N = 2^%d |" % k for k in levels), "|---|" + "---|" * len(levels)]
    for h in HURSTS:
        row = "| %.1f |" % h
        for k in levels:
            if "%s|%.1f|%d" % (name, h, k) not in cells:
                row += " — |"
                continue
            held, none, width = cells["%s|%.1f|%d" % (name, h, k)]
            row += " %.1f %%, ±%.3f%s |" % (100 * held, width / 2, " (%.0f %% none)" % (100 * none) if none else "")
        lines.append(row)
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--series", type=int, default=200, help="series for each estimator, H and N")
    parser.add_argument("--levels", type=int, nargs="+", default=[10, 12, 16], help="N = 2^k + 1 for each k")
    parser.add_argument("--estimators", nargs="+", help="the starts of the names of the estimators to run")
    parser.add_argument("--output", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "accuracy.md"))
    args = parser.parse_args()
    warnings.simplefilter("ignore")  # no interval, or values like increments, are counted in the table
    chosen = ESTIMATORS if not args.estimators else [e for s in args.estimators for e in ESTIMATORS if e[0].startswith(s)]
    kept_cells = os.path.join(os.path.dirname(args.output), "coverage.json")
    cells = json.load(open(kept_cells)) if os.path.exists(kept_cells) else {}
    start = time.time()
    for k in args.levels:
        for name, analyse, settings in chosen:
            for h in HURSTS:
                cells["%s|%.1f|%d" % (name, h, k)] = cell(k, h, args.series, analyse, settings)
                with open(kept_cells, "w") as out:
                    json.dump(cells, out, indent=0, sort_keys=True)
                print("%s H=%.1f N=2^%d: %.1f %% (%.0f s)" % (name, h, k, 100 * cells["%s|%.1f|%d" % (name, h, k)][0],
                                                            time.time() - start), flush=True)
    levels = sorted({int(key.split("|")[2]) for key in cells})
    body = [table(name, cells, levels) for name, _, _ in ESTIMATORS if any(key.startswith(name + "|") for key in cells)]
    sections.write(args.output, HEADING, "\n".join(intro(args.series)) + "\n" + "\n".join(body))
    print("written: " + args.output)


if __name__ == "__main__":
    main()
