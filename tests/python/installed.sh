#!/usr/bin/env bash
# The module installed with pip into a fresh venv (offline: the build backend
# and numpy from the system), and its tests run against the installed package
# from a folder away from the sources: bash tests/python/installed.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-build}" && pwd)
venv=$(mktemp -d)
trap 'rm -rf "$venv"' EXIT
unset PYTHONPATH
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install -q --no-build-isolation "$root"
cd "$venv"
"$venv/bin/python" -c "import fractan; assert fractan.__file__.startswith('$venv'), fractan.__file__"
FRACTAN="$build/fractan" "$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/tests/python"
