#!/usr/bin/env bash
# Peak memory of the dynamic variants over a 10-million-sample binary series
# with K = 20 window sizes and W = 1000: DMA keeps only the last W + 1
# snapshots; DFA keeps the series and its three prefix sums (32 bytes a sample).
#   bash bench/memory_dynamic.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_walk" 10000000 "$work/walk.dat"
# Linear 100, 200, … 2000: K = 20, M = 2000.
/usr/bin/time -f "peak resident memory: %M KiB, elapsed: %e s" \
  "$build/fractan" dma "$work/walk.dat" --type 0 --window 1000 --progression linear \
  --start 100 --step 100 --end 2000 --dynamic-step 1000 -o "$work" --test-name mem > "$work/log.txt"
echo "incremental lines: $(wc -l < "$work/mem.Dynamic DMA (0).out.walk.inc.txt")"
for type in 5 8; do
  echo "type $type:"
  /usr/bin/time -f "peak resident memory: %M KiB, elapsed: %e s" \
    "$build/fractan" dma "$work/walk.dat" --type $type --weight 50 --shift 0.5 --window 1000 \
    --progression linear --start 100 --step 100 --end 2000 --dynamic-step 1000 -o "$work" \
    --test-name mem > "$work/log.txt"
done
echo "type 1 (boxes 50, 100, ... 1000):"
/usr/bin/time -f "peak resident memory: %M KiB, elapsed: %e s" \
  "$build/fractan" dfa "$work/walk.dat" --type 1 --order 1 --window 1000 --progression linear \
  --start 50 --step 50 --end 1000 --dynamic-step 1000 -o "$work" --test-name mem > "$work/log.txt"
