#!/usr/bin/env bash
# Runs every fuzz target for a while, each on a seed corpus written by the
# project's own writers and the inputs that once broke a reader:
#   bash fuzz/run.sh BUILD_DIR FUZZ_DIR SECONDS
# A crash, a hang (over 10 s an input), a leak or undefined behaviour stops it
# with exit code 1, leaving the input that did it in FUZZ_DIR/findings.
set -euo pipefail
build=$1 fuzz=$2 seconds=${3:-60}
here=$(cd "$(dirname "$0")" && pwd)
corpus=$fuzz/corpus findings=$fuzz/findings
rm -rf "$corpus"
mkdir -p "$findings"
bash "$here/make_corpus.sh" "$build" "$corpus"
for target in config fileslist progression text_series binary_series npy_series chart; do
  mkdir -p "$corpus/$target"
  [ -d "$here/regressions/$target" ] && cp "$here/regressions/$target"/* "$corpus/$target"/ 2>/dev/null || true
  dict=()
  [ -f "$here/$target.dict" ] && dict=(-dict="$here/$target.dict")
  echo "fuzzing $target for $seconds s"
  "$fuzz/fuzz/${target}_fuzz" "$corpus/$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=4096 -max_len=1048576 -artifact_prefix="$findings/$target-" -print_final_stats=1 \
    2> "$fuzz/$target.log" || { tail -n 40 "$fuzz/$target.log"; echo "fuzz target $target found a fault"; exit 1; }
  grep -E 'stat::number_of_executed_units|cov:' "$fuzz/$target.log" | tail -n 2
done
