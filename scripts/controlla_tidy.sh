#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over every source file under src/, with the
# compile commands of a configured build, and fails on any finding.
#
#   scripts/controlla_tidy.sh [BUILD_DIR]      (default build, the "default" preset's)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "controlla_tidy: $build/compile_commands.json is missing; configure a build first" >&2
  exit 2
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Only our findings are shown: the counts of warnings suppressed in system headers are not.
if run-clang-tidy -quiet -p "$build" -j "${TIDY_JOBS:-$(nproc)}" "$PWD/src/" >"$log" 2>&1; then
  echo "controlla_tidy: no findings in src/"
else
  grep -vE '^([0-9]+ warnings? generated\.|Suppressed [0-9]+ warnings|Use -header-filter|clang-tidy-?[0-9]* .*-p=)' \
    "$log" >&2 || true
  echo "controlla_tidy: findings above (checks in .clang-tidy)" >&2
  exit 1
fi
