#!/usr/bin/env bash
# The program's command line, as a shell sees it, in the language the locale names
# (TALLIMO_TEST_LANGUAGE, ja or en), with no display at all. --help and --version answer on
# standard output with status 0, the help within 79 columns; a command line that cannot be read
# is named on standard error with status 2. --list writes the lines a drop of its paths adds
# (files, a folder, a missing file) and the typed list of standard input where '-' stands, --total
# their total; 1 when a file could not be measured, which --total names on standard error. A run
# that takes over a second shows its count on a terminal's standard error, never on a file. After
# "--" an argument starting with "-" is a path, and such a path opens the window.
# Usage: command_line_test.sh path/to/tallimo VERSION path/to/tallimo-measure-test
set -euo pipefail

program=$(realpath "$1")
version=$2
misbehaving=$(realpath "$3")
language=${TALLIMO_TEST_LANGUAGE:-en}
# Nothing that makes no window may need a display, nor Qt's offscreen stand-in for one.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() { echo "command_line_test ($language): $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
  status=0
  timeout 60 "$program" "$@" <"${input:-/dev/null}" >"$work/out" 2>"$work/err" || status=$?
}

run --version
[ "$status" -eq 0 ] || fail "--version ended with status $status"
[ "$(head -n 1 "$work/out")" = "Tallimo $version" ] || fail "--version printed '$(cat "$work/out")'"

run a.mp3 --help
[ "$status" -eq 0 ] || fail "--help ended with status $status"
if [ "$language" = ja ]; then usage='^使い方: tallimo '; else usage='^Usage: tallimo \[OPTION\]\.\.\. \[PATH\]\.\.\.$'; fi
grep -q "$usage" "$work/out" || fail "--help printed no usage: $(head -n 1 "$work/out")"
for option in --list --total --help --version; do
  grep -q -- "^  $option  " "$work/out" || fail "--help does not describe $option"
done
# wc -L counts a wide character as the two columns a terminal gives it.
[ "$(wc -L <"$work/out")" -le 79 ] || fail "--help has lines wider than 79 columns"

# Usage errors: the message on standard error after the program's name, naming the option, and
# nothing on standard output.
for arguments in "--bogus a.mp3" "-x" "--list" "--total --list a.mp3"; do
  run $arguments
  [ "$status" -eq 2 ] || fail "'$arguments' ended with status $status, not 2"
  grep -q '^tallimo: ' "$work/err" && grep -qF -- "${arguments%% *}" "$work/err" ||
    fail "'$arguments' gave '$(cat "$work/err")'"
  [ ! -s "$work/out" ] || fail "'$arguments' printed on standard output"
done

# 8-bit mono at 8000 Hz, 10 seconds of silence after the 44-byte header.
wave() {
  mkdir -p "$(dirname "$1")"
  printf 'RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' >"$1"
  truncate -s $((44 + 80000)) "$1"
}
wave "$work/one.wav"
wave "$work/Album/CD1/10 b.wav"
wave "$work/Album/CD1/9 a.wav"
printf '1:05.08\r\n[note] 5\n' >"$work/typed"

input=$work/typed run --list "$work/one.wav" - "$work/missing.wav" "$work/Album"
expected=$'0:00.10[one.wav]\n1:05.08\n[note] 5\n?:??.??[missing.wav]\n0:00.10[Album/CD1/9 a.wav]\n0:00.10[Album/CD1/10 b.wav]'
[ "$(cat "$work/out")" = "$expected" ] || fail "--list printed '$(cat "$work/out")'"
[ "$status" -eq 1 ] || fail "--list with a missing file ended with status $status, not 1"
[ ! -s "$work/err" ] || fail "--list wrote '$(cat "$work/err")' on standard error"

cd "$work"
run --total Album
cd - >/dev/null
[ "$(cat "$work/out")" = "0:00.20" ] && [ "$status" -eq 0 ] ||
  fail "--total Album printed '$(cat "$work/out")' with status $status"

# A file that hangs the misbehaving measuring program costs its two tries of 5 s: a terminal
# (script's pseudo-terminal) sees the count meanwhile, standard error sent to a file does not.
: >"$work/hang.wav"
export TALLIMO_MEASURE=$misbehaving
script -qec "'$program' --total '$work/hang.wav'" /dev/null >"$work/terminal" &
on_terminal=$!
"$program" --total "$work/hang.wav" >"$work/piped" 2>"$work/piped-err" &
piped=$!
status=0
wait "$on_terminal" || status=$?
[ "$status" -eq 1 ] || fail "--total of a file that hangs ended with status $status on a terminal"
if [ "$language" = ja ]; then count='再生時間を読み取っています... 0 / 1'; else count='Measuring files… 0 / 1'; fi
grep -qF "$count" "$work/terminal" || fail "a terminal saw no progress: '$(cat -v "$work/terminal")'"
status=0
wait "$piped" || status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/piped")" = "0:00.00" ] || fail "--total to a pipe gave '$(cat "$work/piped")'"
# The file left out of the total is named there, and nothing else: no progress.
if [ "$language" = ja ]; then
  left_out='tallimo: hang.wav の長さを測れなかったため、合計に入っていません。'
else
  left_out='tallimo: hang.wav could not be measured and is not in the total'
fi
[ "$(cat "$work/piped-err")" = "$left_out" ] ||
  fail "standard error sent to a file got '$(cat -v "$work/piped-err")', not the file left out alone"
unset TALLIMO_MEASURE

# A path after "--" opens the window like any other, even one named like an option of Qt's or of
# Tallimo's: it must still be running after a moment.
QT_QPA_PLATFORM=offscreen "$program" -- -platform --list --help "$work/missing folder/" >/dev/null 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || fail "'-- -platform --list --help PATH' did not open the window"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "command_line_test ($language): --help, --version, usage errors, --list, --total, progress and -- behave"
