#!/usr/bin/env bash
# Sets up and runs every test: the suite with g++, clang-tidy over src/, the Windows program
# cross-built with MinGW-w64 and tested under Wine against it, the suite again with clang
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets for a bounded
# time.
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

echo "== build and test (Windows: MinGW-w64, under Wine in a fresh prefix)"
scripts/wine.sh --stop
rm -rf build-windows/wine
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs"

echo "== build and test (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

if [ -x fuzz/run.sh ]; then
  echo "== fuzz"
  fuzz/run.sh
fi
echo "all tests passed"
