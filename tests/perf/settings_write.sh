#!/usr/bin/env bash
# The time the Exit command's settings write adds to a run: the median wall
# time of a headless run that ends with File, Exit (which stores the
# settings) against one that ends with the close box (which stores
# nothing), interleaved, each with the settings store of a previous run.
#   tests/perf/settings_write.sh [PROGRAM-FOLDER] [RUNS]
set -euo pipefail
dist=${1:-build/dist}
runs=${2:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'menu 40005\n' > "$work/exit.script"
printf 'close\n' > "$work/close.script"
export ZARVPLATFORM=headless ZARVREGISTRY="$work/store/registry.sqlite"
ZARVSCRIPT="$work/exit.script" "$dist/nodalux" > /dev/null
run() {
  local s t
  s=$(date +%s%N)
  ZARVSCRIPT="$work/$1.script" "$dist/nodalux" > /dev/null
  t=$(date +%s%N)
  echo $(((t - s) / 1000))
}
exits=() closes=()
for _ in $(seq "$runs"); do
  exits+=("$(run exit)")
  closes+=("$(run close)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
e=$(median "${exits[@]}")
c=$(median "${closes[@]}")
echo "File, Exit: median ${e} us; close box: median ${c} us; the settings write: about $((e - c)) us"
