#!/usr/bin/env bash
# The speed and memory targets of the engine as ratios measured in one run,
# in one table (method, size, ours, what it is measured against, ratio,
# threads, target):
#   bash bench/ratios.sh [BUILD_DIR]
# Every method, types 0 to 9, against a plain loop doing the same arithmetic
# (static at most 1.2, dynamic at most 2, first-order DMA of 2^20 samples a
# figure), with how far the plain loops' F or H lie from ours; a files list of
# many short text series against a loop that only reads them and writes their
# charts (at most 1.5), static DFA-1 and DMA of 10^7 samples on two threads
# against one (at least 1.7 times faster), dynamic DFA-1, shifted and smoothed
# DMA of 10^6 samples on two threads against one, a files list with --jobs 2
# against --jobs 1 (at least 1.8 times faster, and the same files), text loading
# against a bare fast_float loop (at most 1.5), static DFA of orders 2 and 3
# against order 1 (at most 1.5), the time of static DFA with a box at every
# start (at most 0.2 s) and of a dynamic DFA position (at most 1.5 us, with its
# ratio to a dynamic DMA position), the interval on H in wall time (at most 0.3
# s at 2^16 and 5 s at 2^20) beside the analyses it holds, the time of DCCA-1
# and DMCA of two series of 10^6 samples (at most 0.1 s), and the peak memory of
# a static DFA against the raw data (at most 3).
set -euo pipefail
build=${1:-build}
json=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$json" "$work"' EXIT

"$build/bench/fractan_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_filter='StaticDfa10M|DynamicDma10M|FilesList40|Threads10M|ShortFiles|FirstOrderDma20|LoadTextSeries|BareFastFloat|Dfa1M|DfaOrder1M|Interval|PlainAnalyses|Multifractal1M|MethodOurs|MethodPlain|DynamicThreads|CrossCorrelation1M' \
  --benchmark_format=json > "$json"
python3 - "$json" <<'PY'
import json, os, sys
medians = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"]
runs = {b["run_name"]: b["real_time"] for b in medians}
differs = {f'{b["run_name"].split("/")[1]} ({key[-1]})': b[key] for b in medians
           for key in ("differs in F", "differs in H") if key in b}
cores = os.cpu_count()
short = os.environ.get("FRACTAN_SHORT_FILES", "10000")
# method, size, ours, what it is measured against, that, threads, target on the ratio ours / against
def method(name, size, type, dynamic):
    return (name, size, f"BM_MethodOurs/{type}", "plain loop", f"BM_MethodPlain/{type}", 1,
            "at most 2" if dynamic else "at most 1.2")
static, dynamic = "10^7, K 20", "10^6, K 20, W 1000"
rows = [
    ("dynamic DMA (0)", "10^7, K 20, W 1000", "BM_DynamicDma10M", "plain loop", "BM_PlainDynamicDma10M", 1, "at most 2"),
    method("dynamic DFA-1 (1)", "10^6, 20 boxes, W 1000", 1, True),
    method("static DMA (2)", static, 2, False),
    ("static DFA-1 (3)", "10^7, 20 boxes", "BM_StaticDfa10M", "plain loop", "BM_PlainStaticDfa10M", 1, "at most 1.2"),
    method("static smoothed DMA (4)", static + ", w 10", 4, False),
    method("dynamic shifted DMA (5)", dynamic + ", theta 0.5", 5, True),
    method("static shifted DMA (6)", static + ", theta 0.5", 6, False),
    ("first-order DMA (7)", "2^20, n 4..65536", "BM_FirstOrderDma20", "plain loop", "BM_PlainFirstOrderDma20", 1,
     "O(m) loop: 108-110 s"),
    method("dynamic smoothed DMA (8)", dynamic + ", w 10", 8, True),
    method("smoothed DMA lambda (9)", static + ", w 10, lambda 0.5", 9, False),
    ("static DFA-1", "10^7, 20 boxes", "BM_Threads10M/3/2/real_time", "1 thread", "BM_Threads10M/3/1/real_time", 2,
     "at most 0.59"),
    ("static DMA", "10^7, 20 windows", "BM_Threads10M/2/2/real_time", "1 thread", "BM_Threads10M/2/1/real_time", 2,
     "at most 0.59"),
    ("dynamic DFA-1", "10^6, 20 boxes, W 1000", "BM_DynamicThreads/1/2/real_time", "1 thread",
     "BM_DynamicThreads/1/1/real_time", 2, "a figure"),
    ("dynamic shifted DMA", dynamic, "BM_DynamicThreads/5/2/real_time", "1 thread",
     "BM_DynamicThreads/5/1/real_time", 2, "a figure"),
    ("dynamic smoothed DMA", dynamic, "BM_DynamicThreads/8/2/real_time", "1 thread",
     "BM_DynamicThreads/8/1/real_time", 2, "a figure"),
    ("files list, static DFA-1", "40 x 10^6", "BM_FilesList40/2/real_time", "--jobs 1", "BM_FilesList40/1/real_time", 2,
     "at most 0.56"),
    ("files list, static DFA-1", f"{short} x 10^3 text", "BM_ShortFiles/real_time", "read+chart loop",
     "BM_BareShortFiles/real_time", 1, "at most 1.5"),
    ("text loading", "10^7 lines", "BM_LoadTextSeries/-2147483648", "bare fast_float", "BM_BareFastFloat", 1,
     "at most 1.5"),
    ("static DFA-2", "10^6, 20 boxes", "BM_DfaOrder1M/2", "DFA-1", "BM_DfaOrder1M/1", 1, "at most 1.5"),
    ("static DFA-3", "10^6, 20 boxes", "BM_DfaOrder1M/3", "DFA-1", "BM_DfaOrder1M/1", 1, "at most 1.5"),
    ("interval on H, B 50", "2^16", "BM_Interval/16/real_time", "51 analyses", "BM_PlainAnalyses/16/real_time", cores,
     "ours at most 300 ms"),
    ("interval on H, B 50", "2^20", "BM_Interval/20/real_time", "51 analyses", "BM_PlainAnalyses/20/real_time", cores,
     "ours at most 5000 ms"),
]
print(f"{'method':<26}{'size':<30}{'ours ms':>9}  {'against':<16}{'ms':>9}{'ratio':>7}{'threads':>8}  target")
for method, size, ours, label, plain, threads, target in rows:
    if ours in runs and plain in runs:
        print(f"{method:<26}{size:<30}{runs[ours]:>9.0f}  {label:<16}{runs[plain]:>9.0f}"
              f"{runs[ours] / runs[plain]:>7.2f}{threads:>8}  {target}")
if differs:
    print("plain loops against ours, largest difference in F (relative) or H: " +
          ", ".join(f"type {t} {d:.1g}" for t, d in sorted(differs.items())))
if "BM_OverlapDfa1M" in runs:
    print(f"static DFA-1 with a box at every start, 10^6 samples, 20 boxes: {runs['BM_OverlapDfa1M'] / 1000:.3f} s (at most 0.2 s)")
for arg, name in ((0, "MF-DFA-1"), (1, "backward MF-DMA")):
    if f"BM_Multifractal1M/{arg}" in runs:
        print(f"{name}, 21 q, 20 scales, 10^6 samples, one core: {runs[f'BM_Multifractal1M/{arg}'] / 1000:.3f} s (at most 0.2 s)")
for arg, name in ((0, "DCCA-1"), (1, "backward DMCA")):
    if f"BM_CrossCorrelation1M/{arg}" in runs:
        print(f"{name} with rho, two series of 10^6 samples, 20 scales, one core: "
              f"{runs[f'BM_CrossCorrelation1M/{arg}'] / 1000:.3f} s (at most 0.1 s)")
if "BM_DynamicDfa1M" in runs and "BM_DynamicDma10M" in runs:
    dfa, dma = runs["BM_DynamicDfa1M"] / 1e6 * 1e3, runs["BM_DynamicDma10M"] / 1e7 * 1e3  # us a position
    print(f"dynamic DFA-1, W = 1000, step 1, 20 boxes: {dfa:.2f} us a position (at most 1.5), "
          f"{dfa / dma:.2f} times a dynamic DMA position ({dma:.2f} us)")
PY

# The same files whatever the number of jobs: a list of twelve series with a
# repeated name and an unreadable file.
mkdir "$work/a" "$work/b" "$work/in" "$work/in/x"
for i in $(seq 1 11); do "$build/bench/make_walk" $((20000 + 1000 * i)) "$work/in/s$i.dat"; done
cp "$work/in/s1.dat" "$work/in/x/s1.dat"
{ for i in $(seq 1 11); do echo "$work/in/s$i.dat"; done; echo "$work/in/x/s1.dat"; echo "$work/in/none.dat"; } > "$work/list.txt"
for jobs in 1 2; do
  dir=$([ "$jobs" = 1 ] && echo a || echo b)
  "$build/fractan" dfa "$work/list.txt" --mode multi -n 20000 --jobs $jobs -o "$work/$dir" --test-name j > "$work/$dir.log" 2>&1 || true
  "$build/fractan" dma "$work/list.txt" --mode multi -n 20000 -t 0 -w 2000 --jobs $jobs -o "$work/$dir" --test-name j >> "$work/$dir.log" 2>&1 || true
done
sed -i "s|$work/a|OUT|g" "$work/a.log"
sed -i "s|$work/b|OUT|g" "$work/b.log"
if diff -r "$work/a" "$work/b" > /dev/null && cmp -s "$work/a.log" "$work/b.log"; then
  echo "--jobs 2 wrote the same files and printed the same lines as --jobs 1 ($(ls "$work/a" | wc -l) files)"
else
  echo "--jobs 2 and --jobs 1 differ:"; diff -r "$work/a" "$work/b" | head -5; diff "$work/a.log" "$work/b.log" | head -5
fi

# Peak memory of the static DFA against the 80 MB of raw data.
"$build/bench/make_walk" 10000000 "$work/walk.dat"
{ echo 20; python3 -c 'print("\n".join(str(round(10 * (10**5) ** (k / 19))) for k in range(20)))'; } > "$work/boxes.txt"
/usr/bin/time -o "$work/time.txt" -f "%M" "$build/fractan" dfa "$work/walk.dat" -p custom --custom-file "$work/boxes.txt" \
  -o "$work" --test-name mem --jobs 1 > /dev/null
awk '{ printf "static DFA-1 of 10^7 samples: peak resident memory %.0f MB = %.2f times the 80 MB of data (at most 3)\n", $1 / 1024, $1 * 1024 / 80e6 }' "$work/time.txt"
