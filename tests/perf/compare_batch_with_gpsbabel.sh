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
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir tmp
export TMPDIR=$work/tmp ZARVREGISTRY=$work/registry.sqlite
fail=0
. "$here/timing.sh"
. "$here/gpsbabel_job.sh"
[ "$have_gpsbabel" = 1 ] || echo "gpsbabel missing: nodalux-batch timed alone"

write_job_input
write_expected_group
batch_job=("$batch" --centre 51.47604,0 --radius 30 -o batch.ov2 in.csv)
run_batch() { "${batch_job[@]}" >/dev/null 2>&1; }
check_batch() {
  check_group_in batch.ov2 nodalux-batch
  [ -s batch.bmp ] || { echo "FAIL: nodalux-batch put no symbol bitmap beside its OV2"; fail=1; }
  [ -z "$(ls -A tmp)" ] || { echo "FAIL: nodalux-batch left temporary files: $(ls -A tmp)"; fail=1; }
}
clean() { rm -f batch.ov2 batch.bmp babel.ov2 babel.bmp; }

: > batch.times; : > gpsbabel.times
for _ in $(seq "$pairs"); do
  clean; micros run_batch >> batch.times; check_batch
  if [ "$have_gpsbabel" = 1 ]; then
    clean; micros run_gpsbabel >> gpsbabel.times; check_gpsbabel
  fi
done

b_ms=$(median batch.times)
b_warm_ms=$(back_to_back run_batch check_batch clean "$pairs")
clean
b_kib=$(peak_kib "${batch_job[@]}")
check_batch
echo "job: 30000 POI in, $group in the circle, written as OV2; $pairs interleaved pairs"
printf '%-14s median %s ms wall, peak %s KiB\n' "nodalux-batch:" "$b_ms" "$b_kib"
printf '%-14s median %s ms wall when its runs follow one another\n' "" "$b_warm_ms"
if [ "$have_gpsbabel" = 1 ]; then clean; report_gpsbabel nodalux-batch "$b_ms"; fi
[ "$fail" = 0 ] && echo "every run wrote the expected output" || echo "FAIL: some runs did not do the work"
exit $fail
