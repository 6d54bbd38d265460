#!/usr/bin/env bash
# Runs the built program on a real X server: waits for its window, types a line into it, checks it
# is still running, then presses Escape and expects it to end with status 0.
# Usage: xvfb_smoke.sh path/to/tallimo
set -euo pipefail

program=$(realpath "$1")
export QT_QPA_PLATFORM=xcb

# The X server lives for as long as the inner script runs.
exec "$(dirname "$(realpath "$0")")/on_virtual_display.sh" bash -euo pipefail -c '
program=$1
"$program" &
pid=$!
trap "kill $pid 2>/dev/null || true" EXIT

window=$(timeout 20 xdotool search --sync --name "^Tallimo$" | head -n 1)
[ -n "$window" ] || { echo "no Tallimo window appeared" >&2; exit 1; }
# No window manager runs here, so the window is given the focus directly.
xdotool windowfocus --sync "$window"
xdotool type --delay 20 "1:05.08"
xdotool key Return
sleep 0.5
kill -0 "$pid" || { echo "Tallimo ended while typing" >&2; exit 1; }

xdotool key Escape
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "Tallimo did not end on Escape" >&2
  exit 1
fi
status=0
wait "$pid" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || { echo "Tallimo ended with status $status" >&2; exit 1; }
echo "Tallimo started, took typing, and ended on Escape with status 0"
' smoke "$program"
