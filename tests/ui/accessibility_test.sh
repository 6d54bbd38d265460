#!/usr/bin/env bash
# Reads what a screen reader reads of the running program: starts it on a virtual X server with a
# D-Bus session of its own, where the accessibility bus starts on demand, and hands it to
# accessibility_test.py, run by the system's Python, where Debian's python3-pyatspi is. The language of the run comes from the locale (TALLIMO_TEST_LANGUAGE
# names it).
# Usage: accessibility_test.sh path/to/tallimo
set -euo pipefail

program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
export QT_QPA_PLATFORM=xcb
# Qt serves AT-SPI only when the desktop says a screen reader runs; here nothing else would.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# Without it, the accessibility bridge of other toolkits would look for a GTK module.
export NO_AT_BRIDGE=1

exec "$here/on_virtual_display.sh" dbus-run-session -- /usr/bin/python3 "$here/accessibility_test.py" "$program"
