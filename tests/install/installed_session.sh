# Shell functions shared by the install tests: one short session of the
# program as a user runs it (open a CSV file, save the group as CSV and as
# OV2, open the OV2 file again, show the help, exit), and the checks of its
# transcript and of the files it wrote. Sourced, not run.

# Writes the input file and the script into the folder $1.
make_session() {
  local dir=$1
  mkdir -p "$dir"
  printf '%s\r\n' 'Longitude,Latitude,Name' \
    '-0.12345,51.50000,"Kew, Gardens"' \
    '-0.14,51.50,"Buckingham"' \
    '0.0,51.47604,"Greenwich"' \
    '; a comment line' \
    '0.1,51.3,"Sevenoaks"' \
    '-1.26,51.75,"Oxford"' \
    '1.08,51.28,"Canterbury"' \
    '-2.59,51.45,"Bristol"' > "$dir/pubs.csv"
  cat > "$dir/session.script" <<'SCRIPT'
menu 40002
file pubs.csv
menu 40003
file group.csv
menu 40003
file group.ov2
menu 40002
file group.ov2
menu 40004
menu 40005
SCRIPT
}

# run_session PROGRAM DIR BACKEND: runs PROGRAM (a path or a name found
# along PATH) in DIR under its script, with a settings store of its own.
run_session() {
  local program=$1 dir=$2 backend=$3 status=0
  (
    cd "$dir"
    export ZARVPLATFORM=$backend ZARVSCRIPT=session.script ZARVTRANSCRIPT=transcript
    export ZARVREGISTRY="$dir/registry.sqlite" XDG_CONFIG_HOME="$dir/config"
    unset ZARVDEBUG
    [ "$backend" = qt ] && export QT_QPA_PLATFORM=offscreen
    exec timeout 120 "$program"
  ) >"$dir/stdout" 2>"$dir/stderr" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL: $program ($backend) exited with $status"; cat "$dir/stderr"
    return 1
  fi
}

# check_session DIR FOLDER: the transcript and the files of a session run
# in DIR by the program whose program folder is FOLDER (ending in /).
check_session() {
  local dir=$1 folder=$2 fail=0
  local t="$dir/transcript"
  # Text lines are matched whatever their position in the window.
  expect_text() {
    if ! grep -qE "^text [0-9]+ [0-9]+ \"$1\"\$" "$t"; then echo "FAIL: $dir: no text line: $1"; fail=1; fi
  }
  expect_line() {
    if ! grep -qxF -- "$1" "$t"; then echo "FAIL: $dir: no line: $1"; fail=1; fi
  }
  expect_text '7 points read'
  expect_text '7 points read\.       4 added to new group'
  expect_line "run \"${folder}MakeOV2_v1-1 makeov2.tmp \\\"$dir/group.ov2\\\"\" 3 -> 32"
  expect_text 'Default symbol file copied to \.\.\. .*/group\.bmp'
  expect_text '4 points read\.       4 added to new group'
  expect_line "help \"${folder}Nodalux.hlp\""
  expect_line 'help close'
  [ "$(tail -n1 "$t")" = 'exit 0' ] || { echo "FAIL: $dir: the run did not end with exit 0"; fail=1; }
  [ "$(grep -c ' "4 points written"$' "$t")" = 2 ] || { echo "FAIL: $dir: not two saves of 4 POI"; fail=1; }
  if grep -q '^box ' "$t"; then echo "FAIL: $dir: a message box appeared"; grep '^box ' "$t"; fail=1; fi

  if ! printf '%s\r\n' 'Longitude,Latitude,Name' \
      '-0.12345,51.50000,"Kew, Gardens"' \
      '-0.14000,51.50000,"Buckingham"' \
      '0.00000,51.47604,"Greenwich"' \
      '0.10000,51.30000,"Sevenoaks"' | cmp -s - "$dir/group.csv"; then
    echo "FAIL: $dir/group.csv is not the group"; fail=1
  fi
  # Four POI records (type 2, 13 bytes and the name with its NUL): the
  # names are the ones saved.
  local size
  size=$(stat -c %s "$dir/group.ov2" 2>/dev/null || echo 0)
  [ "$size" -ge $((4 * 14)) ] || { echo "FAIL: $dir/group.ov2 holds $size bytes"; fail=1; }
  for name in 'Kew, Gardens' Buckingham Greenwich Sevenoaks; do
    grep -qaF "$name" "$dir/group.ov2" || { echo "FAIL: $dir/group.ov2 lacks $name"; fail=1; }
  done
  cmp -s "$dir/group.bmp" "${folder}default_symbol.bmp" ||
    { echo "FAIL: $dir/group.bmp is not the default symbol"; fail=1; }
  [ ! -e "$dir/makeov2.tmp" ] || { echo "FAIL: $dir/makeov2.tmp left behind"; fail=1; }
  return $fail
}

# same_on_qt DIR_HEADLESS DIR_QT: the lines both backends must agree on.
same_on_qt() {
  local keep='^(status|text|box|file|exit|help|run) '
  if ! diff -u <(grep -E "$keep" "$1/transcript" | sed "s|$1|\$WORK|g") \
               <(grep -E "$keep" "$2/transcript" | sed "s|$2|\$WORK|g"); then
    echo "FAIL: the Qt backend's transcript differs from the headless one"
    return 1
  fi
}
