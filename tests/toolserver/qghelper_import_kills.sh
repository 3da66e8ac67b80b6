#!/bin/bash
# Command-line imports killed by a signal at their Nth write, flush, rename or
# folder creation, for every N the import reaches: into a new league, and
# replacing teams of a league (one of them moving to a lower file number).
# Right after a kill the league holds only whole teams, each at most once,
# no replaced team is lost and no league shows without its config.lge; the
# next import removes what the kill left and ends with the whole league.
# usage: qghelper_import_kills.sh QGHELPER CARTRIDGE_IMAGE
qghelper=$1
image=$2
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
if ! command -v strace >/dev/null 2>&1 || ! strace -qq -o /dev/null true 2>/dev/null; then
  echo "strace cannot trace here: the kills are skipped"
  exit 0
fi

teams=0,1,2
import() { "$qghelper" import-rom base --image "$image" --league "Cut Short" --teams $teams --duplicates replace; }

# The reference: the three teams imported whole.
mkdir "$scratch/reference" && cd "$scratch/reference" && import >/dev/null || fail "the reference import failed"
reference="$scratch/reference/base/qgu_lge/Cut Short"
[ "$(ls "$reference" | wc -l)" -eq 7 ] || fail "the reference import made: $(ls "$reference")"

# teams_in LEAGUE: "city|nickname|abbreviation" of each team file, sorted.
teams_in() {
  for team in "$1"/*.dat; do
    [ -e "$team" ] && head -1 "$team" | cut -d "$(printf '\001')" -f 1-3
  done | sort
}

# after_kill WHAT REPLACING: the league as a kill may leave it.
after_kill() {
  local leagues=base/qgu_lge league="base/qgu_lge/Cut Short"
  for folder in "$leagues"/*; do
    [ -d "$folder" ] && [ ! -f "$folder/config.lge" ] && fail "$1: a league without config.lge: $folder"
  done
  [ -d "$league" ] || { [ "$2" = no ] && return; fail "$1: the league is gone"; return; }
  for team in "$league"/*.dat; do
    [ -e "$team" ] || continue
    [ "$(wc -l <"$team")" -eq 31 ] || fail "$1: $team is not whole ($(wc -c <"$team") bytes)"
  done
  local listed
  listed=$(teams_in "$league")
  [ "$(echo "$listed" | sort -u)" = "$listed" ] || fail "$1: a team is there twice: $(ls "$league" | tr '\n' ' ')"
  [ "$2" = yes ] && [ "$listed" != "$(teams_in "$reference")" ] && fail "$1: a replaced team was lost: $(ls "$league" | tr '\n' ' ')"
}

# whole WHAT: after the next import, exactly the reference league.
whole() {
  local league="base/qgu_lge/Cut Short"
  [ "$(ls -A base/qgu_lge)" = "Cut Short" ] || fail "$1: the leagues folder holds: $(ls -A base/qgu_lge | tr '\n' ' ')"
  [ "$(ls -A "$league")" = "$(ls -A "$reference")" ] || fail "$1: the league holds: $(ls -A "$league" | tr '\n' ' ')"
  diff -r "$reference" "$league" >/dev/null || fail "$1: the files differ from an uncut import"
}

# A league of the three teams in which team 0's files sit at number 1, so
# its replacement moves to number 0.
prepare_replacing() {
  cp -r "$scratch/reference/base" base
  local league="base/qgu_lge/Cut Short" first
  first=$(cd "$league" && ls *0.dat | head -1)
  mv "$league/$first" "$league/${first%0.dat}1.dat"
  mv "$league/${first%.dat}.bmp" "$league/${first%0.dat}1.bmp"
}

runs=0
for mode in new replacing; do
  for call in write fsync rename renameat2 mkdir; do
    n=1
    while [ "$n" -le 300 ]; do
      dir="$scratch/$mode-$call-$n"
      mkdir "$dir" && cd "$dir" || exit 1
      [ "$mode" = replacing ] && prepare_replacing
      # (The shell's note of the kill is not wanted.)
      (strace -f -qq -o /dev/null -e trace="$call" -e inject="$call:signal=KILL:when=$n" \
        "$qghelper" import-rom base --image "$image" --league "Cut Short" --teams $teams --duplicates replace \
        >out.txt 2>err.txt; exit $?) 2>/dev/null
      status=$?
      runs=$((runs + 1))
      if [ "$status" -eq 0 ]; then
        whole "$mode import, no kill at $call $n"
        kills="$kills $mode/$call:$((n - 1))"
        cd "$scratch" && rm -rf "$dir"
        break
      fi
      after_kill "$mode import killed at $call $n" "$([ "$mode" = replacing ] && echo yes || echo no)"
      import >next.txt 2>next-err.txt || fail "$mode import after a kill at $call $n: $(cat next-err.txt)"
      whole "$mode import killed at $call $n"
      cd "$scratch" && rm -rf "$dir"
      n=$((n + 1))
    done
  done
done
echo "$runs imports run under strace; kills (mode/call:count):$kills"
[ "$failures" -eq 0 ]
