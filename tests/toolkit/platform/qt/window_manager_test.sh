#!/usr/bin/env bash
# The real program on a real X server with a real window manager, driven
# from outside as a person would: the File menu by its mnemonics, a file
# typed into Qt's file dialog, then maximise and restore through the window
# manager (wmctrl) and the close box.
#
#   with_window_manager.sh window_manager_test.sh PROGRAM_DIR DATA_FILE
#
# Checks that the frame offers maximising but no sizing border, that
# maximising reaches the program as a resize with every list line redrawn at
# the new scale, that restoring gives the original size back, and that the
# close request ends the run.
set -eEuo pipefail
program_dir=$1 data_file=$2

[ -n "${DISPLAY:-}" ] || { echo "run under with_window_manager.sh"; exit 1; }
for tool in wmctrl xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "missing $tool (tools/install_deps.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
program=""
trap 'if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi; wait; rm -rf "$work"' EXIT

mkdir "$work/run"
cp "$data_file" "$work/run/pubs.csv"
export ZARVPLATFORM=qt QT_QPA_PLATFORM=xcb
export ZARVREGISTRY="$work/registry.sqlite" XDG_CONFIG_HOME="$work/config"
export ZARVTRANSCRIPT="$work/transcript" ZARVVISIBLE="$work/cut-off"
unset ZARVSCRIPT ZARVDEBUG QT_FONT_DPI
(cd "$work/run" && exec "$program_dir/nodalux") >"$work/stdout" 2>"$work/stderr" &
program=$!

fail() {  # to standard error: it may be called inside $(...)
  {
    echo "FAIL: $*"
    echo "--- transcript"; cat "$work/transcript" 2>/dev/null || true
    echo "--- stderr"; cat "$work/stderr"
    echo "--- windows the window manager knows"; wmctrl -l 2>&1 || true
  } >&2
  exit 1
}
# A tool that fails ends the test the same way, saying which step it was.
trap 'fail "line $LINENO: \"$BASH_COMMAND\" ended with status $?"' ERR
# Waits up to 20 s for a transcript line matching the pattern, counted from
# line $2 on.
wait_line() {
  local pattern=$1 from=${2:-1}
  for _ in $(seq 200); do
    tail -n +"$from" "$work/transcript" 2>/dev/null | grep -qE "$pattern" && return 0
    sleep 0.1
  done
  fail "no transcript line like /$pattern/"
}
lines() { wc -l < "$work/transcript"; }
# The ids of the visible windows named like /$1/, once there are at least $2.
visible_named() {
  local ids=""
  for _ in $(seq 100); do
    ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)
    [ -n "$ids" ] && [ "$(wc -l <<<"$ids")" -ge "$2" ] && break
    sleep 0.1
  done
  [ -n "$ids" ] && [ "$(wc -l <<<"$ids")" -ge "$2" ] || fail "fewer than $2 windows named /$1/"
  echo "$ids"
}
geometry() { xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

wait_line '^status 2 '
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Nodalux$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the window never showed"

# The frame: no sizing border, and the window manager offers maximising.
hints=$(xprop -id "$window" _MOTIF_WM_HINTS | sed 's/.*= //')
IFS=', ' read -r -a h <<<"$hints"
(( (h[1] & 16) && (h[1] & 32) )) || fail "window manager functions $hints"
(( (h[2] & 64) && !(h[2] & 4) )) || fail "window manager decorations $hints"
xprop -id "$window" _NET_WM_ALLOWED_ACTIONS | grep -q _NET_WM_ACTION_MAXIMIZE_HORZ ||
  fail "the window manager does not offer maximising: $(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)"

# File, Open, a name typed into the dialog: a person's keys, through the
# keyboard to the active window. (Keys sent to a named window fail when the
# press closes that window before the release is sent.)
xdotool windowactivate --sync "$window"
xdotool key --delay 100 alt+f o
dialog=$(visible_named '^Open File$' 1)
xdotool windowactivate --sync "$dialog"
xdotool type --delay 20 "pubs.csv"
# The first Return may only take the name the dialog's completion offers.
for _ in 1 2 3; do
  xdotool key Return
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name '^Open File$' 2>/dev/null || true)" ] && break 2
    sleep 0.1
  done
done
wait_line 'points read\. .* added to new group'
normal=$(geometry)

# Save over the file just read: the question whether to replace it comes
# once, from the program (the file dialog asks none of its own), and one Yes
# writes the file.
xdotool windowactivate --sync "$window"
xdotool key --delay 100 alt+f s
saver=$(visible_named '^Save File$' 1)
xdotool windowactivate --sync "$saver"
xdotool type --delay 20 "pubs.csv"
# The first Return may only take the name the dialog's completion offers.
question=""
for _ in 1 2 3; do
  xdotool key Return
  for _ in $(seq 30); do
    question=$(xdotool search --onlyvisible --name '^Save File$' 2>/dev/null | grep -vx "$saver" | head -n1 || true)
    [ -n "$question" ] && break 2
    sleep 0.1
  done
done
[ -n "$question" ] || fail "no question whether to replace pubs.csv"

xdotool windowactivate --sync "$question"
xdotool key alt+y
wait_line '^text .*Output to \.\.\. .*/pubs\.csv"$'
[ "$(grep -c 'already exists' "$work/transcript")" -eq 1 ] || fail "the replace question was not asked once"
grep -q '^box 3 3 2 "Save File" ".*/pubs.csv already exists.\\rDo you want to replace it?" -> 1$' "$work/transcript" ||
  fail "no replace question answered Yes"

# Maximise: one resize, the window cleared and its three lines redrawn.
from=$(( $(lines) + 1 ))
wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
wait_line '^clear 0 0 ' "$from"
sleep 1
maximised=$(geometry)
grow=$(tail -n +"$from" "$work/transcript" | grep -m1 '^clear 0 0 ')
read -r _ _ _ right bottom <<<"$grow"
(( right > 513 && bottom > 257 )) || fail "maximised client area is only $grow"
after=$(tail -n +"$from" "$work/transcript")
[ "$(grep -c '^text ' <<<"$after")" -ge 3 ] || fail "the list was not redrawn after maximising"
[ "$maximised" != "$normal" ] || fail "the window did not grow ($normal)"

# Restore: back to the size it had, the list redrawn at the layout's rows.
from=$(( $(lines) + 1 ))
wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
wait_line '^clear 0 0 513 257$' "$from"
wait_line '^text 5 61 ' "$from"
sleep 1
[ "$(geometry)" = "$normal" ] || fail "restored to $(geometry), not $normal"

# The close box.
wmctrl -i -c "$window"
wait_line '^exit 0$'
wait "$program" || fail "the program ended with status $?"
[ ! -s "$work/cut-off" ] || { cat "$work/cut-off"; fail "texts cut off on screen"; }
echo "normal $normal, maximised $maximised"
