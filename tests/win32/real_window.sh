#!/usr/bin/env bash
# Runs the real tallimo.exe under Wine on an X server: types a list with xdotool, selects a line
# with Shift+Home, lets another program select another stretch (EM_SETSEL), drop a WAV file with a
# Japanese name, an MP3, an M4A and an MP4 (made with ffmpeg, measured by the program's own
# FFmpeg), and then 2,000 files at once, and checks the totals after each step; then presses
# Escape and expects the program to end with status 0. A second run is closed by another program
# while a drop of 2,000 files is being measured and must end with status 0 too. A third run gets a
# file and a folder on its command line and lists them as a drop would (the options are
# command_line.sh's). The Wine prefix comes from the environment (WINEPREFIX).
# Usage: real_window.sh path/to/tallimo.exe path/to/tallimo_remote.exe
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$@"
fi

program=$1
remote=$2
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# 8-bit mono at 8000 Hz, 10 seconds of silence after the 44-byte header.
wav="$work/テスト🎵.wav"
printf 'RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' >"$wav"
truncate -s $((44 + 80000)) "$wav"

# The same signal lengths as the media tests use, with half a second that rounding down drops.
tone() { echo "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=$1"; }
make_media() {
  local name=$1
  shift
  ffmpeg -hide_banner -loglevel error -nostdin -y "$@" "$work/$name"
}
make_media song.mp3 $(tone 65.5) -c:a libmp3lame -b:a 128k
make_media song.m4a $(tone 3.5) -c:a aac
make_media clip.mp4 -f lavfi -i testsrc=size=160x120:rate=25:duration=7.5 $(tone 7.5) \
  -c:v libx264 -preset ultrafast -c:a aac

# Waits for what the program shows to become `expected`: posted messages and typed keys arrive
# when the program gets to them.
expect() {
  local what=$1 expected=$2 got=
  for _ in $(seq 100); do
    got=$(wine "$remote" "$what")
    [ "$got" = "$expected" ] && return 0
    sleep 0.1
  done
  echo "$what: expected '$expected', got '$got'" >&2
  exit 1
}

# 2,000 names for the same file: a drop larger than any command line could carry.
many="$work/many"
mkdir "$many"
for i in $(seq -w 2000); do ln "$wav" "$many/$i.wav"; done

start() {
  wine "$program" "$@" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Tallimo$" | head -n 1)
  [ -n "$window" ] || { echo "no Tallimo window appeared" >&2; exit 1; }
}

# Waits for the program to end and expects status 0.
expect_end() {
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || { echo "Tallimo ended with status $status" >&2; exit 1; }
}

start
# No window manager runs here, so the window is given the focus directly.
xdotool windowfocus --sync "$window"

xdotool type --delay 20 "1:05.08"
xdotool key Return
xdotool type --delay 20 "0:42.30"
expect totals "1:47.38 0:00.00"
xdotool key shift+Home
expect totals "1:47.38 0:42.30"

wine "$remote" select 0 7
expect totals "1:47.38 1:05.08"

wine "$remote" drop "$(winepath -w "$wav")"
expect totals "1:47.48 0:00.00"
expect text "$(printf '1:05.08\r\n0:42.30\r\n0:00.10[テスト🎵.wav]\r\n')"

wine "$remote" drop "$(winepath -w "$work/song.mp3")" "$(winepath -w "$work/song.m4a")" \
  "$(winepath -w "$work/clip.mp4")"
expect totals "1:49.03 0:00.00"
expect text "$(printf '1:05.08\r\n0:42.30\r\n0:00.10[テスト🎵.wav]\r\n0:01.05[song.mp3]\r\n0:00.03[song.m4a]\r\n0:00.07[clip.mp4]\r\n')"

# Measured behind the window, the 2,000 lines land together: 20,000 seconds more.
wine "$remote" drop-folder "$(winepath -w "$many")"
expect totals "7:22.23 0:00.00"
kill -0 "$pid" || { echo "Tallimo ended before Escape" >&2; exit 1; }

xdotool key Escape
expect_end

start
wine "$remote" drop-folder "$(winepath -w "$many")" close
expect_end

# The command line, relative paths from the working folder: the file, then the folder's WAV files
# in natural order.
mkdir -p "$work/Album/CD1" "$work/Album/CD2"
ln "$wav" "$work/Album/CD1/10 b.wav"
ln "$wav" "$work/Album/CD1/9 a.wav"
ln "$wav" "$work/Album/CD2/1.wav"
cd "$work"
start "テスト🎵.wav" 'Album\'
expect text "$(printf '0:00.10[テスト🎵.wav]\r\n0:00.10[Album\\CD1\\9 a.wav]\r\n0:00.10[Album\\CD1\\10 b.wav]\r\n0:00.10[Album\\CD2\\1.wav]\r\n')"
xdotool windowfocus --sync "$window" key Escape
expect_end

echo "Tallimo took typing, a keyboard selection, a selection and drops of WAV, MP3, M4A and MP4 files from another program, ended on Escape, and ended when closed during a drop, each with status 0, and listed a file and a folder given on its command line"
