#!/usr/bin/env bash
# Whole-process comparison with GPSBabel 1.8 on one job: open a 30000-POI
# AutoRoute CSV file, keep the POI within 30 miles of the default centre and
# save them as OV2. The two programs run interleaved (Nodalux, GPSBabel,
# Nodalux, ...), every output is deleted before each run, and after each run
# the output is checked: Nodalux's OV2 must hold exactly the group that a CSV
# save of the same job holds (as a set: the converter orders records by area), GPSBabel's must be a readable OV2 file with POI
# in it. Prints the median wall time of each, the ratio and the peak memory.
#
#   compare_with_gpsbabel.sh PROGRAM_DIR OV2_TO_CSV [PAIRS]
#
# PAIRS defaults to 15. The exit status says only whether every run did the
# work: times are reported, never judged (the machines are shared and noisy).
set -euo pipefail
program_dir=$(realpath "$1") ov2_to_csv=$(realpath "$2") pairs=${3:-15}
nodalux=$program_dir/nodalux
have_gpsbabel=1
command -v gpsbabel >/dev/null || { echo "gpsbabel missing: Nodalux timed alone"; have_gpsbabel=0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# 30000 POI spread over south-east England, about a tenth inside the circle.
awk 'BEGIN {
  print "Longitude,Latitude,Name"
  seed = 12345
  for (i = 1; i <= 30000; i++) {
    seed = (seed * 1103515245 + 12345) % 2147483648; lon = -2.0 + 4.0 * seed / 2147483648
    seed = (seed * 1103515245 + 12345) % 2147483648; lat = 50.5 + 2.0 * seed / 2147483648
    printf "%.5f,%.5f,\"POI number %d\"\n", lon, lat, i
  }
}' > in.csv

job() {  # job SCRIPT OUTPUT: open in.csv, save the group as OUTPUT, close
  printf 'menu 40002\nfile in.csv\nmenu 40003\nfile %s\nclose\n' "$2" > "$1"
}
job ov2.script nodalux.ov2
job csv.script reference.csv

run_nodalux() {
  ZARVPLATFORM=headless ZARVSCRIPT=$1 ZARVREGISTRY="$work/registry.sqlite" "$nodalux" \
    >/dev/null 2>&1
}
run_gpsbabel() {
  gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M -o tomtom -F babel.ov2 \
    >/dev/null 2>&1
}

# The group a CSV save of the same job writes: the records every OV2 run
# must hold. The converter groups records by area, so both are sorted.
rm -f reference.csv
run_nodalux csv.script
[ -s reference.csv ] || { echo "FAIL: the reference CSV save wrote nothing"; exit 1; }
tail -n +2 reference.csv | tr -d '\r' | LC_ALL=C sort > expected.txt
group=$(wc -l < expected.txt)
[ "$group" -gt 0 ] || { echo "FAIL: the reference group is empty"; exit 1; }

fail=0
check_nodalux() {
  if [ ! -s nodalux.ov2 ]; then echo "FAIL: Nodalux wrote no OV2 file"; fail=1; return; fi
  if ! "$ov2_to_csv" nodalux.ov2 > got.txt || ! LC_ALL=C sort got.txt | cmp -s - expected.txt; then
    echo "FAIL: Nodalux's OV2 does not hold the $group POI of the CSV save"; fail=1
  fi
}
check_gpsbabel() {
  local n
  n=$("$ov2_to_csv" babel.ov2 2>/dev/null | wc -l) || n=0
  if [ "$n" -eq 0 ]; then echo "FAIL: GPSBabel wrote no POI"; fail=1; fi
  babel_group=$n
}

# Wall time of one run in microseconds, from the shell's own clock (no
# extra process around the program).
micros() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  echo $(( ${end/./} - ${start/./} ))
}
clean() { rm -f nodalux.ov2 nodalux.bmp babel.ov2 babel.bmp; }

: > nodalux.times; : > gpsbabel.times
babel_group=0
for _ in $(seq "$pairs"); do
  clean; micros run_nodalux ov2.script >> nodalux.times; check_nodalux
  if [ "$have_gpsbabel" = 1 ]; then
    clean; micros run_gpsbabel >> gpsbabel.times; check_gpsbabel
  fi
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END {
  if (NR == 0) { print 0; exit }
  m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.2f\n", m / 1000 }'; }
peak_kib() {  # the largest resident set of the run, from GNU time
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M -o peak.txt "$@" >/dev/null 2>&1 || true
    cat peak.txt
  else
    echo "?"
  fi
}

n_ms=$(median nodalux.times)
clean
n_kib=$(ZARVPLATFORM=headless ZARVSCRIPT=ov2.script ZARVREGISTRY="$work/registry.sqlite" \
  peak_kib "$nodalux")
check_nodalux
echo "job: 30000 POI in, $group in the circle, saved as OV2; $pairs interleaved pairs"
echo "nodalux:  median ${n_ms} ms wall, peak ${n_kib} KiB"
if [ "$have_gpsbabel" = 1 ]; then
  g_ms=$(median gpsbabel.times)
  clean
  g_kib=$(peak_kib gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M \
    -o tomtom -F babel.ov2)
  check_gpsbabel
  echo "gpsbabel: median ${g_ms} ms wall, peak ${g_kib} KiB ($babel_group POI: its circle is a great circle)"
  awk -v n="$n_ms" -v g="$g_ms" 'BEGIN { if (n > 0) printf "ratio (GPSBabel time / Nodalux time): %.1f\n", g / n }'
fi
[ "$fail" = 0 ] && echo "every run wrote the expected output" || echo "FAIL: some runs did not do the work"
exit $fail
