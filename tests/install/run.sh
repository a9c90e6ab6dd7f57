#!/usr/bin/env bash
# cmake --install of a build into a fresh prefix, and a program that finds the
# package there, links fractan::core and computes: bash run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/prefix" > /dev/null
cmake -S "$here" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" > /dev/null
cmake --build "$work/build" > /dev/null
said=$("$work/build/uses_fractan" | tail -n 1)  # after the progress lines
[[ $said =~ ^H\ =\ 0\.[3-7] ]] || { echo "FAIL: the installed core gave [$said]" >&2; exit 1; }
