#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop needs from it: the program,
# a desktop entry and AppStream metadata that their validators accept, and the icons.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

id=example.tallimo.Tallimo
fail() { echo "$*" >&2; exit 1; }

[ -x "$prefix/bin/tallimo" ] || fail "bin/tallimo missing or not executable"

desktop="$prefix/share/applications/$id.desktop"
[ -f "$desktop" ] || fail "desktop entry missing"
desktop-file-validate "$desktop"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry names another icon"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "metainfo missing"
appstreamcli validate --no-net "$metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch the installed desktop entry"

for size in 16 32; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "icon ${size}x${size} missing"
  # A PNG's IHDR keeps width and height as big-endian 32-bit numbers at offsets 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
    fail "icon ${size}x${size} is ${width}x${height}"
done
echo "installed into a scratch prefix: program, valid desktop entry and metainfo, icons"
