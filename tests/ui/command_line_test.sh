#!/usr/bin/env bash
# The program's own options, as a shell sees them: --help and --version answer on standard output
# and end with status 0 without opening a window; an unknown option is named on standard error
# and ends with status 2; after "--" an argument starting with "-" is a path, not an option.
# Usage: command_line_test.sh path/to/tallimo VERSION
set -euo pipefail

program=$1
version=$2
export QT_QPA_PLATFORM=offscreen
fail() { echo "command_line_test: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
  status=0
  timeout 20 "$program" "$@" >"$work/out" 2>"$work/err" || status=$?
}

run --version
[ "$status" -eq 0 ] || fail "--version ended with status $status"
[ "$(cat "$work/out")" = "Tallimo $version" ] || fail "--version printed '$(cat "$work/out")'"

run a.mp3 --help
[ "$status" -eq 0 ] || fail "--help ended with status $status"
grep -q '^Usage: tallimo \[OPTION\]\.\.\. \[PATH\]\.\.\.$' "$work/out" || fail "--help printed no usage"
grep -q -- '--version' "$work/out" || fail "--help does not name --version"

for option in --bogus -x; do
  run "$option" a.mp3
  [ "$status" -eq 2 ] || fail "$option ended with status $status, not 2"
  grep -qF "unknown option '$option'" "$work/err" || fail "$option gave '$(cat "$work/err")'"
  [ ! -s "$work/out" ] || fail "$option printed on standard output"
done

# A path after "--" opens the window like any other, even one named like an option of Qt's: it
# must still be running after a moment.
"$program" -- -platform --help "$work/missing folder/" >/dev/null 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || fail "'-- -platform --help PATH' did not open the window"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "command_line_test: --help, --version, unknown options and -- behave"
