#!/usr/bin/env bash
# Checks the Debian package that `make package` built: lintian finds no error and no warning the
# README does not accept; the package holds the icon at every size and depends on Qt's
# translations; then, as root only, the package installs with apt-get, its desktop entry
# and metadata validate, the program starts and stays up, and a purge leaves none of its files.
# The package is removed again whatever happens. Usage: deb_test.sh BUILD_DIR
set -euo pipefail

build=$1
readme="$(dirname "$0")/../../README.md"
package=tallimo
id=example.tallimo.Tallimo

fail() { echo "deb_test: $*" >&2; exit 1; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$(realpath "$build/${package}_${version}_$(dpkg --print-architecture).deb")
[ -f "$deb" ] || fail "$deb missing: run make package first"

# The README lists the lintian warnings we accept, one "- `tag`: reason" line each, under this
# heading; everything else lintian warns about is a fault.
accepted=$(awk '/^### Lintian warnings we accept/ { inside = 1; next }
                /^#/ { inside = 0 }
                inside && /^- `[a-z0-9.+-]+`/ { split($0, part, "`"); print part[2] }' "$readme")
lintian_output=$(lintian --fail-on none --display-info "$deb" 2>&1) || fail "lintian did not run"
echo "$lintian_output"
faults=0
while read -r severity _ tag _; do
  case $severity in
    E:) echo "lintian error: $tag" >&2; faults=$((faults + 1)) ;;
    W:) if ! grep -qxF -- "$tag" <<<"$accepted"; then
          echo "lintian warning the README does not accept: $tag" >&2; faults=$((faults + 1))
        fi ;;
  esac
done <<<"$lintian_output"
[ "$faults" -eq 0 ] || fail "$faults lintian finding(s) to fix"
echo "lintian: no errors, no warnings beyond those the README accepts"

# What the package holds beyond its programs: the program's icon at every size of the icon theme's
# folders up to 256 and as an SVG drawing, and a dependency on Qt's translations, which the program
# loads for Qt's own texts.
contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for size in 16 22 24 32 48 64 128 256; do
  grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/$id.png" <<<"$contents" ||
    fail "the package has no ${size}x${size} icon"
done
grep -qx "./usr/share/icons/hicolor/scalable/apps/$id.svg" <<<"$contents" ||
  fail "the package has no scalable icon"
dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -qx ' *qt6-translations-l10n' ||
  fail "the package does not depend on qt6-translations-l10n"
echo "contents: the icon in 8 sizes and as SVG, and Qt's translations among the dependencies"

if [ "$(id -u)" -ne 0 ]; then
  echo "deb_test: skipped installing the package: that needs root (CI runs it as root)"
  exit 0
fi

installed() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qv '^not-installed$'; }
# Another apt or dpkg run may hold the lock for a moment; wait for it instead of failing.
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 -y -q "$@"; }

# Refuse to touch an installation that is not ours, and to check a purge that could not be clean.
installed && fail "$package is installed on this machine already; remove it before this test"
mapfile -t entries < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^/*$')
existing_dirs=()
for entry in "${entries[@]}"; do
  if [ -d "$entry" ] && [ ! -L "$entry" ]; then
    existing_dirs+=("$entry")
  elif [ -e "$entry" ] || [ -L "$entry" ]; then
    fail "$entry exists before installing: a purge could not be checked"
  fi
done

app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if installed; then apt_get purge "$package" >/dev/null || dpkg --purge "$package"; fi
}
trap cleanup EXIT

apt_get install "$deb" >/dev/null
[ "$(dpkg-query -W -f='${Version}' "$package")" = "$version" ] || fail "version $version not installed"

desktop-file-validate "/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "installed metainfo does not validate"

# The measuring program greets on its channel once its limits and lock-down are in place; on a
# pipe instead of its socket it then ends. The README gives the same check to users.
measure=/usr/libexec/tallimo/tallimo-measure
[ "$("$measure" 3>&1 | head -c 4)" = HELO ] || fail "$measure does not start and lock itself down"

QT_QPA_PLATFORM=offscreen /usr/bin/tallimo &
app_pid=$!
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "/usr/bin/tallimo did not stay up for 2 s"
kill "$app_pid"
wait "$app_pid" || true
app_pid=

apt_get purge "$package" >/dev/null
installed && fail "$package still known to dpkg after the purge"
left=()
for entry in "${entries[@]}"; do
  if [ -e "$entry" ] || [ -L "$entry" ]; then
    printf '%s\n' "${existing_dirs[@]}" | grep -qxF -- "$entry" || left+=("$entry")
  fi
done
[ ${#left[@]} -eq 0 ] || fail "left after the purge: ${left[*]}"
compgen -G "/var/lib/dpkg/info/$package.*" >/dev/null && fail "dpkg still keeps files of $package"
echo "installed with apt-get, validated, started, purged without a trace: ${#entries[@]} paths checked"
