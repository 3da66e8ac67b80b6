#!/usr/bin/env bash
# The Debian package as a user gets it: built with cpack, unpacked into a
# scratch root, its desktop data valid, and the installed programs run from
# there. A start from elsewhere keeps its league in $XDG_DATA_HOME/qgu; a start
# in a folder holding qgu_lge/ keeps using that folder; the desktop entry's
# command, on a virtual X server, makes the league in the data folder.
#
#   deb_install.sh BUILD_DIR [CPACK]
set -euo pipefail

BUILD=$1
CPACK=${2:-cpack}
. "$(dirname "$0")/../support/skip.sh"
command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing (package dpkg)"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$BUILD" && "$CPACK" -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libsdl2 libpng16 libstdc++6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
usr="$root/usr"
for file in games/qgu2 bin/qghelper bin/qgu-run lib/qgu/com/libqghelper.so share/qgu/bmps/main.bmp share/qgu/snds/main.wav \
            share/applications/org.quozi.GridcrownUltra.desktop share/applications/org.quozi.GridcrownUltra.Tools.desktop \
            share/qgu/screenshots/play.png share/qgu/screenshots/first-start.png share/metainfo/org.quozi.GridcrownUltra.metainfo.xml \
            share/icons/hicolor/48x48/apps/qgu2.png share/icons/hicolor/128x128/apps/qgu2.png \
            share/icons/hicolor/256x256/apps/qgu2.png share/man/man6/qgu2.6.gz share/man/man1/qghelper.1.gz \
            share/man/man1/qgu-run.1.gz share/doc/quozi-gridcrown-ultra/copyright; do
  [ -e "$usr/$file" ] || fail "the package lacks /usr/$file"
done
if command -v desktop-file-validate >/dev/null; then
  for entry in "$usr"/share/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "desktop-file-validate $(basename "$entry")"
  done
elif missing_in_ci "desktop-file-validate is missing (package desktop-file-utils)"; then
  exit 1
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$usr/share/metainfo/org.quozi.GridcrownUltra.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
elif missing_in_ci "appstreamcli is missing (package appstream)"; then
  exit 1
fi
# The entries start the installed programs by their whole paths, and every
# screenshot the metainfo names is a picture the package ships.
grep -qx "Exec=/usr/games/qgu2 --data-home" "$usr/share/applications/org.quozi.GridcrownUltra.desktop" || fail "qgu2's Exec="
grep -qx "Exec=/usr/bin/qghelper --data-home main" "$usr/share/applications/org.quozi.GridcrownUltra.Tools.desktop" ||
  fail "qghelper's Exec="
for shot in $(sed -n 's#.*<image>.*/\([^/]*\.png\)</image>.*#\1#p' "$usr/share/metainfo/org.quozi.GridcrownUltra.metainfo.xml"); do
  [ -s "$usr/share/qgu/screenshots/$shot" ] || fail "the metainfo's screenshot $shot is not shipped"
done
for program in games/qgu2 bin/qghelper bin/qgu-run; do
  "$usr/$program" --version | grep -q "^${program#*/} [0-9]" || fail "$program --version"
done

# A start from a folder without data: the league goes into the data folder.
mkdir -p "$work/home" "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
# A runtime folder of its own: the single-instance lock lives there.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/runtime"
(cd "$work/elsewhere" && "$usr/games/qgu2" --headless --quarter 1 --seed 3 --quiet >"$work/box.txt") || fail "installed qgu2 --headless"
grep -q "Quozi Sports News" "$work/box.txt" || fail "no box score: $(cat "$work/box.txt")"
[ -f "$XDG_DATA_HOME/qgu/qgu_lge/Quozi League/config.lge" ] || fail "no league in \$XDG_DATA_HOME/qgu"
[ ! -e "$work/elsewhere/qgu_lge" ] || fail "the league was made in the starting folder"
echo "headless start from elsewhere: league in \$XDG_DATA_HOME/qgu"

# A folder that holds qgu_lge/ is used as it is.
mkdir -p "$work/own"
cp -r "$XDG_DATA_HOME/qgu/qgu_lge" "$work/own/"
(cd "$work/own" && XDG_DATA_HOME="$work/unused" "$usr/games/qgu2" --headless --quarter 1 --seed 3 --quiet >/dev/null) ||
  fail "qgu2 in a folder holding qgu_lge"
[ ! -e "$work/unused" ] || fail "a start in a folder holding qgu_lge made the data folder"
echo "start in a folder holding qgu_lge: that folder"

# The installed qghelper registers the installed module.
"$usr/bin/qghelper" register >/dev/null || fail "qghelper register"
grep -q "$usr/lib/qgu/com/libqghelper.so" "$XDG_CONFIG_HOME/qgu/registry.ini" || fail "registry does not name the installed module"

# The desktop entry's command on a virtual X server, in a fresh data folder.
if command -v xvfb-run >/dev/null; then
  export XDG_DATA_HOME="$work/desktop-data"
  exec_line=$(sed -n 's/^Exec=//p' "$usr/share/applications/org.quozi.GridcrownUltra.desktop")
  read -r -a command <<<"$exec_line"
  # The entry names the program by its installed path; here that is under the scratch root.
  command[0]="$root${command[0]}"
  (cd "$work/elsewhere" && PATH="$usr/games:$usr/bin:$PATH" SDL_AUDIODRIVER=dummy \
     exec xvfb-run -a "${command[@]}" >"$work/desktop.log" 2>&1) &
  desktop=$!
  pids+=("$desktop")
  for _ in $(seq 1 150); do
    [ -f "$XDG_DATA_HOME/qgu/qgu_lge/Quozi League/config.lge" ] && break
    sleep 0.2
  done
  [ -f "$XDG_DATA_HOME/qgu/qgu_lge/Quozi League/config.lge" ] || { cat "$work/desktop.log" >&2; fail "desktop start made no league"; }
  # Started through PATH, its command line names no folder: find it by its program file.
  for pid in $(pgrep -x qgu2); do
    [ "$(readlink "/proc/$pid/exe")" = "$usr/games/qgu2" ] && kill -TERM "$pid"
  done
  # xvfb-run ends its server once qgu2 has gone; killed before that, it would leave the server behind.
  for _ in $(seq 1 100); do kill -0 "$desktop" 2>/dev/null || break; sleep 0.1; done
  echo "desktop entry start under Xvfb: league in \$XDG_DATA_HOME/qgu"
elif missing_in_ci "xvfb-run is missing (package xvfb): the desktop entry's start"; then
  exit 1
fi
echo "package installs and runs"
