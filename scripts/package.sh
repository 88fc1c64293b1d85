#!/usr/bin/env bash
# Builds the Debian package ordal_<version>_amd64.deb (program, plant simulator
# and ordal-render in /opt/ordal, desktop entry, icon, sample configuration).
#
#   scripts/package.sh [--check] [BUILD_DIR]
#
# BUILD_DIR defaults to build-package (a Release build); an existing build
# directory of this tree may be given instead (CI reuses its test build).
# --check then verifies the package: its file list, and an install into a
# scratch root followed by an upgrade over an operator's changed ordal.INI,
# which must keep that file. Nothing is installed on this system.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
build=${1:-$here/build-package}
bash scripts/deps.sh dpkg-dev file

if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DORDAL_PACKAGE=ON >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDAL_BUILD_TESTS=OFF -DORDAL_BUILD_BENCH=OFF \
    -DORDAL_PACKAGE=ON >/dev/null
fi
ninja -C "$build" -j2 ordal ordal-plantsim ordal-render
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/ordal_*_amd64.deb | head -n1)
echo "package: $deb"
[ $check = 1 ] || exit 0

fail() { echo "package check: $*" >&2; exit 1; }
list=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./opt/ordal/ordal ./opt/ordal/ordal-plantsim ./opt/ordal/ordal-render ./opt/ordal/ordal.INI.sample \
         ./opt/ordal/config/ ./opt/ordal/Temp/ ./opt/ordal/Template/ ./opt/ordal/Template/PrintWeb1.html \
         ./opt/ordal/Template/PrintWeb2.html ./opt/ordal/Template/ShiftReport.html ./opt/ordal/Template/PrintAlarms.html \
         ./usr/share/applications/ordal.desktop \
         ./usr/share/icons/hicolor/scalable/apps/ordal.svg ./usr/share/ordal/ordal-autostart.desktop; do
  grep -qx -- "$f" <<<"$list" || fail "$f is not in the package"
done
grep -q '^./opt/ordal/ordal.INI$' <<<"$list" && fail "ordal.INI must not be a file of the package (an upgrade would replace it)"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6sql6-mysql fonts-liberation2 qt6-translations-l10n libqt6widgets6 libmariadb3; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# Install into a scratch root, change the configuration as an operator would,
# install again (an upgrade) and see that the change is still there.
root=$(mktemp -d)
trap 'rm -rf "$root" "$root.log"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg_root() { # the scratch root has no packages: its missing dependencies are expected
  dpkg --root="$root" --force-script-chrootless --force-depends --force-not-root --log=/dev/null \
    --no-triggers "$@" >"$root.log" 2>&1 || { cat "$root.log" >&2; fail "dpkg $*"; }
}
dpkg_root -i "$deb"
ini="$root/opt/ordal/ordal.INI"
[ -f "$ini" ] || fail "installing made no ordal.INI"
cmp -s "$ini" "$root/opt/ordal/ordal.INI.sample" || fail "the first ordal.INI is not the sample"
[ -x "$root/opt/ordal/ordal" ] || fail "the program is not executable"
[ "$(stat -c %a "$root/opt/ordal/config")" = 2775 ] || fail "config/ is not group-writable"
printf '\n[MySQL]\nSavePassword=1\nPassword=OPERATORS-OWN\n' >>"$ini"
before=$(sha256sum <"$ini")
dpkg_root -i "$deb"
[ "$(sha256sum <"$ini")" = "$before" ] || fail "the upgrade changed the operator's ordal.INI"
dpkg_root -r ordal
[ -f "$ini" ] || fail "removing the package removed the operator's ordal.INI"
[ ! -e "$root/opt/ordal/ordal" ] || fail "removing the package left the program"
"$build/app/ordal" --version >/dev/null || fail "ordal --version"
echo "package check passed: files, dependencies, install, upgrade over a changed ordal.INI, remove"
