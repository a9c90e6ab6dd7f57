#!/usr/bin/env bash
# The cost of spreading a files list over processes: 40 series of 10^6 samples
# by static DFA-1 (256 box sizes), two processes of mpirun with one job each against one
# process with two jobs (the overhead at most 10 %), and the same files.
#   bash bench/mpi_spread.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v mpirun > /dev/null || { echo "mpirun is not installed: nothing measured"; exit 0; }

for i in $(seq 1 40); do "$build/bench/make_walk" 1000000 "$work/s$i.dat"; done
ls "$work"/s*.dat > "$work/list.txt"
mkdir "$work/one" "$work/two"
analyse() {  # folder, jobs, then the launcher's words
  local out=$1 jobs=$2
  shift 2
  "$@" "$build/fractan" dfa "$work/list.txt" --mode multi -p linear --start 16 --step 16 --end 4096 \
      --jobs "$jobs" -o "$out" --test-name t > /dev/null
}
seconds() { local t0; t0=$(date +%s.%N); "$@" > /dev/null; echo "$(date +%s.%N) - $t0" | bc; }
median() { sort -n | sed -n 2p; }
jobs=$(for _ in 1 2 3; do seconds analyse "$work/one" 2; done | median)
spread=$(for _ in 1 2 3; do seconds analyse "$work/two" 1 mpirun -q --oversubscribe --allow-run-as-root -n 2; done | median)
startup=$(for _ in 1 2 3; do seconds mpirun -q --oversubscribe --allow-run-as-root -n 2 "$build/fractan" countlines \
    "$work/list.txt"; done | median)
printf "40 series of 10^6 samples, static DFA-1: mpirun -n 2 (one job each) %.2f s against --jobs 2 %.2f s = %.3f (at most 1.10)\n" \
    "$spread" "$jobs" "$(echo "$spread / $jobs" | bc -l)"
printf "the same less the %.2f s that mpirun takes to start two processes and end them: %.3f\n" \
    "$startup" "$(echo "($spread - $startup) / $jobs" | bc -l)"
diff -r "$work/one" "$work/two" > /dev/null && echo "the same files ($(ls "$work/one" | wc -l))" \
    || echo "the files differ: $(diff -rq "$work/one" "$work/two" | head -3)"
