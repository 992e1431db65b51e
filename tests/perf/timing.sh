# Timing helpers for the whole-process benchmarks; sourced, not run.

# Wall time of one run in microseconds, from the shell's own clock (no
# extra process around the program).
micros() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  echo $(( ${end/./} - ${start/./} ))
}

# The median of a file of microsecond times, in milliseconds.
median() { sort -n "$1" | awk '{ v[NR] = $1 } END {
  if (NR == 0) { print 0; exit }
  m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.2f\n", m / 1000 }'; }

# The median of RUNS runs of RUN one right after the other, each after
# CLEAN and checked by CHECK. On a virtual machine a program started right
# after another finds the processor's caches and the other core warm; one
# started after a pause (or after a long run of another program, as in the
# interleaved comparisons) pays for waking them. Both are worth knowing.
back_to_back() {
  local run=$1 check=$2 clean=$3 runs=$4
  : > back_to_back.times
  for _ in $(seq "$runs"); do "$clean"; micros "$run" >> back_to_back.times; "$check"; done
  median back_to_back.times
}

# The largest resident set of one run and its children, in KiB (GNU time).
peak_kib() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M -o peak.txt "$@" >/dev/null 2>&1 || true
    cat peak.txt
  else
    echo "?"
  fi
}
