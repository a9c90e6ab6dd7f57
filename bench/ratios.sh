#!/usr/bin/env bash
# The speed and memory targets of the engine as ratios measured in one run:
#   bash bench/ratios.sh [BUILD_DIR]
# Static DFA against a plain loop (at most 1.2), dynamic DMA against a plain
# loop (at most 2), a files list of many short text series against a loop
# that only reads them and writes their charts (at most 1.5), first-order
# DMA of 2^20 samples against a plain loop (a figure), static DFA-1 and DMA of
# 10^7 samples on one thread against two (at least 1.7), a files list with --jobs 2 against --jobs 1 (at least 1.8,
# and the same files), text loading against a bare fast_float loop (at most
# 1.5), static DFA of orders 2 and 3 against order 1 (at most 1.5), the time of
# static DFA with a box at every start (at most 0.2 s) and of a dynamic DFA
# position (at most 1.5 us, with its ratio to a dynamic DMA position), the
# interval on H in wall time (at most 0.3 s at 2^16 and 5 s at 2^20) beside the
# analyses it holds, and the peak memory of a static DFA against the raw data
# (at most 3).
set -euo pipefail
build=${1:-build}
json=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$json" "$work"' EXIT

"$build/bench/fractan_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_filter='StaticDfa10M|DynamicDma10M|FilesList40|Threads10M|ShortFiles|FirstOrderDma20|LoadTextSeries|BareFastFloat|Dfa1M|DfaOrder1M|Interval|PlainAnalyses' \
  --benchmark_format=json > "$json"
python3 - "$json" <<'PY'
import json, os, sys
runs = {b["run_name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
def ratio(what, a, b, target):
    if a in runs and b in runs:
        print(f"{what}: {runs[a]:.0f} ms / {runs[b]:.0f} ms = {runs[a] / runs[b]:.2f} ({target})")
ratio("static DFA-1, 10^7 samples, 20 boxes, against a plain loop", "BM_StaticDfa10M", "BM_PlainStaticDfa10M", "at most 1.2")
ratio("dynamic DMA, 10^7 samples, K = 20, W = 1000, step 1, against a plain loop", "BM_DynamicDma10M", "BM_PlainDynamicDma10M", "at most 2")
ratio("files list of 40 series of 10^6 samples, --jobs 1 against --jobs 2", "BM_FilesList40/1/real_time", "BM_FilesList40/2/real_time", "at least 1.8")
for type, name in ((3, "static DFA-1"), (2, "static DMA")):
    ratio(f"{name} of 10^7 samples, 20 scales, 1 thread against 2", f"BM_Threads10M/{type}/1/real_time",
          f"BM_Threads10M/{type}/2/real_time", "at least 1.7")
ratio("first-order DMA, 2^20 samples, windows 4 ... 65536, against a plain loop", "BM_FirstOrderDma20",
      "BM_PlainFirstOrderDma20", "the loop over each whole window it replaced took 108-110 s")
if "BM_ShortFiles/real_time" in runs:
    ratio(f"files list of {os.environ.get('FRACTAN_SHORT_FILES', '10000')} text series of 10^3 samples, against a bare loop "
          "reading each and writing its chart", "BM_ShortFiles/real_time", "BM_BareShortFiles/real_time", "at most 1.5")
ratio("text file of 10^7 lines, loading against a bare fast_float loop", "BM_LoadTextSeries/-2147483648", "BM_BareFastFloat", "at most 1.5")
for order in (2, 3):
    ratio(f"static DFA-{order} against DFA-1, 10^6 samples, 20 boxes", f"BM_DfaOrder1M/{order}", "BM_DfaOrder1M/1", "at most 1.5")
if "BM_OverlapDfa1M" in runs:
    print(f"static DFA-1 with a box at every start, 10^6 samples, 20 boxes: {runs['BM_OverlapDfa1M'] / 1000:.3f} s (at most 0.2 s)")
if "BM_DynamicDfa1M" in runs and "BM_DynamicDma10M" in runs:
    dfa, dma = runs["BM_DynamicDfa1M"] / 1e6 * 1e3, runs["BM_DynamicDma10M"] / 1e7 * 1e3  # us a position
    print(f"dynamic DFA-1, W = 1000, step 1, 20 boxes: {dfa:.2f} us a position (at most 1.5), "
          f"{dfa / dma:.2f} times a dynamic DMA position ({dma:.2f} us)")
for k, most in ((16, 300), (20, 5000)):
    ratio(f"interval on H (B = 50, every core) of static DFA-1 of 2^{k} samples, against its 51 analyses on one core",
          f"BM_Interval/{k}/real_time", f"BM_PlainAnalyses/{k}/real_time", f"the interval at most {most} ms")
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
