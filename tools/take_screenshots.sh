#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the real program under a
# real window manager (Xvfb and Openbox, title bars included), driven by a
# person's keys: the "Null subset" box, the main window with a file loaded,
# the group dialog and the About box.
#
#   tools/take_screenshots.sh [PROGRAM_DIR] [OUTPUT_DIR]
#
# PROGRAM_DIR defaults to build/dist, OUTPUT_DIR to docs/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec "$root/tests/toolkit/platform/qt/with_window_manager.sh" "$0" "$@"
fi
program_dir=$(realpath "${1:-$root/build/dist}")
out=$(realpath "${2:-$root/docs/screenshots}")
for tool in xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

work=$(mktemp -d)
trap 'kill "$program" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/run/POI files"
cp "$root/tests/scripts/data/common/pubs.csv" "$work/run/POI files/pubs.csv"
export ZARVPLATFORM=qt ZARVREGISTRY="$work/registry.sqlite" XDG_CONFIG_HOME="$work/config"
export ZARVTRANSCRIPT="$work/transcript"
unset ZARVSCRIPT ZARVDEBUG
(cd "$work/run" && exec "$program_dir/nodalux") >"$work/log" 2>&1 &
program=$!

window_named() {  # the visible window whose title is $1, waiting for it
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "no window \"$1\""; cat "$work/log"; exit 1; }
  xdotool windowactivate --sync "$id"
  sleep 0.5  # painted
  echo "$id"
}
shot() {  # shot WINDOW FILE: the window with its frame
  import -frame -window "$1" "$out/$2"
  echo "$out/$2"
}

main=$(window_named Nodalux)
xdotool key --delay 150 alt+f s
box=$(window_named "Null subset")
shot "$box" message-box.png
xdotool key Return

xdotool key --delay 150 alt+f o
dialog=$(window_named "Open File")
xdotool type --delay 20 "POI files/pubs.csv"
xdotool key Return
for _ in $(seq 100); do grep -q 'added to new group' "$work/transcript" && break; sleep 0.1; done
main=$(window_named Nodalux)
shot "$main" main-window.png

xdotool key --delay 150 alt+o Down Return
group=$(window_named "Circular POI group definition")
shot "$group" dialog-102-group.png
xdotool key Escape

main=$(window_named Nodalux)
xdotool key --delay 150 alt+h a
about=$(window_named About)
shot "$about" dialog-101-about.png
xdotool key Return
