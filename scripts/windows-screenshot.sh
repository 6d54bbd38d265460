#!/usr/bin/env bash
# Takes docs/windows-dialog.png: the real tallimo.exe under Wine on a virtual X server, in the
# tests' Wine prefix (where IPAPGothic stands in for "ＭＳ Ｐゴシック"), with two typed durations
# and a drop of mixed audio and video files (WAV, MP3, FLAC, MP4, made with ffmpeg), and two lines
# of the list selected. VIEW "maximised" takes the window maximised, "about" its about box.
# The program speaks the language of LOCALE (default en_US), built into the build folder's locales.
# Usage: scripts/windows-screenshot.sh BUILD-WINDOWS-FOLDER OUTPUT.png [LOCALE [VIEW]]
#        (after make test-windows)
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$0" "$@"
fi

build=$(realpath "$1")
output=$2
locale=${3:-en_US}
view=${4:-}
"$(dirname "$0")/../tests/locales.sh" "$build/locales"
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all LOCPATH=$build/locales
export LC_ALL=$locale.UTF-8
unset LANGUAGE
remote=$build/tests/win32/tallimo_remote.exe
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# 8-bit mono at 8000 Hz, 205 seconds (0:03.25) of silence after the 44-byte header.
wav="$work/track 01.wav"
printf 'RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' >"$wav"
truncate -s $((44 + 205 * 8000)) "$wav"

# Sine tones of 4:12.5 and 1:35.5, and a small video of 30.5 seconds.
tone() { echo "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=$1"; }
ffmpeg -hide_banner -loglevel error -nostdin -y $(tone 252.5) -c:a libmp3lame "$work/interview.mp3"
ffmpeg -hide_banner -loglevel error -nostdin -y $(tone 95.5) "$work/theme.flac"
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=size=320x240:rate=25:duration=30.5 \
  $(tone 30.5) -c:v libx264 -preset ultrafast -c:a aac "$work/clip.mp4"

# Waits for the program's totals to become `expected`.
expect_totals() {
  for _ in $(seq 100); do
    [ "$(wine "$remote" totals)" = "$1" ] && return 0
    sleep 0.1
  done
  echo "the totals never became '$1'" >&2
  exit 1
}

wine "$build/tallimo.exe" &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Tallimo$" | head -n 1)
xdotool windowfocus --sync "$window"
xdotool type --delay 20 "1:05.08"
xdotool key Return
xdotool type --delay 20 "0:42.30"
xdotool key Return
wine "$remote" drop "$(winepath -w "$wav")" "$(winepath -w "$work/interview.mp3")" \
  "$(winepath -w "$work/theme.flac")" "$(winepath -w "$work/clip.mp4")"
expect_totals "1:57.20 0:00.00"
# From the start of the second line to the end of the third: 0:42.30 and the dropped WAV file.
wine "$remote" select 9 39
expect_totals "1:57.20 0:45.55"
case $view in
  maximised)
    normal=$(xdotool getwindowgeometry "$window")
    wine "$remote" maximise
    # Until the window has grown, then for it to draw itself at its new size.
    for _ in $(seq 50); do
      [ "$(xdotool getwindowgeometry "$window")" != "$normal" ] && break
      sleep 0.1
    done
    sleep 1
    import -window "$window" "$output"
    ;;
  about)
    wine "$remote" about
    # The about box: the window with a caption ending in "Tallimo" that is not the main one.
    about=
    for _ in $(seq 100); do
      about=$(xdotool search --onlyvisible --name "Tallimo$" | grep -vx "$window" | head -n 1) || true
      [ -n "$about" ] && break
      sleep 0.1
    done
    [ -n "$about" ] || { echo "the about box did not open" >&2; exit 1; }
    sleep 1
    import -window "$about" "$output"
    xdotool windowfocus --sync "$about" key Escape
    ;;
  *) import -window "$window" "$output" ;;
esac
xdotool windowfocus --sync "$window" key Escape
wait "$pid"
pid=
