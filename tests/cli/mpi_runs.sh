#!/usr/bin/env bash
# A files list run by three processes of mpirun leaves the files and prints the
# lines of one process with --jobs 1. FRACTAN names the program.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mpi=(mpirun -q --oversubscribe --allow-run-as-root -n 3)

mkdir a b
"$FRACTAN" generate --count 4 --levels 11 --hurst-start 0.3 --hurst-end 0.7 --hurst-step 0.2 --seed 4 \
    --output a > /dev/null || fail "generate exited $?"
cp a/Artificial_H=0.5-2.txt b/  # the same name in another folder: its chart and incremental files collide
{ ls a/*.txt | head -n 6; echo b/Artificial_H=0.5-2.txt; echo missing.txt; ls a/*.txt | tail -n 4; } > list.txt
[ "$(wc -l < list.txt)" -eq 12 ] || fail "the list holds $(wc -l < list.txt) files"

# Runs the command once with --jobs 1 into one/ and under mpirun into many/, and compares.
compare() {
  local what=$1
  shift
  rm -rf one many && mkdir one many
  "$FRACTAN" "$@" -o one --test-name t --jobs 1 > one.out 2> one.err
  local code=$?
  "${mpi[@]}" "$FRACTAN" "$@" -o many --test-name t --jobs 1 > many.out 2> many.err
  local got=$?
  [ "$got" -eq "$code" ] || fail "$what: mpirun exited $got, one process $code: $(cat many.err)"
  [ "$(ls one | wc -l)" -gt 1 ] || fail "$what wrote $(ls one)"
  diff -r one many > /dev/null || fail "$what: the files differ: $(diff -rq one many)"
  diff <(sed 's/\bone\b/DIR/g' one.out) <(sed 's/\bmany\b/DIR/g' many.out) > /dev/null \
      || fail "$what: the lines differ: $(diff <(sed 's/\bone\b/DIR/g' one.out) <(sed 's/\bmany\b/DIR/g' many.out) | head)"
  diff <(sed 's/\bone\b/DIR/g' one.err) <(sed 's/\bmany\b/DIR/g' many.err) > /dev/null \
      || fail "$what: the errors differ: $(cat many.err)"
}

compare "static DMA" dma list.txt --mode multi --type 2 -n 2000 -p linear --start 4 --step 4 --end 40
grep -c "missing.txt" many.err | grep -qx 1 || fail "the unreadable file is not reported once: $(cat many.err)"
compare "dynamic DFA" dfa list.txt --mode multi --type 1 -n 2000 -w 600 --dynamic-step 50 --end 40
compare "clusters" clusters list.txt --mode multi -w 2000 -p linear --start 10 --step 10 --end 30 --per-window

# Ctrl-C reaches every process: the run ends promptly, as a stopped one does.
"$FRACTAN" generate --count 4 --levels 21 --seed 1 --kind binary --output b > /dev/null || fail "long series"
ls b/*.dat > long.txt
"${mpi[@]}" "$FRACTAN" dfa long.txt --mode multi --type 1 -w 100000 --dynamic-step 1 -o many --jobs 1 \
    > stop.out 2>&1 &
runner=$!
sleep 3
kill -INT $runner
for _ in $(seq 100); do kill -0 $runner 2> /dev/null || break; sleep 0.1; done
kill -0 $runner 2> /dev/null && { kill -KILL $runner; fail "mpirun still runs 10 s after Ctrl-C"; }
wait $runner
[ $? -ne 0 ] || fail "a stopped run exited 0"
exit 0
