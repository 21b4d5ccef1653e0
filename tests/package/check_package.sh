#!/usr/bin/env bash
# The Debian package as a player's machine sees it: built by scripts/package.sh, passed by
# lintian (no errors), its AppStream data, desktop entry and manual page validated, its
# dependencies covering every library the program links, and its command, unpacked into a
# temporary root, keeping the state in the data folder under HOME, and, under Xvfb, playing.
# Usage: check_package.sh [package build folder]
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
dir=${1:-$top/build-package}
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

deb=$(bash "$top/scripts/package.sh" "$dir" 2>/dev/null | tail -1)
[ -f "$deb" ] || { echo "FAIL: no package built"; exit 1; }
case $(basename "$deb") in quadrant-rush_*_amd64.deb) ;; *) fail "package name $(basename "$deb")" ;; esac

lint=$(lintian "$deb" 2>&1 | grep -v '^running with root')
echo "lintian: ${lint:-clean}"
grep -q '^E:' <<<"$lint" && fail "lintian errors"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/tree"
cmd=$root/tree/usr/games/quadrant-rush
program=$root/tree/usr/libexec/quadrant-rush/quadrant-rush

appstreamcli validate --no-net --explain "$root"/tree/usr/share/metainfo/*.metainfo.xml >/dev/null ||
  fail "appstreamcli validate"
desktop-file-validate "$root/tree/usr/share/applications/quadrant-rush.desktop" || fail "desktop entry"
man_warnings=$(zcat "$root/tree/usr/share/man/man6/quadrant-rush.6.gz" | groff -man -ww -z 2>&1)
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"
file "$program" | grep -q 'not stripped' && fail "program not stripped"
for size in 16 24 32 48 64 128 256 512; do
  [ -f "$root/tree/usr/share/icons/hicolor/${size}x${size}/apps/quadrant-rush.png" ] || fail "no ${size} px icon"
done

# Every library the program links comes from a package the Depends field names.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in $(readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64/ {print $NF; exit}')
  pkg=$({ dpkg -S "$path" || dpkg -S "$(readlink -f "$path")" || dpkg -S "*/$lib"; } 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$pkg" ] && grep -qw -- "$pkg" <<<"$depends" || fail "$lib ($pkg) is not in Depends: $depends"
done

# The command, without a display: the program answers at once, so each run shows what the
# command did with the state folder before starting it.
home=$root/home
mkdir -p "$home"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$home" "$@" "$cmd" 2>"$root/err" >"$root/out"; }
run
[ -d "$home/.local/share/quadrant-rush" ] || fail "no state folder made"
[ ! -e "$home/.tarnstate" ] || fail "a state file in the home folder"
HOME="$home" "$cmd" --help | grep -qF "$home/.local/share/quadrant-rush/.tarnstate" || fail "--help names no state place"

# An older ~/.tarnstate is copied once into a data folder that has none, and never over one.
rm -rf "$home/.local"
printf '7|' >"$home/.tarnstate"
run
[ "$(cat "$home/.local/share/quadrant-rush/.tarnstate" 2>/dev/null)" = '7|' ] || fail "older state not copied"
printf '8|' >"$home/.tarnstate"
run
[ "$(cat "$home/.local/share/quadrant-rush/.tarnstate")" = '7|' ] || fail "copied over an existing state"

# A state folder that cannot be made: one line on standard error, and the game still starts.
: >"$root/afile"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$root/afile" "$cmd" 2>"$root/err" >"$root/out"
[ "$(wc -l <"$root/err")" -eq 1 ] && grep -q "$root/afile/quadrant-rush" "$root/err" || fail "unmakeable folder: $(cat "$root/err")"
[ -s "$root/out" ] || fail "the game did not start without a state folder"

# With a display: the unpacked command plays, shows the scores of an older ~/.tarnstate in its
# menu and keeps the state under HOME (the end-to-end suite's installed journey, given the package).
journey=${QR_INSTALL_TEST:-$top/build/tests/e2e/install_test}
if [ -x "$journey" ]; then
  out=$(QR_PACKAGE_DEB="$deb" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$journey" \
    --gtest_filter='Installed.FromTheDebianPackage*' 2>&1)
  grep -q '^\[  PASSED  \] 1 test' <<<"$out" && ! grep -q '^\[  SKIPPED' <<<"$out" ||
    fail "the unpacked package's journey: $out"
else
  fail "no $journey to play the unpacked package (build the normal tree first)"
fi

[ $fails -eq 0 ] && echo "package checks passed"
exit $((fails > 0))
