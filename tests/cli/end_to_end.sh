#!/usr/bin/env bash
# Drives the built `fractan` as a user would; FRACTAN names the program.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$FRACTAN" --help | grep -q "dma" || fail "--help lists no dma subcommand"
"$FRACTAN" dma --help | grep -q -- "--window" || fail "dma --help lists no --window"
"$FRACTAN" dfa --help | grep -q -- "--order" || fail "dfa --help lists no --order"

out=$("$FRACTAN" demo --folder d --length 16384) || fail "demo exited $?"
echo "$out" | grep -q "Expected H: *0.50" || fail "demo printed no expected H"
echo "$out" | grep -q "Estimated H, Static DFA (3): *0\.[45]" || fail "demo printed no DFA estimate near 0.5"
[ -s "d/demo.Static DMA (2).out.txt" ] || fail "demo wrote no result file"

"$FRACTAN" run missing.txt 2>err.txt && fail "run of a missing file exited 0"
[ "$(cat err.txt)" = "fractan: cannot read configuration file [missing.txt]." ] || fail "unexpected: $(cat err.txt)"

"$FRACTAN" config template > c.txt || fail "config template"
"$FRACTAN" dma d/random_walk.txt --type 0 --window 2000 -p linear --start 16 --step 16 --end 512 --dynamic-step 1000 \
    --save-config saved.txt -o . --test-name e2e > dma.txt || fail "dma exited $?"
inc="e2e.Dynamic DMA (0).out.random_walk.inc.txt"
[ "$(wc -l < "$inc")" -eq 14 ] || fail "expected 14 evaluations, t = 3000 … 16000"
"$FRACTAN" run saved.txt > run.txt || fail "run of a saved configuration exited $?"

# DFA with the command's defaults: every sample but the first, boxes 4 … W/8.
"$FRACTAN" dfa d/random_walk.txt --order 1 -o . --test-name e2e > dfa.txt || fail "dfa exited $?"
grep -q "^Window size: 16383$" dfa.txt || fail "dfa default window: $(cat dfa.txt)"
awk -F'\t' '$4 == 16383 && $5 > 0.4 && $5 < 0.6 { ok = 1 } END { exit !ok }' "e2e.Static DFA (3).out.txt" \
    || fail "dfa result: $(cat "e2e.Static DFA (3).out.txt")"
"$FRACTAN" clusters d/random_walk.txt --per-window -p linear --start 10 --step 10 --end 20 \
    --moving-average-files -o . --test-name e2e > clusters.txt || fail "clusters exited $?"
for f in e2e.random_walk.Out.Lin.10.rArea.txt e2e.random_walk.Out.Lin.All.rDiameter.txt "e2e.clusters.average(20).txt"; do
  [ -s "$f" ] || fail "clusters wrote no $f"
done
grep -q "^Found [0-9]* Clusters (Total: [0-9]*)\.$" clusters.txt || fail "no Found line: $(cat clusters.txt)"
"$FRACTAN" dfa d/random_walk.txt -t 2 2> dfa-err.txt && fail "dfa ran a DMA type"
grep -q "not a valid computation type for DFA" dfa-err.txt || fail "dfa -t 2: $(cat dfa-err.txt)"
grep -q "Exiting..." run.txt || fail "no Exiting... line"
# Ctrl-C: the run stops promptly, says so, and keeps the lines written so far.
"$FRACTAN" demo --folder big --length 3000000 > /dev/null || fail "demo of 3000000 samples"
"$FRACTAN" dma big/random_walk.txt -t 0 -w 1000 -p linear --start 10 --step 10 --end 200 \
    --dynamic-step 1 -o big --test-name stop > stop.txt 2> stop-err.txt &
pid=$!
for _ in $(seq 600); do grep -q "Hurst exponent" stop.txt && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
code=$?
[ "$code" -eq 130 ] || fail "interrupted run exited $code"
grep -q "calculation stopped" stop-err.txt || fail "no line saying the run was stopped"
tail -n 1 stop.txt | grep -q "^Hurst exponent" || fail "lines after the stop: $(tail -n 1 stop.txt)"
lines=$(wc -l < "big/stop.Dynamic DMA (0).out.random_walk.inc.txt")
[ "$lines" -gt 0 ] && [ "$lines" -lt 2998800 ] || fail "$lines incremental lines after the stop"
tail -c 1 "big/stop.Dynamic DMA (0).out.random_walk.inc.txt" | od -c | grep -q '\\n' || fail "last line cut"

# The dynamic step is not stored in the file: the run evaluates every 100th position.
[ "$(wc -l < "$inc")" -eq 138 ] || fail "expected 138 evaluations, t = 2600 … 16300"
