#!/usr/bin/env bash
# Sets up and runs every test: the suite with g++, clang-tidy over src/, the suite again with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets for a
# bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== build and test (g++)"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== clang-tidy"
scripts/controlla_tidy.sh build

echo "== build and test (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

if [ -x fuzz/run.sh ]; then
  echo "== fuzz"
  fuzz/run.sh
fi
echo "all tests passed"
