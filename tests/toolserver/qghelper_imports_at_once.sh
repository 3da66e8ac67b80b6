#!/bin/sh
# Four command-line imports of all 28 teams with --duplicates replace into one
# league at once, again and again: every round must end with exactly one
# league holding 28 whole teams, each once and each with its helmet, and
# nothing else. Odd rounds start from nothing (the imports also race to make
# the league), even rounds import into the league the round before made.
# usage: qghelper_imports_at_once.sh QGHELPER CARTRIDGE_IMAGE [ROUNDS]
qghelper=$1
image=$2
rounds=${3:-20}
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
# Qt complains on stderr without a runtime folder, and stderr must stay quiet.
mkdir -m 700 runtime && export XDG_RUNTIME_DIR="$scratch/runtime"
failures=0
fail() {
  echo "FAIL: round $round: $*"
  failures=$((failures + 1))
}

round=1
while [ "$round" -le "$rounds" ]; do
  [ $((round % 2)) -eq 1 ] && rm -rf base
  for i in 1 2 3 4; do
    "$qghelper" import-rom base --image "$image" --league "At Once" --duplicates replace >out$i.txt 2>err$i.txt &
  done
  wait
  for i in 1 2 3 4; do
    [ -s err$i.txt ] && fail "import $i said: $(cat err$i.txt)"
  done
  league="base/qgu_lge/At Once"
  [ "$(ls -A base/qgu_lge)" = "At Once" ] || fail "the leagues folder holds: $(ls -A base/qgu_lge | tr '\n' '|')"
  teams=$(ls "$league" | grep -c '\.dat$')
  helmets=$(ls "$league" | grep -c '\.bmp$')
  others=$(ls -A "$league" | grep -v -e '\.dat$' -e '\.bmp$' -e '^config\.lge$')
  [ "$teams" -eq 28 ] || fail "$teams team files"
  [ "$helmets" -eq 28 ] || fail "$helmets helmet pictures"
  [ -z "$others" ] && [ -f "$league/config.lge" ] || fail "besides the teams: $(ls -A "$league" | tr '\n' ' ')"
  for team in "$league"/*.dat; do
    [ -f "${team%.dat}.bmp" ] || fail "no helmet beside $team"
    [ "$(wc -l <"$team")" -eq 31 ] || fail "$team is not whole"
  done
  distinct=$(for team in "$league"/*.dat; do head -1 "$team" | cut -d "$(printf '\001')" -f 1-3; done | sort -u | wc -l)
  [ "$distinct" -eq 28 ] || fail "$distinct distinct teams among $teams files"
  round=$((round + 1))
done
echo "$rounds rounds of four imports at once"
[ "$failures" -eq 0 ]
