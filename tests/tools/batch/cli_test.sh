#!/usr/bin/env bash
# The nodalux-batch program as a script sees it: exit statuses, one-line
# messages on standard error, help and version on standard output, and no
# file written while reading is not wired up.
set -uo pipefail
program=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
failures=0

# expect STATUS STDOUT-PATTERN STDERR-EXACT ARGS...
expect() {
  local want_status=$1 want_out=$2 want_err=$3
  shift 3
  "$program" "$@" >out.txt 2>err.txt
  local status=$?
  local err
  err=$(cat err.txt)
  local ok=1
  [ "$status" -eq "$want_status" ] || ok=0
  [ "$err" = "$want_err" ] || ok=0
  if [ -n "$want_out" ]; then
    grep -q -- "$want_out" out.txt || ok=0
  elif [ -s out.txt ]; then
    ok=0
  fi
  if [ "$ok" -eq 0 ]; then
    echo "FAIL: nodalux-batch $*"
    echo "  status $status (want $want_status)"
    echo "  stdout: $(head -c 200 out.txt)"
    echo "  stderr: $err"
    echo "  want:   $want_err"
    failures=$((failures + 1))
  fi
}

expect 0 '^Usage: nodalux-batch' '' --help
expect 0 '^Usage: nodalux-batch' '' -o out.csv in.csv -h
expect 0 '^nodalux-batch [0-9]' '' --version
expect 2 '' 'nodalux-batch: no input file: name at least one'
expect 2 '' "nodalux-batch: unknown option '--bogus'" --bogus -o out.csv in.csv
expect 2 '' 'nodalux-batch: --centre: the latitude has both a hemisphere letter and a sign: give one' \
  --centre N-51.5,W0.5 -o out.csv in.csv
expect 2 '' "nodalux-batch: -r: the radius '-3' is negative" -r -3 -o out.csv in.csv
expect 2 '' "nodalux-batch: the output 'in.csv' is also an input" -o in.csv in.csv
# Negative coordinates are values, not options.
expect 1 '' 'nodalux-batch: this build cannot read or write POI files yet; nothing was read or written' \
  --centre -33.86,151.21 -r 12.5 -o out.csv in.csv

# Nothing was written by any of the runs.
if [ -e out.csv ]; then
  echo "FAIL: out.csv was written"
  failures=$((failures + 1))
fi
# A closed standard output is an error, not silence.
"$program" --help >&- 2>/dev/null
if [ $? -eq 0 ]; then
  echo "FAIL: --help into a closed standard output reported success"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "all nodalux-batch command-line checks passed"
exit "$failures"
