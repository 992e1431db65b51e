#!/usr/bin/env bash
# Times the two short-lived pieces of the job, whole process, from the
# shell's own clock:
#   - an empty scripted headless run (start, close), with no settings store
#     and with one (as every user has after the first Exit);
#   - the converter on a temporary file of 3478 POI, writing to a tmpfs
#     folder (its own work) and to a disk folder (what the flush to the disk
#     before the rename adds).
# Every run's result is checked: the empty run must end with "exit 0", every
# converter output must hold the 3478 POI and equal the first byte for byte.
# Prints medians and peak memory; times are reported, never judged.
#
#   start_and_convert.sh PROGRAM_DIR OV2_TO_CSV [RUNS]
set -euo pipefail
program_dir=$(realpath "$1") ov2_to_csv=$(realpath "$2") runs=${3:-31}
here=$(dirname "$(realpath "$0")")
nodalux=$program_dir/nodalux converter=$program_dir/MakeOV2_v1-1.exe

work=$(mktemp -d)
shm=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$shm"' EXIT
cd "$work"

. "$here/timing.sh"
fail=0

# The empty run. A store is made by one run that leaves by File, Exit.
printf 'close\n' > close.script
printf 'menu 40005\n' > exit.script
empty_run() {  # empty_run STORE
  ZARVPLATFORM=headless ZARVSCRIPT=close.script ZARVTRANSCRIPT=transcript ZARVREGISTRY=$1 \
    "$nodalux" >/dev/null 2>&1
}
ZARVPLATFORM=headless ZARVSCRIPT=exit.script ZARVREGISTRY="$work/store.sqlite" "$nodalux" >/dev/null 2>&1
[ -s store.sqlite ] || { echo "FAIL: File, Exit stored no settings"; fail=1; }
for store in none store; do
  : > "empty_$store.times"
  for _ in $(seq "$runs"); do
    rm -f transcript "$work/none.sqlite"
    micros empty_run "$work/$store.sqlite" >> "empty_$store.times"
    [ "$(tail -n 1 transcript 2>/dev/null)" = "exit 0" ] || { echo "FAIL: the empty run did not end"; fail=1; }
  done
  rm -f "$work/none.sqlite"
  kib=$(ZARVPLATFORM=headless ZARVSCRIPT=close.script ZARVREGISTRY="$work/$store.sqlite" peak_kib "$nodalux")
  label=$([ "$store" = none ] && echo "no settings store" || echo "settings stored")
  echo "empty run ($label): median $(median "empty_$store.times") ms wall, peak $kib KiB"
done

# The converter's input as the program writes it.
awk 'BEGIN {
  printf ";* Created by Nodalux\r\n;* Longitude, Latitude, \"Name\"\r\n"
  seed = 4242
  for (i = 1; i <= 3478; i++) {
    seed = (seed * 1103515245 + 12345) % 2147483648; lon = -0.5 + 1.0 * seed / 2147483648
    seed = (seed * 1103515245 + 12345) % 2147483648; lat = 51.2 + 0.6 * seed / 2147483648
    printf "%10.5f,%10.5f,\"POI number %d\"\r\n", lon, lat, i
  }
  printf ";*  3478 POI records written.\r\n"
}' > makeov2.tmp
for where in tmpfs disk; do
  folder=$([ "$where" = tmpfs ] && echo "$shm" || echo "$work")
  : > "convert_$where.times"
  rm -f first.ov2
  for _ in $(seq "$runs"); do
    rm -f "$folder/out.ov2"
    micros "$converter" makeov2.tmp "$folder/out.ov2" >> "convert_$where.times"
    if [ ! -f first.ov2 ]; then
      cp "$folder/out.ov2" first.ov2
      n=$("$ov2_to_csv" first.ov2 | wc -l) || n=0
      [ "$n" -eq 3478 ] || { echo "FAIL: the converter wrote $n POI, not 3478"; fail=1; }
    elif ! cmp -s first.ov2 "$folder/out.ov2"; then
      echo "FAIL: the converter wrote another file this time"; fail=1
    fi
  done
  rm -f "$folder/out.ov2"
  kib=$(peak_kib "$converter" makeov2.tmp "$folder/out.ov2")
  echo "converter, 3478 POI to $where ($(stat -f -c %T "$folder")): median $(median "convert_$where.times") ms wall, peak $kib KiB"
done

[ "$fail" = 0 ] && echo "every run did its work" || echo "FAIL: some runs did not do their work"
exit $fail
