#!/usr/bin/env bash
# Runs the program under one script and compares its transcript (and any
# expected output files) with the golden ones.
#
#   run_script_test.sh PROGRAM_DIR REGTOOL NAME SCRIPT_DIR [qt]
#
# The run happens in a fresh work folder holding the files of
# SCRIPT_DIR/data/NAME/ (if any). NAME.setup, when present, is a list of
# registry values to store first ("VALUE_NAME TEXT" lines, TEXT quoted).
# Paths of the work folder become $WORK in the transcript. NAME.transcript
# is the expected transcript; NAME.files lists output files whose contents
# must equal SCRIPT_DIR/expected/NAME/<file>. NAME.registry, when present,
# holds the registry values expected after the run. NAME.env, when present,
# holds VAR=VALUE lines exported just before the program starts.
# With "qt" the Qt backend runs offscreen (QT_QPA_PLATFORM may choose
# another platform) and must write the same transcript, notes and beeps
# included; every text it puts in the status bar, the client area or a
# dialog field must also fit on screen whole (ZARVVISIBLE lists any that do
# not). NODALUX_QT_FONT_DPI, when set, runs Qt with fonts at that DPI.
set -euo pipefail
program_dir=$1 regtool=$2 name=$3 script_dir=$4 backend=${5:-headless}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program folder is copied so that tests can remove companion files.
cp -r "$program_dir" "$work/program"
mkdir "$work/run"
if [ -d "$script_dir/data/$name" ]; then cp -r "$script_dir/data/$name/." "$work/run/"; fi
[ -f "$script_dir/$name.prepare" ] && (cd "$work" && bash "$script_dir/$name.prepare")

export ZARVREGISTRY="$work/registry.sqlite"
export XDG_CONFIG_HOME="$work/config"
unset ZARVDEBUG
if [ -f "$script_dir/$name.env" ]; then
  while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; esac
    export "${line%%=*}=${line#*=}"
  done < "$script_dir/$name.env"
fi
if [ -f "$script_dir/$name.setup" ]; then
  while IFS= read -r line; do
    [ -z "$line" ] && continue
    "$regtool" put "${line%% *}" "${line#* }"
  done < "$script_dir/$name.setup"
fi

export ZARVSCRIPT="$script_dir/$name.script"
export ZARVTRANSCRIPT="$work/transcript"
if [ "$backend" = qt ]; then
  export ZARVPLATFORM=qt QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
  export ZARVVISIBLE="$work/cut-off"
  [ -n "${NODALUX_QT_FONT_DPI:-}" ] && export QT_FONT_DPI="$NODALUX_QT_FONT_DPI"
  [ -n "${NODALUX_SCREENSHOTS:-}" ] && export ZARVSCREENSHOTS="$NODALUX_SCREENSHOTS/$name" && mkdir -p "$ZARVSCREENSHOTS"
else
  export ZARVPLATFORM=headless
fi

normalise() { sed -e "s|$work/run|\$WORK|g" -e "s|$work/program|\$PROGRAM|g" -e "s|$work|\$TMP|g" "$1"; }

status=0
limit=${NODALUX_SCRIPT_TIMEOUT:-120}
(cd "$work/run" && timeout "$limit" "$work/program/nodalux") >"$work/stdout" 2>"$work/stderr" || status=$?
if [ "$status" -eq 124 ]; then
  echo "nodalux was still running after $limit s; the last transcript line before it stuck:"
  tail -n 1 "$work/transcript" 2>/dev/null | normalise /dev/stdin || true
  cat "$work/stderr"
elif [ "$status" -ne 0 ]; then
  echo "nodalux exited with $status"; cat "$work/stderr"
fi

fail=0
if [ ! -f "$script_dir/$name.transcript" ]; then
  echo "no reviewed transcript $name.transcript; this run wrote:"; normalise "$work/transcript"; fail=1
elif ! diff -u "$script_dir/$name.transcript" <(normalise "$work/transcript") > "$work/diff"; then
  echo "transcript differs ($backend):"; cat "$work/diff"; fail=1
fi
if [ -s "$work/cut-off" ]; then
  echo "texts cut off on screen ($backend):"; normalise "$work/cut-off"; fail=1
fi
if [ -f "$script_dir/$name.files" ]; then
  while IFS= read -r f; do
    [ -z "$f" ] && continue
    if ! cmp -s "$script_dir/expected/$name/$f" "$work/run/$f"; then
      echo "output file $f differs"; fail=1
    fi
  done < "$script_dir/$name.files"
fi
if [ -f "$script_dir/$name.registry" ] && [ "$backend" != qt ]; then
  "$regtool" dump > "$work/registry.txt"
  if ! diff -u "$script_dir/$name.registry" <(normalise "$work/registry.txt") > "$work/rdiff"; then
    echo "registry differs:"; cat "$work/rdiff"; fail=1
  fi
fi
if [ "${NODALUX_KEEP_TRANSCRIPT:-}" != "" ]; then
  normalise "$work/transcript" > "$NODALUX_KEEP_TRANSCRIPT"
  "$regtool" dump > "$work/registry.txt" && normalise "$work/registry.txt" > "$NODALUX_KEEP_TRANSCRIPT.registry"
fi
exit $fail
