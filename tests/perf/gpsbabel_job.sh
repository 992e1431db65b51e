# The job both GPSBabel comparisons time, and GPSBabel's side of it; sourced
# in the work folder after timing.sh, with $program_dir, $ov2_to_csv and
# $fail set.

have_gpsbabel=1
command -v gpsbabel >/dev/null || have_gpsbabel=0

# in.csv: 30000 POI spread over south-east England, about a tenth inside
# the circle of 30 miles around 51.47604,0.
write_job_input() {
  awk 'BEGIN {
    print "Longitude,Latitude,Name"
    seed = 12345
    for (i = 1; i <= 30000; i++) {
      seed = (seed * 1103515245 + 12345) % 2147483648; lon = -2.0 + 4.0 * seed / 2147483648
      seed = (seed * 1103515245 + 12345) % 2147483648; lat = 50.5 + 2.0 * seed / 2147483648
      printf "%.5f,%.5f,\"POI number %d\"\n", lon, lat, i
    }
  }' > in.csv
}

# expected.txt: the group the desktop program saves as CSV for the same
# job, sorted (the converter orders records by area); $group its size.
write_expected_group() {
  printf 'menu 40002\nfile in.csv\nmenu 40003\nfile reference.csv\nclose\n' > csv.script
  rm -f reference.csv
  ZARVPLATFORM=headless ZARVSCRIPT=csv.script "$program_dir/nodalux" >/dev/null 2>&1
  [ -s reference.csv ] || { echo "FAIL: the desktop program's CSV save wrote nothing"; exit 1; }
  tail -n +2 reference.csv | tr -d '\r' | LC_ALL=C sort > expected.txt
  group=$(wc -l < expected.txt)
  [ "$group" -gt 0 ] || { echo "FAIL: the reference group is empty"; exit 1; }
}

# Fails the run unless OV2 file $1 holds exactly the expected group; $2
# names the program that wrote it.
check_group_in() {
  if [ ! -s "$1" ]; then echo "FAIL: $2 wrote no OV2 file"; fail=1; return; fi
  if ! "$ov2_to_csv" "$1" > got.txt || ! LC_ALL=C sort got.txt | cmp -s - expected.txt; then
    echo "FAIL: $2's OV2 does not hold the $group POI of the CSV save"; fail=1
  fi
}

gpsbabel_job=(gpsbabel -i unicsv -f in.csv -x radius,lat=51.47604,lon=0,distance=30M
              -o tomtom -F babel.ov2)
run_gpsbabel() { "${gpsbabel_job[@]}" >/dev/null 2>&1; }
babel_group=0
check_gpsbabel() {
  local n
  n=$("$ov2_to_csv" babel.ov2 2>/dev/null | wc -l) || n=0
  if [ "$n" -eq 0 ]; then echo "FAIL: GPSBabel wrote no POI"; fail=1; fi
  babel_group=$n
}

# Prints GPSBabel's median and peak, and the ratio against $2 ms, the
# median of the program named $1. Call after removing babel.ov2.
report_gpsbabel() {
  local g_ms g_kib
  g_ms=$(median gpsbabel.times)
  g_kib=$(peak_kib "${gpsbabel_job[@]}")
  check_gpsbabel
  printf '%-14s median %s ms wall, peak %s KiB (%s POI: its circle is a great circle)\n' \
    "gpsbabel:" "$g_ms" "$g_kib" "$babel_group"
  awk -v n="$2" -v g="$g_ms" -v who="$1" \
    'BEGIN { if (n > 0) printf "ratio (GPSBabel time / %s time): %.1f\n", who, g / n }'
}
