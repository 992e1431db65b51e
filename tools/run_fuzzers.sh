#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, address and
# undefined-behaviour sanitizers) and runs each for a bounded time, starting
# from its saved corpus in tests/fuzz/corpus/NAME (with the dictionary
# tests/fuzz/NAME.dict when there is one). New inputs go to a
# scratch folder; a finding (crash, sanitizer report, broken invariant,
# leak, time-out) is copied to findings/ and fails the run, to be added to
# the corpus once it is fixed.
#
#   tools/run_fuzzers.sh [SECONDS-EACH] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for dir in tests/fuzz/corpus/*/; do names+=("$(basename "$dir")"); done
fi

# Targets that read files write each input to a scratch file: in memory
# when the machine has a memory file system, five times the executions.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p findings
failed=()
for name in "${names[@]}"; do
  mkdir -p "$work/$name"
  dict=()
  [ -f "tests/fuzz/$name.dict" ] && dict=("-dict=tests/fuzz/$name.dict")
  status=0
  ZARVPLATFORM=headless ZARVDEBUG=0 build-fuzz/tests/fuzz/fuzz_"$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="findings/$name-" "${dict[@]}" "$work/$name" "tests/fuzz/corpus/$name" \
    > "$work/$name.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log" | tail -1)
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    echo "fuzz_$name: FINDING after ${runs:-?} executions (exit $status)"
    grep -E "ERROR|SUMMARY|runtime error|Test unit written" "$work/$name.log" | head -20
  else
    echo "fuzz_$name: ${runs:-?} executions in ${seconds} s, no finding"
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs in findings/)"
  exit 1
fi
echo "${#names[@]} passed, 0 failed"
