#!/usr/bin/env bash
# Drives the built `fractan` as a user would; FRACTAN names the program.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$FRACTAN" --help | grep -q "dma" || fail "--help lists no dma subcommand"
"$FRACTAN" dma --help | grep -q -- "--window" || fail "dma --help lists no --window"

out=$("$FRACTAN" demo --folder d --length 16384) || fail "demo exited $?"
echo "$out" | grep -q "Expected H: 0.50" || fail "demo printed no expected H"
[ -s "d/demo.Static DMA (2).out.txt" ] || fail "demo wrote no result file"

"$FRACTAN" run missing.txt 2>err.txt && fail "run of a missing file exited 0"
[ "$(cat err.txt)" = "fractan: cannot read configuration file [missing.txt]." ] || fail "unexpected: $(cat err.txt)"

"$FRACTAN" config template > c.txt || fail "config template"
"$FRACTAN" dma d/random_walk.txt --type 0 --window 2000 -p linear --start 16 --step 16 --end 512 --dynamic-step 1000 \
    --save-config saved.txt -o . --test-name e2e > dma.txt || fail "dma exited $?"
inc="e2e.Dynamic DMA (0).out.random_walk.inc.txt"
[ "$(wc -l < "$inc")" -eq 14 ] || fail "expected 14 evaluations, t = 3000 … 16000"
"$FRACTAN" run saved.txt > run.txt || fail "run of a saved configuration exited $?"
grep -q "Exiting..." run.txt || fail "no Exiting... line"
# The dynamic step is not stored in the file: the run evaluates every 100th position.
[ "$(wc -l < "$inc")" -eq 138 ] || fail "expected 138 evaluations, t = 2600 … 16300"
