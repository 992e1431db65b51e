#!/usr/bin/env bash
# Whole-process comparison: Nodalux (headless) opens a 30000-POI AutoRoute
# CSV file, selects the POI within 30 miles of the default centre and saves
# them as OV2; GPSBabel does the same job (unicsv in, radius filter, tomtom
# out). Prints the best of five rounds of each, and fails when Nodalux needs
# more than 32 MiB or is not at least MIN_RATIO times faster.
#
#   compare_with_gpsbabel.sh PROGRAM_DIR [MIN_RATIO]
set -euo pipefail
program_dir=$1 min_ratio=${2:-5}
if ! command -v gpsbabel >/dev/null || [ ! -x /usr/bin/time ]; then
  echo "gpsbabel or /usr/bin/time missing: comparison skipped"; exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# 30000 POI spread over south-east England, about a fifth inside the circle.
awk 'BEGIN {
  print "Longitude,Latitude,Name"
  seed = 12345
  for (i = 1; i <= 30000; i++) {
    seed = (seed * 1103515245 + 12345) % 2147483648; lon = -2.0 + 4.0 * seed / 2147483648
    seed = (seed * 1103515245 + 12345) % 2147483648; lat = 50.5 + 2.0 * seed / 2147483648
    printf "%.5f,%.5f,\"POI number %d\"\n", lon, lat, i
  }
}' > in.csv

cat > job.script <<'SCRIPT'
menu 40002
file in.csv
menu 40003
file nodalux.ov2
close
SCRIPT

# Each job replaces its own output (Nodalux deletes the old overlay first).
run_nodalux() {
  ZARVPLATFORM=headless ZARVSCRIPT=job.script ZARVREGISTRY="$work/reg.sqlite" \
    "$program_dir/nodalux" >/dev/null 2>&1
}
run_gpsbabel() {
  gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M -o tomtom -F babel.ov2 \
    >/dev/null 2>&1
}

# Processor time (user + system, the job's child processes included) per
# run in milliseconds, over ten runs: unlike wall time it does not depend on
# what else the machine is doing.
millis_per_run() {
  local fn=$1
  (
    for _ in 1 2 3 4 5 6 7 8 9 10; do $fn; done
    times > cpu.txt  # not in a pipe: a pipe would run it in a fresh subshell
    awk 'NR == 2 {
      split($1, u, /[ms]/); split($2, s, /[ms]/)
      printf "%d\n", ((u[1] * 60 + u[2]) + (s[1] * 60 + s[2])) * 100
    }' cpu.txt
  )
}
peak_kib() {
  /usr/bin/time -f "%M" -o t.txt "$@" >/dev/null 2>&1 || true
  cat t.txt
}

n_ms=$(millis_per_run run_nodalux)
g_ms=$(millis_per_run run_gpsbabel)
n_m=$(ZARVPLATFORM=headless ZARVSCRIPT=job.script ZARVREGISTRY="$work/reg.sqlite" \
  peak_kib "$program_dir/nodalux")
g_m=$(peak_kib gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M \
  -o tomtom -F babel.ov2)
n_count=$(stat -c %s nodalux.ov2 2>/dev/null || echo 0)
g_count=$(stat -c %s babel.ov2 2>/dev/null || echo 0)
echo "nodalux:  ${n_ms} ms processor time per run, peak ${n_m} KiB, OV2 ${n_count} bytes"
echo "gpsbabel: ${g_ms} ms processor time per run, peak ${g_m} KiB, OV2 ${g_count} bytes"
ratio=$(awk -v n="$n_ms" -v g="$g_ms" 'BEGIN { if (n < 1) n = 1; printf "%.1f", g / n }')
echo "nodalux is ${ratio} times as fast"

fail=0
if [ "$n_count" -eq 0 ]; then echo "nodalux wrote no OV2 file"; fail=1; fi
if [ "$n_m" -gt 32768 ]; then echo "peak memory above 32 MiB"; fail=1; fi
if awk -v r="$ratio" -v m="$min_ratio" 'BEGIN{exit !(r < m)}'; then
  echo "slower than ${min_ratio} times gpsbabel's speed"; fail=1
fi
exit $fail
