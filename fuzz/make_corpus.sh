#!/usr/bin/env bash
# Seed inputs for the fuzz targets, written by the project's own writers:
#   bash fuzz/make_corpus.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=$1 corpus=$2
fractan=$build/fractan
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus"/{config,fileslist,progression,text_series,binary_series,npy_series,chart}
"$fractan" generate --levels 8 --hurst-start 0.3 --hurst-end 0.7 --hurst-step 0.4 --seed -2 -o "$work" > /dev/null
cp "$work"/*.txt "$corpus/text_series/"
cp "$work"/*.dat "$corpus/binary_series/"
printf '3\n8\n16\n32\n' > "$corpus/progression/linear"
printf '4\n\n  64\n16\n8 abc\n' > "$corpus/progression/damaged"
"$fractan" config template > "$corpus/config/template"
series=$(ls "$work"/*H=0.3*.txt)
"$fractan" dfa "$series" -p linear --start 8 --step 8 --end 32 -o "$work" --test-name c --save-config "$corpus/config/dfa" > /dev/null
cp "$work"/c.*.chart.txt "$corpus/chart/"
"$fractan" fileslist --path "$work" --prefix s --start 1 --step 2 --end 9 -o "$corpus/fileslist/list" > /dev/null
printf 'a.txt\n  b.txt \n\nc.txt\n' > "$corpus/fileslist/blank"
printf '1,5\n2 3\n\xEF\xBB\xBF4\ninf\n0x1p3\n' > "$corpus/text_series/forms"
printf 'time,price;x\n1,2.5\n"3",4\n' > "$corpus/text_series/table"
printf 'a;b\n1;3,25\n2;-0,5\n\n' > "$corpus/text_series/semicolons"
printf 't\tp\n1\t2\n3\t\n' > "$corpus/text_series/tabs"
# .npy arrays after their magic bytes: the version, the header's length and header, the values.
npy() {
  local header="{'descr': '$1', 'fortran_order': False, 'shape': $2, }"
  printf "\\x$3\\x00\\x$(printf %02x ${#header})\\x00%s" "$header"
  head -c "$4" "$work"/*H=0.3*.dat
}
npy '<f8' '(3,)' 01 24 > "$corpus/npy_series/f8"
npy '<i4' '(2, 3)' 01 24 > "$corpus/npy_series/i4"
npy '<f4' '(4,)' 01 16 > "$corpus/npy_series/f4"
