#!/usr/bin/env bash
# Whole-process comparison of nodalux-batch with GPSBabel 1.8 on one job:
# read a 30000-POI AutoRoute CSV file, keep the POI within 30 miles of
# 51.47604,0 and write them as OV2. The two programs run interleaved
# (nodalux-batch, GPSBabel, nodalux-batch, ...), every output is deleted
# before each run and checked after it: nodalux-batch's OV2 must hold
# exactly the group that the desktop program's CSV save of the same job
# holds (as a set: the converter orders records by area), GPSBabel's must
# be a readable OV2 file with POI in it. Prints the median wall time of
# each, the ratio and the peak memory (the largest resident set of the
# process and the converter it runs).
#
#   compare_batch_with_gpsbabel.sh PROGRAM_DIR OV2_TO_CSV [PAIRS]
#
# PAIRS defaults to 21. The exit status says only whether every run did the
# work: times are reported, never judged (the machines are shared and noisy).
set -euo pipefail
program_dir=$(realpath "$1") ov2_to_csv=$(realpath "$2") pairs=${3:-21}
batch=$program_dir/nodalux-batch
have_gpsbabel=1
command -v gpsbabel >/dev/null || { echo "gpsbabel missing: nodalux-batch timed alone"; have_gpsbabel=0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir tmp
export TMPDIR=$work/tmp ZARVREGISTRY=$work/registry.sqlite

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

run_batch() { "$batch" --centre 51.47604,0 --radius 30 -o batch.ov2 in.csv >/dev/null 2>&1; }
run_gpsbabel() {
  gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M -o tomtom -F babel.ov2 \
    >/dev/null 2>&1
}

# The group the desktop program saves as CSV for the same job: the records
# every OV2 run must hold.
printf 'menu 40002\nfile in.csv\nmenu 40003\nfile reference.csv\nclose\n' > csv.script
ZARVPLATFORM=headless ZARVSCRIPT=csv.script "$program_dir/nodalux" >/dev/null 2>&1
[ -s reference.csv ] || { echo "FAIL: the desktop program's CSV save wrote nothing"; exit 1; }
tail -n +2 reference.csv | tr -d '\r' | LC_ALL=C sort > expected.txt
group=$(wc -l < expected.txt)
[ "$group" -gt 0 ] || { echo "FAIL: the reference group is empty"; exit 1; }

fail=0
check_batch() {
  if [ ! -s batch.ov2 ]; then echo "FAIL: nodalux-batch wrote no OV2 file"; fail=1; return; fi
  if ! "$ov2_to_csv" batch.ov2 > got.txt || ! LC_ALL=C sort got.txt | cmp -s - expected.txt; then
    echo "FAIL: nodalux-batch's OV2 does not hold the $group POI of the CSV save"; fail=1
  fi
  [ -s batch.bmp ] || { echo "FAIL: nodalux-batch put no symbol bitmap beside its OV2"; fail=1; }
  [ -z "$(ls -A tmp)" ] || { echo "FAIL: nodalux-batch left temporary files: $(ls -A tmp)"; fail=1; }
}
babel_group=0
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
clean() { rm -f batch.ov2 batch.bmp babel.ov2 babel.bmp; }

: > batch.times; : > gpsbabel.times
for _ in $(seq "$pairs"); do
  clean; micros run_batch >> batch.times; check_batch
  if [ "$have_gpsbabel" = 1 ]; then
    clean; micros run_gpsbabel >> gpsbabel.times; check_gpsbabel
  fi
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END {
  if (NR == 0) { print 0; exit }
  m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.2f\n", m / 1000 }'; }
peak_kib() {  # the largest resident set of the run and its children, from GNU time
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M -o peak.txt "$@" >/dev/null 2>&1 || true
    cat peak.txt
  else
    echo "?"
  fi
}

b_ms=$(median batch.times)
clean
b_kib=$(peak_kib "$batch" --centre 51.47604,0 --radius 30 -o batch.ov2 in.csv)
check_batch
echo "job: 30000 POI in, $group in the circle, written as OV2; $pairs interleaved pairs"
echo "nodalux-batch: median ${b_ms} ms wall, peak ${b_kib} KiB"
if [ "$have_gpsbabel" = 1 ]; then
  g_ms=$(median gpsbabel.times)
  clean
  g_kib=$(peak_kib gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M \
    -o tomtom -F babel.ov2)
  check_gpsbabel
  echo "gpsbabel:      median ${g_ms} ms wall, peak ${g_kib} KiB ($babel_group POI: its circle is a great circle)"
  awk -v n="$b_ms" -v g="$g_ms" 'BEGIN { if (n > 0) printf "ratio (GPSBabel time / nodalux-batch time): %.1f\n", g / n }'
fi
[ "$fail" = 0 ] && echo "every run wrote the expected output" || echo "FAIL: some runs did not do the work"
exit $fail
