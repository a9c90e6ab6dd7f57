#!/usr/bin/env bash
# Drives the built `fractan` as a user would; FRACTAN names the program.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs a command that must exit with $1 and say $2 on stderr; its stdout is kept in said-out.txt.
said() {
  local code=$1 text=$2
  shift 2
  "$@" > said-out.txt 2> said-err.txt
  local got=$?
  [ "$got" -eq "$code" ] || fail "$* exited $got, not $code"
  grep -qF -- "$text" said-err.txt || fail "$*: $(cat said-err.txt)"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

out=$("$FRACTAN" demo --folder d --levels 14) || fail "demo exited $?"
echo "$out" | grep -q "Expected H: *0.70" || fail "demo printed no expected H"
echo "$out" | grep -q "Estimated H, Static DFA (3): *0\.[67]" || fail "demo printed no DFA estimate near 0.7"
series="d/demo_H=0.7-1.txt"
[ "$(wc -l < "$series")" -eq 16385 ] || fail "demo series of $(wc -l < "$series") lines, not 2^14 + 1"
[ -s "d/demo.Static DMA (2).out.txt" ] || fail "demo wrote no result file"

"$FRACTAN" run missing.txt 2>err.txt && fail "run of a missing file exited 0"
[ "$(cat err.txt)" = "fractan: cannot read configuration file [missing.txt]." ] || fail "unexpected: $(cat err.txt)"

"$FRACTAN" config template > c.txt || fail "config template"
said 1 "fractan: output folder [results] does not exist." "$FRACTAN" run c.txt  # the template loads
"$FRACTAN" dma "$series" --type 0 --window 2000 -p linear --start 16 --step 16 --end 512 --dynamic-step 1000 \
    --save-config saved.txt -o . --test-name e2e > dma.txt || fail "dma exited $?"
inc="e2e.Dynamic DMA (0).out.demo_H=0.7-1.inc.txt"
[ "$(wc -l < "$inc")" -eq 14 ] || fail "expected 14 evaluations, t = 3000 … 16000"
"$FRACTAN" run saved.txt > run.txt || fail "run of a saved configuration exited $?"

"$FRACTAN" clusters "$series" --per-window -p linear --start 10 --step 10 --end 20 \
    --moving-average-files -o . --test-name e2e > clusters.txt || fail "clusters exited $?"
for f in "e2e.demo_H=0.7-1.Out.Lin.10.rArea.txt" "e2e.demo_H=0.7-1.Out.Lin.All.rDiameter.txt" "e2e.clusters.average(20).txt"; do
  [ -s "$f" ] || fail "clusters wrote no $f"
done
"$FRACTAN" clusters --per-window -p linear --start 10 --step 10 --end 20 "$series" -o . --test-name cfg \
    --bad-above 50 --save-config clusters.cfg --no-run > /dev/null 2> save-err.txt || fail "clusters --save-config"
grep -qF "does not hold --bad-above; running it takes samples above 100000 as bad data." save-err.txt \
    || fail "no --bad-above warning: $(cat save-err.txt)"
grep -qF "does not hold --per-window; running it writes only the distributions over all windows." save-err.txt \
    || fail "no --per-window warning: $(cat save-err.txt)"
"$FRACTAN" clusters clusters.cfg > clusters-cfg.txt || fail "clusters CONFIG exited $?"
grep -q "^Clusters found: [1-9]" clusters-cfg.txt || fail "clusters CONFIG: $(cat clusters-cfg.txt)"
"$FRACTAN" clusters clusters.cfg --per-window 2> /dev/null; [ $? -eq 2 ] || fail "options with a configuration file"
"$FRACTAN" dma "$series" -t abc 2> /dev/null; [ $? -eq 2 ] || fail "a malformed option value is not a usage error"
# The default time seed gives a different series from one second to the next.
mkdir timed
"$FRACTAN" generate --levels 6 --kind text --output timed --prefix a_ > /dev/null || fail "generate a"
sleep 1.1
"$FRACTAN" generate --levels 6 --kind text --output timed --prefix b_ > /dev/null || fail "generate b"
cmp -s "timed/a_H=0.5-1.txt" "timed/b_H=0.5-1.txt" && fail "two time-seeded runs wrote the same series"
# Ctrl-C: the run stops promptly, says so, and keeps the lines written so far.
mkdir big
"$FRACTAN" generate --levels 22 --kind binary --seed -8 --output big --prefix walk_ > /dev/null \
    || fail "generate of 2^22 + 1 samples"
"$FRACTAN" dma big/walk_H=0.5-1.dat -t 0 -w 1000 -p linear --start 10 --step 10 --end 200 \
    --dynamic-step 1 -o big --test-name stop > stop.txt 2> stop-err.txt &
pid=$!
for _ in $(seq 600); do grep -q "Hurst exponent" stop.txt && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
code=$?
[ "$code" -eq 130 ] || fail "interrupted run exited $code"
grep -q "calculation stopped" stop-err.txt || fail "no line saying the run was stopped"
tail -n 1 stop.txt | grep -q "^Hurst exponent" || fail "lines after the stop: $(tail -n 1 stop.txt)"
lines=$(wc -l < "big/stop.Dynamic DMA (0).out.walk_H=0.5-1.inc.txt")
[ "$lines" -gt 0 ] && [ "$lines" -lt 4193105 ] || fail "$lines incremental lines after the stop"
tail -c 1 "big/stop.Dynamic DMA (0).out.walk_H=0.5-1.inc.txt" | od -c | grep -q '\\n' || fail "last line cut"

# The dynamic step is not stored in the file: the run evaluates every 100th position.
[ "$(wc -l < "$inc")" -eq 138 ] || fail "expected 138 evaluations, t = 2600 … 16300"

# The generator, the files list built from its series, and a multi-file DFA over them.
mkdir g
"$FRACTAN" generate --count 2 --levels 10 --hurst-start 0.3 --hurst-end 0.4 --seed -5 --output g > gen.txt \
    || fail "generate exited $?"
grep -q "^Printing series g/Artificial_H=0.4-2(3)$" gen.txt || fail "generate lines: $(tail -n 3 gen.txt)"
grep -q "^Series written: 4$" gen.txt || fail "generate summary: $(tail -n 1 gen.txt)"
[ "$(wc -l < g/Artificial_H=0.3-1.txt)" -eq 1025 ] || fail "text series of $(wc -l < g/Artificial_H=0.3-1.txt) lines"
[ "$(stat -c %s g/Artificial_H=0.4-2.dat)" -eq 8200 ] || fail "binary series of $(stat -c %s g/Artificial_H=0.4-2.dat) bytes"
"$FRACTAN" generate --hurst-step 0 --output g 2> gen-err.txt && fail "generate with step 0 exited 0"
grep -q "Hurst step is 0" gen-err.txt || fail "generate step 0: $(cat gen-err.txt)"
"$FRACTAN" fileslist --path g --prefix Artificial_H=0.4- --start 1 --step 1 --end 2 --ext dat -o list.txt > fl.txt \
    || fail "fileslist exited $?"
[ "$(cat fl.txt)" = "Files list: [list.txt], 2 files" ] || fail "fileslist printed: $(cat fl.txt)"
[ "$(cat list.txt)" = "$(printf 'g/Artificial_H=0.4-1.dat\ng/Artificial_H=0.4-2.dat')" ] || fail "files list: $(cat list.txt)"
"$FRACTAN" dfa list.txt --mode multi --order 1 -o . --test-name multi > /dev/null || fail "dfa of the files list"
[ "$(wc -l < "multi.Static DFA (3).out.txt")" -eq 2 ] || fail "multi-file DFA: $(cat "multi.Static DFA (3).out.txt")"
# The multifractal spectrum of every file of the list, on two threads, the two files of each in list order.
"$FRACTAN" multifractal list.txt --mode multi --jobs 2 --q -2:2:1 > mf.txt || fail "multifractal of the files list"
[ "$(grep -c '^MF-DFA file: \[g/Artificial_H=0.4-[12].dat.mfdfa' mf.txt)" -eq 4 ] || fail "multifractal: $(cat mf.txt)"
[ "$(wc -l < g/Artificial_H=0.4-2.dat.mfdfa.spectrum.txt)" -ge 5 ] || fail "spectrum of $(cat g/Artificial_H=0.4-2.dat.mfdfa.spectrum.txt)"
# A table's column chosen by its header name is the series itself; without --column the first is read, and said so.
awk 'BEGIN { print "index,value" } { print NR "," $1 }' g/Artificial_H=0.3-1.txt > g/table.csv
"$FRACTAN" dfa g/Artificial_H=0.3-1.txt -o . --test-name plain | grep "^H =" | cut -d: -f1 > plain-h.txt
"$FRACTAN" dfa g/table.csv --column value -o . --test-name table | grep "^H =" | cut -d: -f1 > table-h.txt
[ -s plain-h.txt ] && cmp -s plain-h.txt table-h.txt || fail "--column value: $(cat table-h.txt), not $(cat plain-h.txt)"
"$FRACTAN" dfa g/table.csv -o . | grep -qF 'has 2 columns apart by commas; column 1 ("index") is read' || fail "no column line"
[ "$("$FRACTAN" countlines "  g/Artificial_H=0.3-1.txt ")" = "1025" ] || fail "countlines"
"$FRACTAN" sample g/Artificial_H=0.3-1.txt --bytes 13 > sample.txt || fail "sample exited $?"
[ "$(cat sample.txt)" = "Sample file: [g/Artificial_H=0.3-1.txt.sample], 13 characters" ] || fail "sample: $(cat sample.txt)"
[ "$(cat g/Artificial_H=0.3-1.txt.sample)" = "0.0000000000" ] || fail "sample: $(cat g/Artificial_H=0.3-1.txt.sample)"

# The local slope of the demo's DFA chart: near 0.7 along the chart.
chart="d/demo.Static DFA (3).out.txt.demo_H=0.7-1.txt.chart.txt"
"$FRACTAN" localslope "$chart" --width 1 --delta 0.25 > slope.txt || fail "localslope exited $?"
[ "$(cat slope.txt)" = "Local slope file: [$chart.localslope.txt]" ] || fail "localslope printed: $(cat slope.txt)"
awk -F'\t' '$2 < 0.55 || $2 > 0.85 { bad = 1 } END { exit bad || NR < 3 }' "$chart.localslope.txt" \
    || fail "local slopes: $(cat "$chart.localslope.txt")"

said 1 "fractan: output kind [csv] is not text, binary or both." "$FRACTAN" generate --kind csv --output g
said 1 "fractan: output folder [nowhere] does not exist." "$FRACTAN" generate --output nowhere
said 1 "fractan: 4 of 4 series could not be written." "$FRACTAN" generate --count 2 --levels 3 --hurst-start 0.3 \
    --hurst-end 0.4 --prefix no-such-folder/ --output g
# Each series that cannot be written is named; with no text file the binary one is not attempted.
[ "$(grep -c "^Error while opening g/no-such-folder/H=0\.[34]-[12]\.txt$" said-out.txt)" -eq 4 ] \
    && [ "$(grep -cxF "Error printing series. No output file could be opened." said-out.txt)" -eq 4 ] \
    && ! grep -q "dat$" said-out.txt || fail "unwritable series: $(grep Error said-out.txt)"
mkdir -p g2/Artificial_H=0.5-1.dat  # a binary file that cannot be opened: the next series is still written
said 1 "fractan: 1 of 2 series could not be written." "$FRACTAN" generate --count 2 --levels 3 --seed -1 --output g2
grep -qxF "Error while opening g2/Artificial_H=0.5-1.dat" said-out.txt || fail "unwritable binary: $(cat said-out.txt)"
[ "$(stat -c %s g2/Artificial_H=0.5-2.dat)" -eq 72 ] || fail "the series after a failed one was not written"
mkdir g/Artificial_H=0.4-1.txt.sample
said 1 "fractan: cannot write [g/Artificial_H=0.4-1.txt.sample]." "$FRACTAN" sample g/Artificial_H=0.4-1.txt
mkdir ls && cp "$chart" ls/chart.txt && mkdir ls/chart.txt.localslope.txt
said 1 "fractan: cannot write [ls/chart.txt.localslope.txt]." "$FRACTAN" localslope ls/chart.txt
grep -qxF "Errore nell'apertura el file ls/chart.txt.localslope.txt" said-out.txt || fail "localslope: $(cat said-out.txt)"
said 1 "fractan: the window delta is 0, it must be greater than 0." "$FRACTAN" localslope "$chart" --delta 0
said 1 "fractan: No window holds two points of the chart: [$chart.localslope.txt] is empty." "$FRACTAN" localslope "$chart" \
    --width 0.01
said 1 "fractan: cannot read chart file [none.txt]." "$FRACTAN" localslope none.txt
said 1 "fractan: the files list would have 2000000 lines (about 30 MB); give --force to write it." \
    "$FRACTAN" fileslist --prefix s --start 1 --end 2000000 -o huge.txt
[ -e huge.txt ] && fail "a refused files list was written"
"$FRACTAN" fileslist --prefix s --start 1 --end 1000001 -o huge.txt --force > /dev/null || fail "fileslist --force"
[ "$(wc -l < huge.txt)" -eq 1000001 ] || fail "fileslist --force wrote $(wc -l < huge.txt) lines"
rm huge.txt
said 1 "fractan: Error creating files list. [missing/list.txt]" "$FRACTAN" fileslist --end 2 -o missing/list.txt
said 1 "fractan: Please enter an input file." "$FRACTAN" countlines "   "
said 1 "fractan: There was an error reading from input file. [missing.txt]" "$FRACTAN" countlines missing.txt
said 1 "fractan: cannot read [missing.txt]." "$FRACTAN" sample missing.txt

# Increments where a profile is expected: said, and --integrate analyses their sum; the test name is the input's stem.
awk 'BEGIN { srand(3); for (i = 0; i < 4000; i++) print rand() - 0.5 }' > noise.txt
for h in 0 0.5; do
  flag=
  [ "$h" = 0.5 ] && flag=--integrate
  "$FRACTAN" dfa noise.txt $flag -o . > noise-out.txt || fail "dfa noise.txt $flag exited $?"
  awk -F'\t' -v h=$h '$5 > h - 0.1 && $5 < h + 0.1 { ok = 1 } END { exit !ok }' "noise.Static DFA (3).out.txt" \
      || fail "dfa $flag of noise: $(cat "noise.Static DFA (3).out.txt")"
  lines=$(grep -c "look like increments" noise-out.txt)
  [ "$lines" -eq "$([ -z "$flag" ] && echo 1 || echo 0)" ] || fail "dfa $flag: $lines lines saying increments"
done

# Clusters: by default the whole series, the input's stem as prefix, the distributions over all windows only;
# a files list with an unreadable file, a binary file ending in part of a number; a configuration with a byte
# order mark is one, a binary series beginning with '[' is not.
mkdir cl
printf 'g/Artificial_H=0.3-1.txt\nnone.txt\n' > cl/list.txt
"$FRACTAN" clusters g/Artificial_H=0.3-1.txt -p linear --start 10 --step 10 --end 20 -o cl > cl/out.txt \
    || fail "clusters exited $?"
grep -qxF "Window size: 1025 samples from offset 0" cl/out.txt || fail "clusters window: $(cat cl/out.txt)"
grep -qxF "Distribution files: [cl/fractan.Artificial_H=0.3-1.Out.Lin.All.*.txt]" cl/out.txt \
    || fail "clusters files: $(cat cl/out.txt)"
[ -s cl/fractan.Artificial_H=0.3-1.Out.Lin.All.rLifetime.txt ] || fail "no global distribution"
[ -e cl/fractan.Artificial_H=0.3-1.Out.Lin.10.rLifetime.txt ] && fail "a per-window distribution by default"
said 1 "fractan: 1 of 2 input files could not be read: [none.txt]" "$FRACTAN" clusters cl/list.txt --mode multi \
    -p linear --start 10 --step 10 --end 20 -o cl
[ -s cl/fractan.list.Out.Lin.All.rArea.txt ] || fail "the readable file of the list was not analysed"
head -c 8003 g/Artificial_H=0.4-1.dat > cl/odd.dat
said 0 "ends with a part of an 8-byte number after its 1000 whole ones" "$FRACTAN" clusters cl/odd.dat \
    -p linear --start 10 --step 10 --end 20 -o cl
{ printf '\xEF\xBB\xBF'; cat clusters.cfg; } > cl/bom.cfg
"$FRACTAN" clusters cl/bom.cfg > cl/bom.txt || fail "clusters of a configuration with a byte order mark: $(cat cl/bom.txt)"
printf '[\0\0\0\0\0\xf0?\0\0\0\0\0\0\0@\0\0\0\0\0\0\x08@' > cl/bracket.dat  # 1.0, 2.0 and 3.0, the first byte made '['
"$FRACTAN" clusters cl/bracket.dat -p linear --start 1 --step 1 --end 2 -o cl > cl/bracket.txt \
    || fail "clusters of a binary series beginning with '[': $(cat cl/bracket.txt)"
grep -qxF "Window size: 3 samples from offset 0" cl/bracket.txt || fail "bracket.dat: $(cat cl/bracket.txt)"
said 1 "fractan: the input holds 1 sample from offset 2; a cluster needs at least 3." "$FRACTAN" clusters cl/bracket.dat --offset 2 -o cl
# Bad data above a threshold of one's own, counted in one line past the first ten.
"$FRACTAN" clusters g/Artificial_H=0.3-1.txt -p linear --start 10 --step 10 --end 20 --bad-above 0 -o cl > cl/bad.txt \
    || fail "clusters --bad-above exited $?"
grep -q "^Found [0-9]* bad data in all (above 0, or not numbers)" cl/bad.txt || fail "--bad-above: $(cat cl/bad.txt)"

# Ctrl-C during generation: exit 130, and no unfinished series file is left.
mkdir stopgen
"$FRACTAN" generate --levels 24 --output stopgen > gen-stop.txt 2> gen-stop-err.txt &
pid=$!
for _ in $(seq 600); do grep -q "Level 20" gen-stop.txt && break; sleep 0.05; done
kill -INT "$pid"
wait "$pid"
code=$?
[ "$code" -eq 130 ] || fail "interrupted generation exited $code"
grep -q "generation stopped" gen-stop-err.txt || fail "no line saying generation was stopped"
[ -z "$(ls stopgen)" ] || fail "files left after the stop: $(ls stopgen)"
