#!/usr/bin/env bash
# Pictures of the desktop pages in docs/, taken on a virtual X display.
set -euo pipefail
build="${1:-build}"
cd "$(dirname "$0")/.."
xvfb-run -a -s "-screen 0 1400x900x24" "$build/fractan-gui-screenshots" docs
