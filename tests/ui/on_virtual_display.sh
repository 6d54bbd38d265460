#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (xvfb-run), on a display number that no server
# holds in any way: xvfb-run's --auto-servernum looks only at the lock files, and it ends its server
# without waiting for it. The server does not reset when its last client leaves (-noreset): the
# accessibility bus's launcher connects and leaves before the program comes, and a program that
# connects while the server resets is turned away.
# Usage: on_virtual_display.sh command [argument...]
set -euo pipefail

taken() {
  [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ] ||
    grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix
}

for display in $(seq 99 299); do
  taken "$display" && continue
  exec xvfb-run --server-num="$display" --server-args="-screen 0 1024x768x24 -noreset" "$@"
done
echo "$0: no free X display number from 99 to 299" >&2
exit 1
