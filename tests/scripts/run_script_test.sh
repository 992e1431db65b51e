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
# must equal SCRIPT_DIR/expected/NAME/<file> (a line "FILE<tab>EXPECTED"
# compares FILE with SCRIPT_DIR/expected/NAME/EXPECTED instead, for names
# that are better not kept in the repository; "FILE<tab>-" says that FILE
# must not be there after the run). NAME.registry, when present,
# holds the registry values expected after the run. NAME.env, when present,
# holds VAR=VALUE lines exported just before the program starts.
# Every file, link and folder the work folder held before the run must be
# there afterwards as it was, and nothing may have been added, except the
# files NAME.files names. NAME.new, when present, lists further files the
# run may make or change without comparing them (one path a line).
# NAME.unprivileged, when present, runs the program as the user nobody when
# the test runs as root, so that file permissions hold as they do for a user.
# With "qt" the Qt backend runs offscreen (QT_QPA_PLATFORM may choose
# another platform) and must write the same transcript, notes and beeps
# included; every text it puts in the status bar, the client area or a
# dialog field must also fit on screen whole (ZARVVISIBLE lists any that do
# not, and NAME.cutoff those a reviewer accepted as cut off, one a line as
# the report starts it, up to ": needs"). NODALUX_QT_FONT_DPI, when set, runs
# Qt with fonts at that DPI.
set -euo pipefail
program_dir=$1 regtool=$2 name=$3 script_dir=$4 backend=${5:-headless}

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
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

# What the run folder holds, one entry a line: its path (quoted as the
# shell quotes it) and, after a tab, a file's checksum, a link's target or
# the kind of anything else.
snapshot() {
  (cd "$work/run" && find . -mindepth 1 -printf '%y %p\0' | sort -z |
    while IFS= read -r -d '' entry; do
      kind=${entry%% *} path=${entry#* }
      case $kind in
        f) sum=$(sha256sum < "$path" 2>/dev/null) || sum=unreadable
           printf '%q\t%s\n' "$path" "${sum%% *}" ;;
        l) printf '%q\tlink to %q\n' "$path" "$(readlink "$path")" ;;
        *) printf '%q\t%s\n' "$path" "$kind" ;;
      esac
    done)
}
snapshot > "$work/before"

run_as=()
if [ -f "$script_dir/$name.unprivileged" ] && [ "$(id -u)" = 0 ]; then
  chown -R nobody:nogroup "$work"
  chmod 755 "$work"
  mkdir -p "$work/home" && chown nobody:nogroup "$work/home"
  export HOME="$work/home"
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
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
if [ ${#run_as[@]} -gt 0 ] && [ -n "${ZARVSCREENSHOTS:-}" ]; then chown nobody:nogroup "$ZARVSCREENSHOTS"; fi

normalise() { sed -e "s|$work/run|\$WORK|g" -e "s|$work/program|\$PROGRAM|g" -e "s|$work|\$TMP|g" "$1"; }

status=0
limit=${NODALUX_SCRIPT_TIMEOUT:-120}
(cd "$work/run" && timeout "$limit" "${run_as[@]}" "$work/program/nodalux") >"$work/stdout" 2>"$work/stderr" || status=$?
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
  accepted=$script_dir/$name.cutoff
  [ -f "$accepted" ] || accepted=/dev/null
  unexpected=$(normalise "$work/cut-off" | while IFS= read -r report; do
    grep -qxF -- "${report%%: needs *}" "$accepted" || printf '%s\n' "$report"
  done)
  if [ -n "$unexpected" ]; then
    echo "texts cut off on screen ($backend):"; printf '%s\n' "$unexpected"; fail=1
  fi
fi
if [ -f "$script_dir/$name.files" ]; then
  while IFS= read -r f; do
    [ -z "$f" ] && continue
    expected=${f#*$'\t'} f=${f%%$'\t'*}
    if [ "$expected" = - ]; then
      if [ -e "$work/run/$f" ] || [ -L "$work/run/$f" ]; then echo "$f is still there"; fail=1; fi
    elif ! cmp -s "$script_dir/expected/$name/$expected" "$work/run/$f"; then
      echo "output file $f differs"; fail=1
    fi
  done < "$script_dir/$name.files"
fi
# Files the run may change: the expected outputs and NAME.new.
allowed=
for list in "$script_dir/$name.files" "$script_dir/$name.new"; do
  [ -f "$list" ] || continue
  while IFS= read -r f; do [ -n "$f" ] && allowed+=$(printf '%q' "./${f%%$'\t'*}")$'\n'; done < "$list"
done
snapshot > "$work/after"
while IFS=$'\t' read -r path what; do
  grep -qxF -- "$path" <<< "$allowed" && continue
  if ! grep -qxF -- "$path"$'\t'"$what" "$work/after"; then
    echo "$path was changed or removed"; fail=1
  fi
done < "$work/before"
before_paths=$(cut -f1 "$work/before")
while IFS=$'\t' read -r path what; do
  grep -qxF -- "$path" <<< "$allowed" && continue
  if ! grep -qxF -- "$path" <<< "$before_paths"; then
    echo "$path was made by the run"; fail=1
  fi
done < "$work/after"

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
