#!/usr/bin/env bash
# Runs a command on a display of its own: Xvfb with the Openbox window
# manager, QT_QPA_PLATFORM=xcb. Both go away when the command ends.
#
#   with_window_manager.sh COMMAND [ARG...]
set -uo pipefail

for tool in Xvfb openbox wmctrl xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "missing $tool (tools/install_deps.sh installs it)"; exit 1; }
done

x_dir=$(mktemp -d)
# Home and XDG folders of its own, so that two of these runs at once share
# no settings, caches or window manager state.
mkdir -p "$x_dir/home" "$x_dir/config" "$x_dir/cache" "$x_dir/data" "$x_dir/runtime"
chmod 700 "$x_dir/runtime"
export HOME="$x_dir/home" XDG_CONFIG_HOME="$x_dir/config" XDG_CACHE_HOME="$x_dir/cache"
export XDG_DATA_HOME="$x_dir/data" XDG_RUNTIME_DIR="$x_dir/runtime"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$x_dir"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$x_dir/display" 2>"$x_dir/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$x_dir/display" ] && break; sleep 0.1; done
[ -s "$x_dir/display" ] || { echo "Xvfb did not start"; cat "$x_dir/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$x_dir/display")" QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Openbox now and then finds the new display not yet taking clients: try
# again a few times.
for _ in 1 2 3; do
  openbox --sm-disable >"$x_dir/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
  wmctrl -m >/dev/null 2>&1 && break
  kill "$wm" 2>/dev/null
  wait "$wm" 2>/dev/null
  sleep 0.5
done
pids+=("$wm")
wmctrl -m >/dev/null 2>&1 || { echo "openbox did not start on $DISPLAY"; cat "$x_dir/openbox.log" "$x_dir/xvfb.log"; exit 1; }

"$@"
status=$?
if [ "$status" -ne 0 ]; then
  echo "--- $DISPLAY: openbox log"; cat "$x_dir/openbox.log"
  echo "--- Xvfb log"; cat "$x_dir/xvfb.log"
fi
exit "$status"
