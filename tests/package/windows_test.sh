#!/usr/bin/env bash
# Checks the Windows packages that `make package-windows` built. The zip holds the programs as built
# (the window's, its console companion and the measuring program) and its texts with CR LF, at its
# top: the licence, the read-me, FFmpeg's licence and notice, which names the FFmpeg and the
# libopenmpt inside, and libopenmpt's licence. The installer, run under Wine in a prefix of the
# build folder's own: a silent install puts the programs, the licence, the Start-menu shortcut, the
# "Send to" shortcut, the "Open with" registration for the types of drops/media_types.txt and
# drops/playlist_types.txt, the folder on the user's PATH (so that "tallimo" in cmd answers through
# tallimo.com) and the "Apps & features" entry in place; the program starts from the shortcut and
# stays up, and from "Send to" with every path in one start; installing, uninstalling and the
# registered quiet uninstall while it runs fail with status 2 and change nothing; installing again
# upgrades in place; the registered quiet uninstall removes it all; every page of the installer
# and the uninstaller, walked through as a user clicks on, shows its whole text in English and
# Japanese at 96 and 144 dots per inch; the installer and the uninstaller speak Japanese to a
# Japanese user and English to an English one; and nothing else is left behind. Whatever fails,
# the prefix is left without any trace of Tallimo.
# Usage: windows_test.sh BUILD_DIR
set -euo pipefail

# -noreset: Xvfb otherwise restarts whenever its last client leaves, as Wine does between two
# programs here, and turns away whoever connects meanwhile.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

build=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/../..")
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
homepage=$(cache_value CMAKE_PROJECT_HOMEPAGE_URL)
zip=$build/Tallimo-$version-win64.zip
setup=$build/Tallimo-$version-win64-setup.exe
program=$build/tallimo.exe
console=$build/tallimo.com
measure=$build/tallimo-measure.exe
publisher="The Tallimo developers"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallimo'
open_with='HKCU\Software\Classes\Applications\tallimo.exe'

checks=0
fail() { echo "windows_test: $*" >&2; exit 1; }
ok() { checks=$((checks + 1)); echo "ok: $*"; }

for file in "$zip" "$setup" "$program" "$console"; do
  [ -f "$file" ] || fail "$file missing: run make package-windows first"
done

work=$(mktemp -d)
install_dir=
shortcut=
send_to=
temp_dir=
running=

# Notepad before Windows 10 shows a text without CR LF line ends as one long line.
has_crlf_lines() {
  local lines crlf
  lines=$(tr -cd '\n' <"$1" | wc -c)
  crlf=$(grep -c $'\r$' "$1" || true)
  [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ]
}

texts="FFmpeg-LGPL-2.1.txt FFmpeg-NOTICE.txt LICENSE.txt libopenmpt-LICENSE.txt"
sorted() { printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' '; }
unzip -q "$zip" -d "$work/zip"
[ "$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')" = "$(sorted $texts README.txt tallimo-measure.exe tallimo.com tallimo.exe)" ] ||
  fail "the zip holds '$(unzip -Z1 "$zip" | tr '\n' ' ')', not $texts README.txt tallimo-measure.exe tallimo.com tallimo.exe at its top"
cmp -s "$work/zip/tallimo.exe" "$program" || fail "the zip's tallimo.exe is not $program"
cmp -s "$work/zip/tallimo.com" "$console" || fail "the zip's tallimo.com is not $console"
cmp -s "$work/zip/tallimo-measure.exe" "$measure" || fail "the zip's tallimo-measure.exe is not $measure"
tr -d '\r' <"$work/zip/LICENSE.txt" | cmp -s - "$source_dir/LICENSE" ||
  fail "the zip's LICENSE.txt is not LICENSE"
readme=$work/zip/README.txt
for text in $texts README.txt; do
  has_crlf_lines "$work/zip/$text" || fail "$text in the zip has lines without CR LF"
done
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$work/zip/FFmpeg-LGPL-2.1.txt" ||
  fail "FFmpeg-LGPL-2.1.txt is not the LGPL"
grep -q "OpenMPT Project Developers" "$work/zip/libopenmpt-LICENSE.txt" ||
  fail "libopenmpt-LICENSE.txt is not libopenmpt's licence"
ffmpeg_prefix=$(cache_value TALLIMO_FFMPEG_PREFIX)
ffmpeg_version=$(cat "$ffmpeg_prefix/VERSION")
openmpt_version=$(cat "$ffmpeg_prefix/libopenmpt/VERSION")
for phrase in "version $ffmpeg_version" "apt-get source ffmpeg=$ffmpeg_version" TALLIMO_FFMPEG_PREFIX \
  "apt-get source libopenmpt=$openmpt_version" --enable-libopenmpt; do
  grep -qF -- "$phrase" "$work/zip/FFmpeg-NOTICE.txt" || fail "FFmpeg-NOTICE.txt does not say $phrase"
done
[ "$(head -c 3 "$readme")" = $'\xef\xbb\xbf' ] || fail "README.txt has no UTF-8 byte order mark"
iconv -f UTF-8 -t UTF-16 "$readme" >/dev/null 2>&1 || fail "README.txt is not UTF-8"
for phrase in "Tallimo $version" tallimo.exe "tallimo --total" "$homepage"; do
  grep -qF -- "$phrase" "$readme" || fail "README.txt does not mention $phrase"
done
# The home page address ends its paragraph in both languages.
[ "$(grep -A1 -e '^Home page: ' -e '^ホームページ: ' "$readme" | grep -c $'^\r$')" -eq 2 ] ||
  fail "README.txt does not end a paragraph after each home page address"
ok "the zip: tallimo.exe, tallimo.com and tallimo-measure.exe as built, $texts and README.txt with CR LF line ends, nothing else"

# A 32-bit installer would start under this Wine, do nothing and still end with status 0.
file -b "$setup" | grep -q '^PE32+ executable (GUI) x86-64' || fail "the installer is not a 64-bit program"
resources=$(x86_64-w64-mingw32-windres -i "$setup" -O rc)
grep -qF "PRODUCTVERSION ${version//./, }" <<<"$resources" &&
  grep -qF "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" ||
  fail "the installer's version block does not give version $version"
# Each picture of the program's icon lies in the installer's resources as it lies in the .ico.
perl -e 'local $/; open my $f, "<:raw", $ARGV[0] or die; my $ico = <$f>;
         open $f, "<:raw", $ARGV[1] or die; my $exe = <$f>;
         my $count = unpack "v", substr($ico, 4, 2);
         for my $i (0 .. $count - 1) {
           my ($size, $offset) = unpack "VV", substr($ico, 6 + 16 * $i + 8, 8);
           exit 1 if index($exe, substr($ico, $offset, $size)) < 0;
         }' "$source_dir/res/icons/128.ico" "$setup" || fail "the installer does not carry the program's icon"
ok "the installer: 64-bit, version block $version, the program's icon"

prefix=$build/wine-prefix-package
"$source_dir/tests/win32/wine-prefix.sh" "$prefix" "$source_dir/tests/win32/prefix-settings.reg"
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8

# Everything an installation may leave, in the prefix's own Windows folders.
mapfile -t folders < <(wine cmd /c 'echo %LOCALAPPDATA%&echo %APPDATA%&echo %TEMP%' | tr -d '\r')
install_win="${folders[0]}\\Programs\\Tallimo"
install_dir=$(winepath -u "$install_win")
shortcut=$(winepath -u "${folders[1]}\\Microsoft\\Windows\\Start Menu\\Programs\\Tallimo.lnk")
send_to=$(winepath -u "${folders[1]}\\Microsoft\\Windows\\SendTo\\Tallimo.lnk")
temp_dir=$(winepath -u "${folders[2]}")

wait_for_wine() { timeout 60 wineserver -w || fail "Wine did not end within 60 s"; }
# The user's PATH, empty when there is none, and the same without the installation folder.
environment='HKCU\Environment'
user_path() {
  { wine reg query "$environment" /v Path 2>/dev/null || true; } | tr -d '\r' |
    sed -n 's/^ \{4\}Path \{4\}REG_[A-Z_]* \{4\}//p'
}
path_without_install() { user_path | tr ';' '\n' | grep -vixF "$install_win" | paste -sd ';' || true; }
# The temporary folder keeps the uninstaller's copy (~nsu*.tmp) and, from an installer ended in
# the middle, its helper files (ns*.tmp).
remove_traces() {
  rm -rf "$install_dir" "$shortcut" "$send_to" "$temp_dir"/~nsu*.tmp "$temp_dir"/ns*.tmp
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  wine reg delete "$open_with" /f >/dev/null 2>&1 || true
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  local path
  path=$(path_without_install)
  if [ "$path" != "$(user_path)" ]; then
    if [ -n "$path" ]; then
      wine reg add "$environment" /v Path /t REG_EXPAND_SZ /d "$path" /f >/dev/null
    else
      wine reg delete "$environment" /v Path /f >/dev/null
    fi
  fi
}
cleanup() {
  if [ -n "$running" ]; then kill "$running" 2>/dev/null || true; fi
  timeout 60 wineserver -w || wineserver -k
  remove_traces
  timeout 60 wineserver -w || wineserver -k
  rm -rf "$work"
}
trap cleanup EXIT

# What the prefix holds: its files and the keys of its registry, timestamps left out. Wine writes
# the registry to its files when its server ends.
snapshot() {
  wait_for_wine
  { (cd "$prefix/drive_c" && find .)
    sed -n 's/^\(\[.*\]\) [0-9]*$/\1/p' "$prefix/user.reg" "$prefix/system.reg"; } | sort >"$1"
}

# A run killed before its cleanup may have left an installation behind.
remove_traces
snapshot "$work/before"
path_before=$(user_path)

# Language settings for Wine: the user's language follows the locale, built into the build
# folder so that the machine needs none of its own.
locales=$build/locales
mkdir -p "$locales"
for locale in ja_JP en_US; do
  [ -d "$locales/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$locales/$locale.UTF-8"
done

# Prints the first window whose title matches REGEX, waiting up to a minute for one. xdotool's
# search ends with an error when a window it walks vanishes meanwhile: search again then.
find_window() {
  local window
  for _ in $(seq 300); do
    window=$(xdotool search --name "$1" 2>/dev/null | head -n 1) || true
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# Starts PROGRAM (a Windows path or a file) in LOCALE without waiting, expects a window titled
# TITLE, then closes it with Escape, which is Cancel on every page that opens first. The window
# may be another program's that PROGRAM started: Wine's end says that all have ended.
expect_title() {
  local locale=$1 title=$2 program=$3 window name pid
  shift 3
  LOCPATH=$locales LC_ALL=$locale.UTF-8 wine "$program" "$@" &
  pid=$!
  running=$pid
  window=$(find_window '^Tallimo ') || fail "no window of $program appeared in $locale"
  name=$(xdotool getwindowname "$window")
  name=${name%"${name##*[! ]}"}
  [ "$name" = "$title" ] || fail "$program in $locale shows '$name', not '$title'"
  xdotool windowfocus --sync "$window" key Escape
  wait_for_wine
  wait "$pid" || true
  running=
}

# Starts PROGRAM in LOCALE and walks its pages with the page helper, as a user clicking on does,
# which checks that each shows its whole text.
walk_pages() {
  local locale=$1 program=$2 pid
  LOCPATH=$locales LC_ALL=$locale.UTF-8 wine "$program" &
  pid=$!
  running=$pid
  LOCPATH=$locales LC_ALL=$locale.UTF-8 timeout 300 wine "$pages" "Tallimo " >"$work/pages.log" 2>&1 ||
    { cat "$work/pages.log"; fail "$program in $locale at $dpi dots per inch cuts a text off or hangs"; }
  wait_for_wine
  wait "$pid" || true
  running=
  sed "s/^/  /" "$work/pages.log"
}

# The dots per inch of the prefix's screen, as Windows' display scale sets them.
set_dpi() {
  wait_for_wine
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  wait_for_wine
}

status=0
timeout 120 wine "$setup" /S || status=$?
[ "$status" -eq 0 ] || fail "the silent install ended with status $status"
[ "$(ls "$install_dir" | LC_ALL=C sort | tr '\n' ' ')" = "$(sorted $texts tallimo-measure.exe tallimo.com tallimo.exe uninstall.exe)" ] ||
  fail "$install_win holds '$(ls "$install_dir" 2>&1 | tr '\n' ' ')', not $texts tallimo-measure.exe tallimo.com tallimo.exe uninstall.exe"
cmp -s "$install_dir/tallimo.exe" "$program" || fail "the installed tallimo.exe is not $program"
cmp -s "$install_dir/tallimo.com" "$console" || fail "the installed tallimo.com is not $console"
cmp -s "$install_dir/tallimo-measure.exe" "$measure" || fail "the installed tallimo-measure.exe is not $measure"
for text in $texts; do
  cmp -s "$install_dir/$text" "$work/zip/$text" || fail "the installed $text is not the zip's"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
ok "a silent install puts tallimo.exe, tallimo.com, tallimo-measure.exe, $texts and uninstall.exe into $install_win, and a shortcut"

# "tallimo" in a console opened after the install, from a folder without a Tallimo of its own:
# the PATH leads cmd to the installed tallimo.com (which .COM before .EXE in PATHEXT makes it
# take), and that answers on the console's output.
[ "$(path_without_install)" = "$path_before" ] && [ "$(user_path)" != "$path_before" ] ||
  fail "the install made the user's PATH '$(user_path)' from '$path_before'"
wait_for_wine
found=$(cd "$work" && wine cmd /c 'for %i in (tallimo.com) do @echo %~$PATH:i' | tr -d '\r')
[ "$found" = "$install_win\tallimo.com" ] || fail "cmd finds tallimo.com at '$found'"
answer=$(cd "$work" && wine cmd /c tallimo --version | tr -d '\r' | head -n 1)
[ "$answer" = "Tallimo $version" ] || fail "tallimo --version in cmd answered '$answer'"
ok "the install puts $install_win on the user's PATH, where cmd finds tallimo.com for tallimo"

entry=$(wine reg query "$key" | tr -d '\r')
declare -A values
while IFS= read -r line; do
  if [[ $line =~ ^\ {4}([A-Za-z]+)\ {4}(REG_[A-Z]+)\ {4}(.*)$ ]]; then
    values[${BASH_REMATCH[1]}]="${BASH_REMATCH[2]} ${BASH_REMATCH[3]}"
  fi
done <<<"$entry"
expect_value() {
  [ "${values[$1]-}" = "$2" ] || fail "$key\\$1 is '${values[$1]-}', not '$2'"
}
expect_value DisplayName "REG_SZ Tallimo"
expect_value DisplayVersion "REG_SZ $version"
expect_value Publisher "REG_SZ $publisher"
expect_value DisplayIcon "REG_SZ $install_win\\tallimo.exe"
expect_value InstallLocation "REG_SZ $install_win"
expect_value UninstallString "REG_SZ \"$install_win\\uninstall.exe\""
expect_value QuietUninstallString "REG_SZ \"$install_win\\uninstall.exe\" /S"
expect_value URLInfoAbout "REG_SZ $homepage"
expect_value NoModify "REG_DWORD 0x1"
expect_value NoRepair "REG_DWORD 0x1"
[[ ${values[EstimatedSize]-} =~ ^REG_DWORD\ (0x[0-9a-f]+)$ ]] || fail "no EstimatedSize in $key"
estimated=$((BASH_REMATCH[1]))
bytes=$(find "$install_dir" -type f -printf '%s\n' | awk '{ sum += $1 } END { print sum }')
[ $((bytes / 1024 - estimated)) -le 1 ] && [ $((estimated - bytes / 1024)) -le 1 ] ||
  fail "EstimatedSize is $estimated KiB for $bytes bytes installed"
[ "${#values[@]}" -eq 11 ] || fail "$key holds ${#values[@]} values, not 11: ${!values[*]}"
ok "$key holds the 11 values Apps & features reads, EstimatedSize $estimated KiB"

# "Open with": the types of drops/media_types.txt and drops/playlist_types.txt, and one start for
# any number of files.
[ -f "$send_to" ] || fail "no Send to shortcut $send_to"
registered=$(wine reg query "$open_with\\SupportedTypes" | tr -d '\r' |
  sed -n 's/^ \{4\}\(\.[a-z0-9]*\) \{4\}REG_SZ.*$/\1/p' | sort)
measured=$(cat "$source_dir/drops/media_types.txt" "$source_dir/drops/playlist_types.txt" | grep -v '^#' |
  awk '{ print "." $1 }' | sort)
[ "$registered" = "$measured" ] ||
  fail "SupportedTypes differs from drops/media_types.txt and drops/playlist_types.txt: $(diff <(echo "$measured") <(echo "$registered") | tr '\n' ' ')"
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ \{4\}$2 \{4\}REG_SZ \{4\}//p"; }
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ \{4\}(Default) \{4\}REG_SZ \{4\}//p'; }
[ "$(reg_default "$open_with\\shell\\open\\command")" = "\"$install_win\\tallimo.exe\" \"%1\"" ] ||
  fail "the open command is '$(reg_default "$open_with\\shell\\open\\command")'"
[ "$(reg_value "$open_with\\shell\\open" MultiSelectModel)" = Player ] || fail "no MultiSelectModel Player"
[ "$(reg_value "$open_with\\shell\\open\\DropTarget" Clsid)" = "{FFE2A43C-56B9-4bf5-9A79-CC6D4285608A}" ] ||
  fail "the open verb has no drop target that starts the program once"
# Offered, never preferred: no key of these extensions among the user's classes, where a type's
# own program would be set.
taken=$(wine reg query 'HKCU\Software\Classes' | tr -d '\r' | sed -n 's/^HKEY_CURRENT_USER\\Software\\Classes\\//p' |
  grep -ixF -f <(echo "$registered") || true)
[ -z "$taken" ] || fail "the installer made itself the program of $(tr '\n' ' ' <<<"$taken")"
ok "Send to shortcut, and Open with for the $(wc -l <<<"$registered") extensions of the media and playlist types"

# "Send to" with a file and a folder selected: one start of the installed program with both.
mkdir -p "$work/Album"
cp "$work/zip/LICENSE.txt" "$work/Album/notes.txt"
wine start /unix "$send_to" "$(winepath -w "$work/zip/README.txt")" "$(winepath -w "$work/Album")"
window=$(find_window '^Tallimo$') || fail "no Tallimo window appeared from Send to"
app_pid=$(xdotool getwindowpid "$window")
running=$app_pid
# Wine pads the command line it shows with spaces.
mapfile -t started < <(tr '\0' '\n' <"/proc/$app_pid/cmdline")
arguments=${started[*]:1}
arguments=${arguments%"${arguments##*[! ]}"}
[ "$arguments" = "$(winepath -w "$work/zip/README.txt") $(winepath -w "$work/Album")" ] ||
  fail "Send to started '${started[*]}'"
xdotool windowfocus --sync "$window" key Escape
timeout 60 tail --pid="$app_pid" -f /dev/null || fail "Tallimo did not end on Escape"
running=
ok "Send to starts the installed program once with the file and the folder"

# The program as the Start menu starts it. Wine shows a program's Windows path as its command
# line, which tells whether the shortcut led to the installed exe.
wine start /unix "$shortcut"
window=$(find_window '^Tallimo$') || fail "no Tallimo window appeared from the shortcut"
app_pid=$(xdotool getwindowpid "$window")
running=$app_pid
started=$(tr '\0' '\n' <"/proc/$app_pid/cmdline" | head -n 1)
[ "$started" = "$install_win\\tallimo.exe" ] || fail "the shortcut started '$started'"
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "the installed Tallimo did not stay up for 2 s"
ok "the shortcut starts $started, which stays up"

# What Apps & features runs for a quiet uninstall.
quiet=${values[QuietUninstallString]#REG_SZ }
[[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]] || fail "QuietUninstallString '$quiet' is not a quoted program with arguments"
quiet_program=${BASH_REMATCH[1]}
quiet_arguments=${BASH_REMATCH[2]}

installed=$(find "$install_dir" -printf '%P %s %T@\n' | sort)
status=0
timeout 120 wine "$setup" /S || status=$?
[ "$status" -eq 2 ] || fail "a silent install over the running program ended with status $status, not 2"
status=0
timeout 120 wine "$install_win\\uninstall.exe" /S || status=$?
[ "$status" -eq 2 ] || fail "uninstall.exe /S of the running program ended with status $status, not 2"
status=0
timeout 120 wine "$quiet_program" "$quiet_arguments" || status=$?
[ "$status" -eq 2 ] || fail "the quiet uninstall of the running program ended with status $status, not 2"
[ "$(find "$install_dir" -printf '%P %s %T@\n' | sort)" = "$installed" ] ||
  fail "a failed install or uninstall changed $install_win"
[ "$(wine reg query "$key" | tr -d '\r')" = "$entry" ] || fail "a failed uninstall changed $key"
kill -0 "$app_pid" 2>/dev/null || fail "Tallimo ended during the failed install"
ok "installing, uninstall.exe /S and the quiet uninstall while Tallimo runs fail with status 2 and change nothing"

xdotool windowfocus --sync "$window" key Escape
timeout 60 tail --pid="$app_pid" -f /dev/null || fail "Tallimo did not end on Escape"
running=

status=0
timeout 120 wine "$setup" /S || status=$?
[ "$status" -eq 0 ] || fail "the silent upgrade ended with status $status"
cmp -s "$install_dir/tallimo.exe" "$program" || fail "the upgraded tallimo.exe is not $program"
[ "$(wine reg query "$key" | tr -d '\r')" = "$entry" ] || fail "the upgrade changed the uninstall entry"
ok "installing over the installation upgrades it in place"

expect_title ja_JP "Tallimo アンインストール" "$install_win\\uninstall.exe"
expect_title en_US "Tallimo Uninstall" "$install_win\\uninstall.exe"
ok "the uninstaller speaks Japanese in ja_JP and English in en_US"

# uninstall.exe starts the uninstaller from the temporary folder and returns at once; the
# uninstaller removes the installation from there: wait for Wine to end.
status=0
wine "$quiet_program" "$quiet_arguments" || status=$?
[ "$status" -eq 0 ] || fail "the quiet uninstall ended with status $status"
wait_for_wine
[ ! -e "$install_dir" ] || fail "$install_win remains: $(ls -A "$install_dir" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the shortcut remains"
[ ! -e "$send_to" ] || fail "the Send to shortcut remains"
! wine reg query "$key" >/dev/null 2>&1 || fail "$key remains"
! wine reg query "$open_with" >/dev/null 2>&1 || fail "$open_with remains"
[ "$(user_path)" = "$path_before" ] || fail "the uninstall left the user's PATH '$(user_path)'"
ok "the quiet uninstall removes the folder, both shortcuts, the registry keys and the PATH entry"

# The helper that walks the pages, built for Windows with the tests.
pages=$build/tests/win32/tallimo_installer_pages.exe
[ -f "$pages" ] || fail "$pages missing: build the target tallimo_installer_pages"
for dpi in 96 144; do
  set_dpi "$dpi"
  for locale in en_US ja_JP; do
    walk_pages "$locale" "$setup"
    cmp -s "$install_dir/tallimo.exe" "$program" || fail "walking the installer's pages did not install"
    walk_pages "$locale" "$install_win\\uninstall.exe"
    [ ! -e "$install_dir" ] || fail "walking the uninstaller's pages left $install_win"
  done
done
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null
wait_for_wine
ok "every page of the installer and the uninstaller shows its whole text in English and Japanese at 96 and 144 dots per inch"

expect_title ja_JP "Tallimo セットアップ" "$setup"
expect_title en_US "Tallimo Setup" "$setup"
ok "the installer speaks Japanese in ja_JP and English in en_US"

# Windows deletes the uninstaller's copy at the next restart; the only other things allowed to
# appear are the folders for per-user programs and "Send to" shortcuts and the registry keys of
# uninstall entries and applications, which Windows has anyway.
rm -rf "$temp_dir"/~nsu*.tmp
allowed='^(\./users/[^/]+/AppData/Local/Programs|\./users/[^/]+/AppData/Roaming/Microsoft/Windows/SendTo|\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\]|\[Software\\\\Classes\\\\Applications\])$'
snapshot "$work/after"
left=$(comm -13 "$work/before" "$work/after" | grep -Ev "$allowed" || true)
gone=$(comm -23 "$work/before" "$work/after")
[ -z "$left$gone" ] || fail "the prefix differs after install and uninstall: new '$left', gone '$gone'"
ok "nothing of Tallimo is left in the prefix's files or registry"

echo "windows_test: $checks passed, 0 failed"
