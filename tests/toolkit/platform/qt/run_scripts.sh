#!/usr/bin/env bash
# Runs every golden script on the Qt backend of the display it is given
# (see with_window_manager.sh) and reports each that fails.
#
#   run_scripts.sh PROGRAM_DIR REGTOOL SCRIPT_DIR
set -uo pipefail
program_dir=$1 regtool=$2 script_dir=$3
failed=0
# A script normally ends within seconds; one that hangs is cut off soon
# enough that the whole run ends well inside the test's own time limit.
export NODALUX_SCRIPT_TIMEOUT=${NODALUX_SCRIPT_TIMEOUT:-60}
budget=200
skipped=()
for script in "$script_dir"/*.script; do
  name=$(basename "$script" .script)
  if [ "$SECONDS" -ge "$budget" ]; then
    skipped+=("$name"); continue
  fi
  if ! out=$("$script_dir/run_script_test.sh" "$program_dir" "$regtool" "$name" "$script_dir" qt 2>&1); then
    echo "== $name"; echo "$out"; failed=$((failed + 1))
  fi
done
if [ "${#skipped[@]}" -gt 0 ]; then
  echo "not run, the run had taken $SECONDS s already: ${skipped[*]}"
  failed=$((failed + ${#skipped[@]}))
fi
echo "$failed of $(ls "$script_dir"/*.script | wc -l) scripts failed on $QT_QPA_PLATFORM"
[ "$failed" -eq 0 ]
