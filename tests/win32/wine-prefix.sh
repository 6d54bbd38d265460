#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in, once per build folder, so that parallel tests
# never race to create it and the user's own ~/.wine is never touched. Its settings (a .reg file)
# map the dialogs' font "ＭＳ Ｐゴシック", and the captions' and menus' "MS Shell Dlg", to IPAPGothic,
# so that Japanese texts show and keep their layout, and leave windows to Wine rather than to a
# window manager, since Xvfb has none.
# Usage: wine-prefix.sh PREFIX SETTINGS.reg
set -euo pipefail

prefix=$1
settings=$2
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8
# No Mono or Gecko: nothing here needs .NET or HTML, and their installers would ask on screen.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$prefix/.tallimo-ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  wineboot -i
  # regedit reads UTF-16 with a byte order mark; the file is kept in UTF-8 like every other text.
  reg_file="$prefix/settings.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$settings"; } >"$reg_file"
  wine regedit /S "$(winepath -w "$reg_file")"
  # Wine's own fonts (Marlett draws the caption buttons) come with Debian's fonts-wine, in a folder
  # this Wine does not search: the prefix's font folder, which it does, links them.
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$prefix/drive_c/windows/Fonts/"
  done
  wineserver -w
  touch "$prefix/.tallimo-ready"
fi
