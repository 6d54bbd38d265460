#!/usr/bin/env bash
# Figures of the real tallimo window on an X display: the time from starting the program to its
# window being visible, and how often the idle program wakes up (voluntary context switches of
# all its threads over 5 seconds, after 1 second to settle): first as it starts, with the caret
# blinking in the focused time list, then with the focus moved on to "about" (Tab), where no
# caret blinks. Medians over several runs.
#   xvfb-run -a bench/window-figures.sh build-bench/ui/tallimo [runs]
set -euo pipefail

tallimo=${1:?usage: $0 path/to/tallimo [runs]}
runs=${2:-5}
idle_seconds=5

command -v xdotool >/dev/null || { echo "$0: needs xdotool" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "$0: needs an X display; run it under xvfb-run -a" >&2; exit 1; }

# Polls every 5 ms, so a start-up figure is up to 5 ms (plus one xdotool run) late.
wait_visible() {
  for _ in $(seq 2000); do
    xdotool search --onlyvisible --name '^Tallimo$' >/dev/null 2>&1 && return 0
    sleep 0.005
  done
  return 1
}

switches() {
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

idle_wakeups() {
  sleep 1
  local before
  before=$(switches "$1")
  sleep "$idle_seconds"
  echo $(( $(switches "$1") - before ))
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

start_ms=()
wakeups_caret=()
wakeups_no_caret=()
for _ in $(seq "$runs"); do
  t0=$(date +%s%N)
  "$tallimo" 2>"$log" &
  pid=$!
  if ! wait_visible; then
    kill "$pid" 2>/dev/null || true
    echo "$0: the window did not appear" >&2
    cat "$log" >&2
    exit 1
  fi
  t1=$(date +%s%N)
  start_ms+=($(( (t1 - t0) / 1000000 )))
  wakeups_caret+=($(idle_wakeups "$pid"))
  xdotool search --onlyvisible --name '^Tallimo$' windowfocus --sync key Tab
  wakeups_no_caret+=($(idle_wakeups "$pid"))
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done

echo "start to visible window: median $(printf '%s\n' "${start_ms[@]}" | median) ms" \
  "(runs: ${start_ms[*]})"
echo "idle wake-ups over ${idle_seconds} s, caret blinking in the list:" \
  "median $(printf '%s\n' "${wakeups_caret[@]}" | median) (runs: ${wakeups_caret[*]})"
echo "idle wake-ups over ${idle_seconds} s, focus on about:" \
  "median $(printf '%s\n' "${wakeups_no_caret[@]}" | median) (runs: ${wakeups_no_caret[*]})"
