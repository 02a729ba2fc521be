#!/bin/sh
# Builds the fuzz targets with clang and runs each one, starting from the seed corpus in
# fuzz/corpus. New inputs go to build-fuzz/corpus, never into the repository.
#   scripts/fuzz.sh              each target for 60 seconds
#   scripts/fuzz.sh 600          each target for 600 seconds
#   scripts/fuzz.sh --runs 2000  each target for 2000 inputs (what CI does)
set -eu
cd "$(dirname "$0")/.."
limit="-max_total_time=${1:-60}"
if [ "${1:-}" = "--runs" ]; then limit="-runs=${2:?--runs needs a number}"; fi

scripts/install-deps.sh fuzz
build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLO_FUZZ=ON -DQUILLO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_reply fuzz_render fuzz_params fuzz_json fuzz_grammar fuzz_mcp quillo-docs

for target in reply render params json grammar mcp; do
  corpus="$build/corpus/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus"
  echo "fuzz: $target ($limit)"
  options="-max_len=4096"
  if [ "$target" = grammar ]; then options="-max_len=512 -dict=$build/docs/grammar.dict"; fi
  status=0
  ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}" "$build/fuzz_$target" "$limit" $options \
    -print_final_stats=1 -artifact_prefix="$build/crash-$target-" \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|Done)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzz: $target failed (status $status); the input is in $build/crash-$target-*" >&2
    exit 1
  fi
done
