#!/usr/bin/env bash
# The desktop program's start against a bare Qt program with the same menu,
# toolbar and status bar: the time from just before each process starts to
# its first complete frame on screen, measured by first_frame. The two run
# interleaved (Nodalux, bare, Nodalux, ...) on the platform QT_QPA_PLATFORM
# names (offscreen when unset); prints the median of each and the ratio.
#
#   compare_first_frame.sh PROGRAM_DIR FIRST_FRAME BARE_QT_WINDOW TOOLBAR_BMP [PAIRS]
#
# PAIRS defaults to 21. The exit status says only whether every run painted a
# frame: times are reported, never judged (the machines are shared and noisy).
set -euo pipefail
program_dir=$(realpath "$1") first_frame=$(realpath "$2") bare=$(realpath "$3") bitmap=$(realpath "$4")
pairs=${5:-21}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'close\n' > "$work/close.script"
export ZARVPLATFORM=qt ZARVSCRIPT="$work/close.script" ZARVREGISTRY="$work/registry.sqlite"
export XDG_CONFIG_HOME="$work/config"
unset ZARVTRANSCRIPT ZARVDEBUG

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

: > "$work/nodalux.ms"
: > "$work/bare.ms"
for _ in $(seq "$pairs"); do
  (cd "$work" && "$first_frame" "$program_dir/nodalux") >> "$work/nodalux.ms"
  (cd "$work" && "$first_frame" "$bare" "$bitmap") >> "$work/bare.ms"
done
n=$(median < "$work/nodalux.ms")
b=$(median < "$work/bare.ms")
awk -v n="$n" -v b="$b" -v p="$pairs" -v q="$QT_QPA_PLATFORM" 'BEGIN {
  printf "first frame on %s, median of %d: Nodalux %.1f ms, bare Qt window %.1f ms, ratio %.2f\n", q, p, n, b, n / b
}'
