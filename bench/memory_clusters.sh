#!/usr/bin/env bash
# Peak memory of a cluster run over a 10-million-sample binary series with ten
# moving-average windows, global and per-window sets: the series and one
# moving average (16 bytes a sample) plus 32 bytes a cluster in the list and,
# while the sets are written, 8 bytes a cluster for each of the four quantities.
#   bash bench/memory_clusters.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_walk" 10000000 "$work/walk.dat"
for windows in "10 10 100" "100 100 1000"; do
  set -- $windows
  echo "windows $1, $((2 * $1)), ... $3:"
  /usr/bin/time -o "$work/time.txt" -f "peak resident memory: %M KiB, elapsed: %e s" \
    "$build/fractan" clusters "$work/walk.dat" --per-window -p linear --start $1 --step $2 --end $3 \
    -o "$work" --test-name mem > "$work/log.txt"
  grep "Clusters found" "$work/log.txt"
  cat "$work/time.txt"
done
