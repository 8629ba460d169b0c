#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each for a bounded time on a scratch copy
# of its committed seed corpus. Fails on any crash, leak, sanitizer report or timeout, and
# prints the offending input.
#
#   fuzz/run.sh [SECONDS]      (default 60 per target; FUZZ_SECONDS works too; FUZZ_SEED)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-60}}
# A fixed seed makes a run repeatable: CI explores the same inputs each time, and a failure
# seen there can be replayed here. FUZZ_SEED=0 lets libFuzzer pick one for exploration.
seed=${FUZZ_SEED:-20261210}
build=build-fuzz

cmake --preset fuzz >/dev/null
targets=(compila_fuzz)
if [ -f src/reader/campi.h ] && [ -f fuzz/campi_fuzz.cpp ]; then
  targets+=(campi_fuzz)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:print_stacktrace=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Longest input each target gets: the built-in sources are about 8 KB together.
declare -A max_len=([compila_fuzz]=16384 [campi_fuzz]=4096)

status=0
for t in "${targets[@]}"; do
  corpus="$scratch/$t/corpus"
  artifacts="$scratch/$t/artifacts/"
  mkdir -p "$corpus" "$artifacts"
  seeds="fuzz/corpus/${t%_fuzz}"
  if [ -d "$seeds" ]; then cp -r "$seeds/." "$corpus/"; fi

  echo "== $t: ${seconds}s on $(find "$corpus" -type f | wc -l) seeds"
  log="$scratch/$t/log"
  if "$build/fuzz/$t" "$corpus" \
      -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
      -max_len="${max_len[$t]}" -artifact_prefix="$artifacts" \
      -print_final_stats=1 >"$log" 2>&1; then
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  else
    status=1
    echo "!! $t failed; the end of its log:"
    tail -n 60 "$log"
    for a in "$artifacts"*; do
      [ -f "$a" ] || continue
      echo "!! input that failed: $(basename "$a") ($(stat -c %s "$a") bytes), base64:"
      base64 -w 100 "$a" | head -n 200
    done
  fi
done

if [ "$status" -ne 0 ]; then
  echo "fuzz: FAILED"
  exit 1
fi
echo "fuzz: all targets ran clean"
