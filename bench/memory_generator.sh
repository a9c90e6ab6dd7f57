#!/usr/bin/env bash
# Peak memory and time of generating one series of 2^24 + 1 points (N = 24):
# the points of the midpoint list come from one allocation of 24 bytes a
# point, about 384 MiB, made once for the whole request.
#   bash bench/memory_generator.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in binary text; do
  /usr/bin/time -o "$work/time.txt" -f "peak resident memory: %M KiB, elapsed: %e s" \
    "$build/fractan" generate --levels 24 --hurst-start 0.7 --hurst-end 0.7 --kind $kind --seed -3 \
    --output "$work" > "$work/log.txt"
  file=$(ls "$work"/Artificial_*)
  echo "N = 24, $kind file of $(stat -c %s "$file") bytes: $(cat "$work/time.txt")"
  rm -f "$file"
done
# The spectral method holds 2^25 + 2 doubles while it builds the series, and FFTW a buffer
# as large and its tables: a peak of about 530 MiB, 33 bytes a value.
/usr/bin/time -o "$work/time.txt" -f "peak resident memory: %M KiB, elapsed: %e s" \
  "$build/fractan" generate --method fft --levels 24 --hurst-start 0.7 --hurst-end 0.7 --kind binary --seed 3 \
  --output "$work" > "$work/log.txt"
echo "N = 24, --method fft, binary file: $(cat "$work/time.txt")"
