#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop needs from it: the program,
# a desktop entry and AppStream metadata that their validators accept, and the icons. The entry
# offers Tallimo for the selected files of exactly the types in drops/media_types.txt and
# drops/playlist_types.txt, and takes the default for none of them from a music player (xdg-mime in
# a scratch home).
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

# Every size of the icon theme's folders up to 256, and the drawing it scales to any other.
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "icon ${size}x${size} missing"
  # A PNG's IHDR keeps width and height as big-endian 32-bit numbers at offsets 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
    fail "icon ${size}x${size} is ${width}x${height}"
done
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
[ -f "$svg" ] || fail "scalable icon missing"
grep -q '<svg xmlns="http://www.w3.org/2000/svg"' "$svg" || fail "the scalable icon is no SVG drawing"

grep -qx 'Exec=tallimo %F' "$desktop" || fail "desktop entry does not hand over the selected files"
source_dir=$(realpath "$(dirname "$0")/../..")
listed=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d' | sort)
wanted=$(cat "$source_dir/drops/media_types.txt" "$source_dir/drops/playlist_types.txt" | grep -v '^#' |
  awk '{ for (i = 2; i <= NF; i++) print $i }' | sort -u)
[ "$listed" = "$wanted" ] ||
  fail "MimeType= differs from drops/media_types.txt and drops/playlist_types.txt: $(diff <(echo "$wanted") <(echo "$listed") | tr '\n' ' ')"
grep -q 'inode/directory' <<<"$listed" && fail "desktop entry registers folders"
[ -z "$(find "$prefix" -name '*mimeapps.list' -o -name defaults.list)" ] ||
  fail "the installation sets default applications"

# A desktop with a music player that is the default for its types, as the desktop's own list or the
# user's choice makes it, then Tallimo installed beside it: the player stays the default, Tallimo
# is offered besides it.
home=$prefix/home
apps=$prefix/system/applications
mkdir -p "$home" "$apps" "$prefix/config" "$prefix/player"
cp "$desktop" "$apps/"
# xdg-mime takes a default only when its program is there.
printf '#!/bin/sh\n' >"$prefix/player/player"
chmod +x "$prefix/player/player"
player_types="audio/mpeg;audio/flac;audio/ogg;video/mp4;video/x-matroska;audio/x-mpegurl;audio/x-scpls;"
printf '[Desktop Entry]\nType=Application\nName=Player\nExec=player %%U\nMimeType=%s\n' \
  "$player_types" >"$apps/org.example.Player.desktop"
{ echo '[Default Applications]'
  tr ';' '\n' <<<"$player_types" | sed '/^$/d; s/$/=org.example.Player.desktop;/'; } >"$prefix/config/mimeapps.list"
update-desktop-database "$apps"
query() {
  env -i PATH="$prefix/player:$PATH" HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CONFIG_DIRS="$prefix/config" XDG_DATA_DIRS="$prefix/system" xdg-mime "$@"
}
for type in $(tr ';' ' ' <<<"$player_types"); do
  [ "$(query query default "$type")" = org.example.Player.desktop ] ||
    fail "$type opens with $(query query default "$type"), not the player"
  grep -q "^$type=.*$id.desktop" "$apps/mimeinfo.cache" || fail "Tallimo is not offered for $type"
done
echo "installed into a scratch prefix: program, valid desktop entry and metainfo, icons; offered"
echo "for its media and playlist types without taking the default from a music player"
