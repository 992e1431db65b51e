#!/usr/bin/env bash
# The nodalux-batch program as a script sees it: exit statuses, one-line
# messages on standard error, what is on standard output, and which files
# exist afterwards. After every failure no output file may exist, and an
# output that existed before must be exactly as it was.
#
#   cli_test.sh PROGRAM   (the program in its program folder, beside the
#                          converter and the symbol bitmap)
set -uo pipefail
program=$(realpath "$1")
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir tmp
export TMPDIR=$scratch/tmp ZARVREGISTRY=$scratch/registry.sqlite
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect STATUS STDOUT-PATTERN STDERR-EXACT ARGS...
expect() {
  local want_status=$1 want_out=$2 want_err=$3
  shift 3
  "$program" "$@" >out.txt 2>err.txt
  local status=$?
  local err
  err=$(cat err.txt)
  local ok=1
  [ "$status" -eq "$want_status" ] || ok=0
  [ "$err" = "$want_err" ] || ok=0
  if [ -n "$want_out" ]; then
    grep -q -- "$want_out" out.txt || ok=0
  elif [ -s out.txt ]; then
    ok=0
  fi
  if [ "$ok" -eq 0 ]; then
    fail "nodalux-batch $*"
    echo "  status $status (want $want_status)"
    echo "  stdout: $(head -c 200 out.txt)"
    echo "  stderr: $err"
    echo "  want:   $want_err"
  fi
}

# Nothing of ours is left in the temporary folder.
no_temp_files() {
  if [ -n "$(ls -A tmp)" ]; then fail "temporary files left: $(ls -A tmp)"; rm -f tmp/*; fi
}

printf 'Longitude,Latitude,Name\r\n-0.12345,51.5,"Kew"\r\n2.35,48.85,"Paris"\r\n' > two.csv
printf 'Longitude,Latitude,Name\n-0.1,51.5,"ok"\n-0.2,abc,"bad"\n' > bad.csv
printf 'Name,Latitude\n1,2\n' > notcsv.csv
# One OV2 POI record (type 2, 17 bytes: Kew at -0.12345, 51.5), then type 9.
printf '\x02\x11\x00\x00\x00\xc7\xcf\xff\xff\x30\x95\x4e\x00Kew\x00\x09' > badtype.ov2
echo "the old output" > keep.csv
cp keep.csv keep.before

# Help, version and usage errors.
expect 0 '^Usage: nodalux-batch' '' --help
expect 0 '^Usage: nodalux-batch' '' -o out.csv in.csv -h
expect 0 '^nodalux-batch [0-9]' '' --version
expect 2 '' 'nodalux-batch: no input file: name at least one'
expect 2 '' "nodalux-batch: unknown option '--bogus'" --bogus -o out.csv two.csv
expect 2 '' 'nodalux-batch: --centre: the latitude has both a hemisphere letter and a sign: give one' \
  --centre N-51.5,W0.5 -o out.csv two.csv
expect 2 '' "nodalux-batch: -r: the radius '-3' is negative" -r -3 -o out.csv two.csv
expect 2 '' "nodalux-batch: the output 'two.csv' is also an input" -o two.csv two.csv
ln -s two.csv link.csv
expect 2 '' "nodalux-batch: the output 'link.csv' is also an input" -o link.csv two.csv
expect 2 '' "nodalux-batch: --format gpx does not match the output 'out.csv', which names csv (--format is for -o -)" \
  --format gpx -o out.csv two.csv

# Inputs that cannot be read: status 1, the place and the desktop program's
# words, nothing written.
expect 1 '' 'nodalux-batch: missing.csv: Cannot open file: No such file or directory' \
  --all -o out.csv two.csv missing.csv
expect 1 '' "nodalux-batch: bad.csv:3: Error reading POI record: '-0.2,abc,\"bad\"' (Correct format is: Longitude, Latitude,\"Description\")" \
  --all -o out.csv two.csv bad.csv
expect 1 '' 'nodalux-batch: notcsv.csv:1: This file contains records that are not in AutoRoute CSV format.' \
  --all -o out.csv notcsv.csv
expect 1 '' 'nodalux-batch: badtype.ov2: byte 17: Unsupported record type: 9' --all -o out.csv badtype.ov2
mkfifo pipe.csv
expect 1 '' 'nodalux-batch: pipe.csv: Cannot read from a named pipe: Only a file can hold POI.' \
  --all -o out.csv pipe.csv
expect 1 '' 'nodalux-batch: .: Cannot open file: Is a directory' --all -o keep.csv .
expect 1 '' "nodalux-batch: out.csv: Null subset: Nothing to output. Select a different input file or change the group definition." \
  -c 0,0 -r 1 -o out.csv two.csv
[ -e out.csv ] && fail "out.csv was written after a failure"
cmp -s keep.csv keep.before || fail "keep.csv changed after a failure"

# Outputs that cannot be written: status 1, the file named, the old file kept.
expect 1 '' 'nodalux-batch: nofolder/out.csv: Cannot create file: No such file or directory' \
  --all -o nofolder/out.csv two.csv
mkdir folder.csv
expect 1 '' 'nodalux-batch: folder.csv: Cannot create file: Is a directory' --all -o folder.csv two.csv
"$program" --all -o - two.csv >/dev/full 2>err.txt
status=$?
[ "$status" -eq 1 ] && [ "$(cat err.txt)" = 'nodalux-batch: standard output: Cannot write file: No space left on device' ] ||
  fail "-o - into a full disk: status $status, $(cat err.txt)"
if [ "$(id -u)" -ne 0 ]; then  # permissions bind everybody but root
  mkdir locked && cp keep.csv locked/keep.csv && chmod a-w locked
  expect 1 '' 'nodalux-batch: locked/keep.csv: Cannot create file: Permission denied' \
    --all -o locked/keep.csv two.csv
  cmp -s locked/keep.csv keep.before || fail "locked/keep.csv changed"
fi
no_temp_files

# The job itself.
expect 0 '^2$' '' --all --count two.csv
expect 0 '^1$' '' -c N51.5,W0.1 -r 10 --count two.csv
expect 0 '^-0.12345,51.50000,"Kew"' '' -c 51.5,-0.1 -r 10 -o - two.csv
expect 0 '<name>Paris</name>' '' --all --format gpx -o - two.csv
expect 0 '' "nodalux-batch: Input from ... two.csv
nodalux-batch: 2 points read
nodalux-batch: Centre: N  51.50000, W  0.10000, Radius: 10.00
nodalux-batch: Number of POI in group: 1
nodalux-batch: Output to ... keep.csv
nodalux-batch: 1 points written" -c 51.5,-0.1 -r 10 -v -o keep.csv two.csv
printf 'Longitude,Latitude,Name\r\n-0.12345,51.50000,"Kew"\r\n' | cmp -s - keep.csv || fail "keep.csv: $(cat keep.csv)"
expect 0 '' '' --all -o maps.OV2 two.csv
[ -s maps.OV2 ] || fail "no OV2 file"
cmp -s maps.bmp "$(dirname "$program")/default_symbol.bmp" || fail "no symbol bitmap beside maps.OV2"
expect 0 '' '' --all -o near.csv maps.OV2
printf 'Longitude,Latitude,Name\r\n-0.12345,51.50000,"Kew"\r\n2.35000,48.85000,"Paris"\r\n' |
  cmp -s - near.csv || fail "the OV2 file read back: $(cat near.csv)"
# A symbol bitmap the user has is kept.
echo mine > maps.bmp
expect 0 '' '' --all -o maps.ov2 two.csv
[ "$(cat maps.bmp)" = mine ] || fail "the user's symbol bitmap was replaced"
# The file cut inside a record: read as far as it goes, with a warning.
head -c 20 maps.ov2 > cut.ov2
expect 0 '^0$' 'nodalux-batch: warning: cut.ov2: byte 0: the file ends inside a record, which is left out' \
  --all --count cut.ov2
no_temp_files

# Without the converter beside it, OV2 cannot be written; CSV still can.
mkdir alone
cp "$program" alone/
program=$scratch/alone/nodalux-batch
expect 1 '' "nodalux-batch: $scratch/alone/MakeOV2_v1-1.exe: File missing: copy the file MakeOV2_v1-1.exe into the same folder as the program nodalux-batch." \
  --all -o alone.ov2 two.csv
[ -e alone.ov2 ] && fail "alone.ov2 was written"
expect 0 '' '' --all -o alone.csv two.csv

# A closed standard output is an error, not silence.
"$program" --help >&- 2>/dev/null
if [ $? -eq 0 ]; then
  fail "--help into a closed standard output reported success"
fi

[ "$failures" -eq 0 ] && echo "all nodalux-batch command-line checks passed"
exit "$failures"
