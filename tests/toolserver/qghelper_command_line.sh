#!/bin/sh
# The qghelper host from a script: the import without dialogs (its output,
# files, duplicates and refusals), registration, and commands that need a
# display refusing cleanly without one.
# usage: qghelper_command_line.sh QGHELPER CARTRIDGE_IMAGE
qghelper=$1
image=$2
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
export XDG_CONFIG_HOME="$scratch/config"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect STATUS ARGS...: runs qghelper ARGS; wants the exit status STATUS.
expect() {
  status=$1
  shift
  "$qghelper" "$@" >out.txt 2>err.txt
  got=$?
  [ "$got" -eq "$status" ] || fail "qghelper $* exited $got, wanted $status: $(cat err.txt)"
}

contains() { grep -qF -- "$2" "$1" || fail "$1 lacks \"$2\": $(cat "$1")"; }

league="$scratch/base/qgu_lge/Script League"

# Teams 3 and 1 into a new league: team 1 is written first, each with its helmet.
expect 0 import-rom base --image "$image" --league "Script League" --teams 3,1
contains out.txt "created league base/qgu_lge/Script League"
[ "$(grep -c '^wrote ' out.txt)" -eq 2 ] || fail "two teams written: $(cat out.txt)"
first=$(sed -n 's/^wrote //p' out.txt | head -1)
expect 0 import-rom base --image "$image" --league "Other" --teams 1
[ "$(basename "$first")" = "$(sed -n 's/^wrote .*\///p' out.txt)" ] || fail "team 1 was not written first"
for team in "$league"/*.dat; do
  [ -f "${team%.dat}.bmp" ] || fail "no helmet beside $team"
done
[ "$(head -c 3 "$league/config.lge")" = "Scr" ] || fail "config.lge missing"

# Duplicates kept, then replaced under the same names.
before=$(ls "$league")
expect 0 import-rom base --image "$image" --league "Script League" --teams 1,3 --duplicates keep
contains out.txt "kept the league's own team for cartridge team 1"
contains out.txt "kept the league's own team for cartridge team 3"
[ "$(ls "$league")" = "$before" ] || fail "keeping duplicates changed the league"
expect 0 import-rom base --image "$image" --league "Script League" --teams all
[ "$(grep -c '^wrote ' out.txt)" -eq 28 ] || fail "all 28 teams written: $(cat out.txt)"
[ "$(grep -c '^replaced ' out.txt)" -eq 2 ] || fail "two teams replaced: $(cat out.txt)"
[ "$(ls "$league"/*.dat | wc -l)" -eq 28 ] || fail "28 team files after replacing"

# A name with blanks around it is the same league.
expect 0 import-rom base --image "$image" --league " Script League " --teams 1 --duplicates keep
[ "$(ls base/qgu_lge | wc -l)" -eq 2 ] || fail "a blank after the name made a league: $(ls base/qgu_lge)"
grep -q "created league" out.txt && fail "a blank after the name made a league: $(cat out.txt)"

# "." and ".." name no league (they once locked the leagues folder twice and hung).
for name in . " . " .. " .."; do
  timeout 60 "$qghelper" import-rom base --image "$image" --league "$name" --teams 1 --duplicates keep >out.txt 2>err.txt
  got=$?
  [ "$got" -eq 1 ] || fail "--league \"$name\" exited $got, wanted 1: $(cat err.txt)"
  contains err.txt "cannot name a league"
done
[ "$(ls base/qgu_lge | wc -l)" -eq 2 ] || fail "a refused name changed the leagues: $(ls base/qgu_lge)"

# DIR may be the leagues folder itself: no qgu_lge inside qgu_lge.
expect 0 import-rom base/qgu_lge/ --image "$image" --league "Script League" --teams 1 --duplicates keep
[ -e base/qgu_lge/qgu_lge ] && fail "import-rom into the leagues folder made qgu_lge/qgu_lge"
contains out.txt "kept the league's own team for cartridge team 1"
# The dialogs refuse a DIR holding no leagues, with the reason, before any window.
mkdir empty empty/qgu_lge-not
expect 1 edit-teams empty
contains err.txt "empty holds no leagues (it has no qgu_lge folder): give the folder that holds qgu_lge/"
expect 1 import-rom empty
contains err.txt "holds no leagues"
expect 1 edit-teams missing
contains err.txt "missing is not a folder"
mkdir -p bare/qgu_lge
expect 1 edit-teams bare
contains err.txt "qgu_lge holds no leagues yet"

# A replaced team whose file number changes takes its helmet along.
team=$(cd "$league" && ls *0.dat | head -1)
mv "$league/$team" "$league/${team%0.dat}3.dat"
printf 'stale' >"$league/${team%0.dat}3.bmp"
expect 0 import-rom base --image "$image" --league "Script League" --teams all
[ -f "$league/$team" ] && [ -f "$league/${team%.dat}.bmp" ] || fail "the replaced team is not at $team with its helmet"
[ -e "$league/${team%0.dat}3.dat" ] || [ -e "$league/${team%0.dat}3.bmp" ] && fail "the old file or helmet stayed: $(ls "$league")"
cmp -s "$league/${team%.dat}.bmp" "$(ls "$league"/*.bmp | grep -v "/${team%.dat}.bmp" | head -1)" && fail "helmets all alike"

# Pictures that cannot be written (a full disk, here a file-size limit) are reported.
sh -c 'trap "" XFSZ; ulimit -f 16; exec "$0" "$@"' "$qghelper" import-rom limited --image "$image" --league L \
  --teams 0,1 >out.txt 2>err.txt && fail "an import that wrote no helmets exited 0"
[ "$(grep -c 'helmet picture was not written' err.txt)" -eq 2 ] || fail "helmets not reported: $(cat err.txt)"

# Refusals: the described messages on standard error, nothing on standard output.
printf 'not a cartridge' >plain.nes
expect 1 import-rom base --image plain.nes --league "Script League"
contains err.txt "Rom is not valid NES Rom!"
contains err.txt "Unable to load rom. Make sure it is not opened by another program"
[ -s out.txt ] && fail "a refused image printed: $(cat out.txt)"
# An image that cannot be read at all: the described message, and why on the next line.
mkdir folder.nes
mkfifo pipe.nes
truncate -s 18M huge.nes
for case in "missing.nes:No such file or directory" "folder.nes:is a folder, not a file" \
            "pipe.nes:is not a regular file" "huge.nes:bytes, more than the"; do
  expect 1 import-rom base --image "${case%%:*}" --league "Script League"
  grep -A1 -x "qghelper: Unable to load rom. Make sure it is not opened by another program" err.txt | sed -n 2p |
    grep -qF -- "${case#*:}" || fail "${case%%:*} gives no reason on the second line: $(cat err.txt)"
done
expect 1 import-rom fresh --image plain.nes --league "New"
[ -e fresh/qgu_lge ] && fail "a refused image left a leagues folder"
expect 1 import-rom base --image "$image" --league "Script League" --teams 30
contains err.txt "There is no cartridge team 30"
expect 2 import-rom base --image "$image" --league "Script League" --teams 1,x
expect 2 import-rom base --image "$image"
expect 2 import-rom base --image "$image" --league L --duplicates sometimes
expect 2 frobnicate

# Registration, and no window without a display.
expect 0 register
[ -f "$XDG_CONFIG_HOME/qgu/registry.ini" ] || fail "register wrote no registry file"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$qghelper" about >out.txt 2>err.txt && fail "about ran without a display"
contains err.txt "there is no display"
expect 0 unregister
[ -e "$XDG_CONFIG_HOME/qgu/registry.ini" ] && fail "unregister left the registry file"
# A registry file with another program's entries comes back byte for byte.
printf '[HKEY_CLASSES_ROOT\\Other.Thing]\r\n@=Other Thing Class\r\n' >"$XDG_CONFIG_HOME/qgu/registry.ini"
cp "$XDG_CONFIG_HOME/qgu/registry.ini" registry-before.ini
expect 0 register
cmp -s registry-before.ini "$XDG_CONFIG_HOME/qgu/registry.ini" && fail "register wrote nothing"
expect 0 unregister
cmp -s registry-before.ini "$XDG_CONFIG_HOME/qgu/registry.ini" || fail "register then unregister changed the registry file"

# A registry file with CR LF or CR CR LF line ends is still recognised:
# registering again changes nothing, unregistering removes every key.
registry="$XDG_CONFIG_HOME/qgu/registry.ini"
rm -f "$registry"
expect 0 register
cp "$registry" registered-lf.ini
for ending in '\r' '\r\r'; do
  sed "s/\$/$(printf "$ending")/" registered-lf.ini >"$registry"
  cp "$registry" converted.ini
  expect 0 register
  cmp -s converted.ini "$registry" || fail "registering again into a file with CRs changed it: $(cat -A "$registry")"
  expect 0 unregister
  [ -e "$registry" ] && fail "unregistering a file with CRs left: $(cat -A "$registry")"
done

# Output that cannot be written is a failure, said on standard error.
for command in --help register; do
  "$qghelper" "$command" >/dev/full 2>err.txt && fail "qghelper $command into a full file exited 0"
  contains err.txt "unable to write to standard output: No space left on device"
done
expect 0 unregister

# Files that are no files, where a file is read, are refused at once with the reason.
mkfifo pipe
printf '{"home": {"statistics": "A|"}, "away": {"statistics": "B|"}}' >game.json
export QT_QPA_PLATFORM=offscreen
for file in /dev/zero pipe .; do
  expect 1 report --json "$file"
  contains err.txt "$file is"
done
yes | "$qghelper" report --json - >out.txt 2>err.txt && fail "an endless standard input was taken"
contains err.txt "standard input holds more than 1048576 bytes"
mv "$registry" registry-kept.ini
for what in folder device pipe; do
  case $what in
    folder) mkdir "$registry" ;;
    device) ln -s /dev/zero "$registry" ;;
    pipe) mkfifo "$registry" ;;
  esac
  for command in register unregister about "report --json game.json"; do
    # shellcheck disable=SC2086
    expect 1 $command
    contains err.txt "$registry is"
  done
  rm -rf "$registry"
done
# A registry naming a module that is gone (the package removed): the own
# module takes its place at the first window command; with none either, it is said.
expect 0 register
sed "s#=.*libqghelper.so\$#=$scratch/gone/libqghelper.so#" "$registry" >moved.ini && mv moved.ini "$registry"
QGHELPER_MODULE="$scratch/none.so" "$qghelper" about >out.txt 2>err.txt && fail "about ran with no module at all"
contains err.txt "names the module $scratch/gone/libqghelper.so, which is not there (was the package removed?)"
# The about box stays open until closed; the registration comes before it.
timeout 3 "$qghelper" about >out.txt 2>err.txt
contains err.txt "in place of the missing $scratch/gone/libqghelper.so"
grep -q "$scratch/gone" "$registry" && fail "the missing module is still registered"
unset QT_QPA_PLATFORM

[ "$failures" -eq 0 ]
