#!/usr/bin/env bash
# The Windows programs' command line under Wine, in the language the locale names
# (TALLIMO_TEST_LANGUAGE, ja or en). tallimo.com answers --help and --version on standard output,
# --list with the lines a drop adds and the typed list of standard input, --total with their total,
# into a pipe as UTF-8 with CR LF line ends and every name whole, and on a console (a
# pseudo-terminal, which Wine gives a console) with the names whole too; status 1 when a file could
# not be measured, 2 for a usage error named on standard error. Without those options it opens the
# window through tallimo.exe. tallimo.exe answers into the pipe it is given, on the console of the
# cmd that started it and, started as Explorer starts it, in one message box laid out for one.
# The Wine prefix comes from the environment (WINEPREFIX).
# Usage: command_line.sh tallimo.com tallimo.exe tallimo_remote.exe VERSION
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$@"
fi

console=$(realpath "$1")
program=$(realpath "$2")
remote=$(realpath "$3")
version=$4
language=${TALLIMO_TEST_LANGUAGE:-en}
fail() { echo "command_line ($language): $*" >&2; exit 1; }
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# Runs tallimo.com with standard input from $input, keeping both outputs as they came.
run() {
  status=0
  timeout 120 wine "$console" "$@" <"${input:-/dev/null}" >out 2>err || status=$?
}
crlf() { printf '%s\r\n' "$@"; }

run --version
[ "$status" -eq 0 ] && [ "$(head -n 1 out)" = $'Tallimo '"$version"$'\r' ] ||
  fail "--version ended with $status and printed '$(cat -v out)'"

run --help
if [ "$language" = ja ]; then usage='使い方: tallimo '; else usage='Usage: tallimo [OPTION]... [PATH]...'; fi
[ "$status" -eq 0 ] && head -n 1 out | grep -qF "$usage" || fail "--help printed '$(head -n 1 out)'"
grep -q -- '^  --total  ' out || fail "--help does not describe --total"
[ "$(tr -d '\r' <out | wc -L)" -le 79 ] || fail "--help has lines wider than 79 columns"
[ "$(grep -c $'\r$' out)" -eq "$(wc -l <out)" ] || fail "--help has lines without CR LF"

run --list --total a.wav
[ "$status" -eq 2 ] && grep -q '^tallimo: ' err && [ ! -s out ] ||
  fail "--list --total ended with $status, wrote '$(cat err)' and '$(cat out)'"

# 8-bit mono at 8000 Hz, 10 seconds of silence after the 44-byte header.
wave() {
  mkdir -p "$(dirname "$1")"
  printf 'RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' >"$1"
  truncate -s $((44 + 80000)) "$1"
}
wave "テスト🎵.wav"
wave "Album/CD1/10 b.wav"
wave "Album/CD1/9 a.wav"
printf '1:05.08\r\n[note] 5\n' >typed

input=typed run --list "テスト🎵.wav" - missing.wav 'Album\'
[ "$(cat out)" = "$(crlf '0:00.10[テスト🎵.wav]' 1:05.08 '[note] 5' '?:??.??[missing.wav]' \
  '0:00.10[Album\CD1\9 a.wav]' '0:00.10[Album\CD1\10 b.wav]')" ] || fail "--list printed '$(cat -v out)'"
[ "$status" -eq 1 ] || fail "--list with a missing file ended with status $status, not 1"
# A typed list as PowerShell and Notepad write it: UTF-16 with its byte order mark.
{ printf '\xff\xfe'; printf '0:01.00\r\n2:00.00 [ラベル]\r\n' | iconv -f UTF-8 -t UTF-16LE; } >typed16
input=typed16 run --total -
[ "$(cat out)" = "$(crlf 2:01.00)" ] && [ "$status" -eq 0 ] || fail "--total of UTF-16 printed '$(cat -v out)'"

# On a console the names come out whole as well: here the Japanese one, as Wine's console shows
# each UTF-16 unit apart and so cuts characters beyond them (🎵) in two.
cp "テスト🎵.wav" "テスト.wav"
script -qec "wine '$console' --list 'テスト.wav'" /dev/null >terminal || true
grep -qF '0:00.10[テスト.wav]' terminal || fail "a console showed '$(cat -v terminal)'"

# tallimo.exe started by cmd on a console answers on that console, where a program without a
# console of its own has to attach itself to it.
script -qec "wine cmd /c '$(winepath -w "$program")' --version" /dev/null >terminal || true
grep -qF "Tallimo $version" terminal || fail "tallimo.exe from cmd showed '$(cat -v terminal)'"

# tallimo.exe into the pipe it is given.
status=0
timeout 120 wine "$program" --total "テスト🎵.wav" >out 2>err || status=$?
[ "$(cat out)" = "$(crlf 0:00.10)" ] && [ "$status" -eq 0 ] ||
  fail "tallimo.exe --total into a pipe ended with $status and printed '$(cat -v out)'"

# tallimo.exe started as Explorer starts a program, through the shell without standard streams or
# a console: the help in one message box, its paragraphs whole and its options' rows at a tab
# stop; an unknown option in another, ending with status 2.
box() {
  local status=0
  wine start /wait /unix "$program" "$@" &
  pid=$!
  wine "$remote" box >box || fail "no message box appeared for $*"
  wait "$pid" || status=$?
  pid=
  return "$status"
}
box --help || fail "tallimo.exe --help ended with status $?"
if [ "$language" = ja ]; then
  paragraph='^時間の一覧を合計します。.*ごとに 1 行になります。\r?$'
else
  paragraph='^Adds up lists of durations\. .* inside it\.\r?$'
fi
grep -qE "$paragraph" box || fail "the help's first paragraph is not one line in its box: $(cat -v box)"
grep -qP '^--list\t' box || fail "the help's options are not set out at a tab stop: $(cat -v box)"
status=0
box --bogus || status=$?
[ "$status" -eq 2 ] && grep -qF -- "--bogus" box || fail "--bogus ended with $status, its box said '$(cat box)'"

# Without those options, tallimo.com hands its arguments to the window and returns at once.
run "テスト🎵.wav"
[ "$status" -eq 0 ] || fail "tallimo.com with a path ended with status $status"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tallimo$' | head -n 1)
for _ in $(seq 100); do
  [ "$(wine "$remote" text)" = "$(crlf '0:00.10[テスト🎵.wav]')" ] && break
  sleep 0.2
done
[ "$(wine "$remote" text)" = "$(crlf '0:00.10[テスト🎵.wav]')" ] ||
  fail "the window that tallimo.com opened lists '$(wine "$remote" text)'"
xdotool windowfocus --sync "$window" key Escape
echo "command_line ($language): tallimo.com answers in pipes and on a console, tallimo.exe in pipes and message boxes, and the window opens"
