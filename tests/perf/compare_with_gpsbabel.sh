#!/usr/bin/env bash
# Whole-process comparison: Nodalux (headless) opens a 30000-POI AutoRoute
# CSV file, selects the POI within 30 miles of the default centre and saves
# them as OV2; GPSBabel does the same job (unicsv in, radius filter, tomtom
# out). Prints the best of five runs of each, and fails when Nodalux needs
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

run_nodalux() {
  rm -f nodalux.ov2 nodalux.bmp
  ZARVPLATFORM=headless ZARVSCRIPT=job.script ZARVREGISTRY="$work/reg.sqlite" \
    /usr/bin/time -f "%e %M" -o t.txt "$program_dir/nodalux" >/dev/null 2>&1
  cat t.txt
}
run_gpsbabel() {
  rm -f babel.ov2
  /usr/bin/time -f "%e %M" -o t.txt gpsbabel -i unicsv -f in.csv \
    -x radius,lat=51.47604,lon=0,distance=30M -o tomtom -F babel.ov2 >/dev/null 2>&1
  cat t.txt
}

best() {  # prints "seconds kib" of the fastest of five runs
  local fn=$1 best_t="" best_m=0
  for _ in 1 2 3 4 5; do
    read -r t m < <($fn)
    if [ -z "$best_t" ] || awk -v a="$t" -v b="$best_t" 'BEGIN{exit !(a<b)}'; then best_t=$t; fi
    [ "$m" -gt "$best_m" ] && best_m=$m
  done
  echo "$best_t $best_m"
}

read -r n_t n_m < <(best run_nodalux)
read -r g_t g_m < <(best run_gpsbabel)
n_count=$(stat -c %s nodalux.ov2 2>/dev/null || echo 0)
g_count=$(stat -c %s babel.ov2 2>/dev/null || echo 0)
echo "nodalux:  ${n_t} s, peak ${n_m} KiB, OV2 ${n_count} bytes"
echo "gpsbabel: ${g_t} s, peak ${g_m} KiB, OV2 ${g_count} bytes"
ratio=$(awk -v n="$n_t" -v g="$g_t" 'BEGIN { if (n < 0.001) n = 0.001; printf "%.1f", g / n }')
echo "nodalux is ${ratio} times as fast"

fail=0
if [ "$n_count" -eq 0 ]; then echo "nodalux wrote no OV2 file"; fail=1; fi
if [ "$n_m" -gt 32768 ]; then echo "peak memory above 32 MiB"; fail=1; fi
if awk -v r="$ratio" -v m="$min_ratio" 'BEGIN{exit !(r < m)}'; then
  echo "slower than ${min_ratio} times gpsbabel's speed"; fail=1
fi
exit $fail
