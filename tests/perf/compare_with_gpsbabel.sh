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
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export ZARVREGISTRY=$work/registry.sqlite
fail=0
. "$here/timing.sh"
. "$here/gpsbabel_job.sh"
[ "$have_gpsbabel" = 1 ] || echo "gpsbabel missing: Nodalux timed alone"

write_job_input
write_expected_group
printf 'menu 40002\nfile in.csv\nmenu 40003\nfile nodalux.ov2\nclose\n' > ov2.script
run_nodalux() { ZARVPLATFORM=headless ZARVSCRIPT=ov2.script "$nodalux" >/dev/null 2>&1; }
check_nodalux() { check_group_in nodalux.ov2 Nodalux; }
clean() { rm -f nodalux.ov2 nodalux.bmp babel.ov2 babel.bmp; }

: > nodalux.times; : > gpsbabel.times
for _ in $(seq "$pairs"); do
  clean; micros run_nodalux >> nodalux.times; check_nodalux
  if [ "$have_gpsbabel" = 1 ]; then
    clean; micros run_gpsbabel >> gpsbabel.times; check_gpsbabel
  fi
done

n_ms=$(median nodalux.times)
n_warm_ms=$(back_to_back run_nodalux check_nodalux clean "$pairs")
clean
n_kib=$(ZARVPLATFORM=headless ZARVSCRIPT=ov2.script peak_kib "$nodalux")
check_nodalux
echo "job: 30000 POI in, $group in the circle, saved as OV2; $pairs interleaved pairs"
printf '%-14s median %s ms wall, peak %s KiB\n' "nodalux:" "$n_ms" "$n_kib"
printf '%-14s median %s ms wall when its runs follow one another\n' "" "$n_warm_ms"
if [ "$have_gpsbabel" = 1 ]; then clean; report_gpsbabel Nodalux "$n_ms"; fi
[ "$fail" = 0 ] && echo "every run wrote the expected output" || echo "FAIL: some runs did not do the work"
exit $fail
