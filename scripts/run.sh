#!/usr/bin/env bash
# Sets up, builds and runs the program on its built-in scenario. The files appear next to
# the executable, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
build/compattatore
ls -l build/VALCRESTINA_TORVE_*
