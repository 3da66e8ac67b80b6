#!/bin/bash
# Whole seasons of a 4-team league (1-minute quarters) played by qgu2:
#  - with one job and with two: byte-identical tables, leaders, bracket and report;
#  - killed with SIGKILL at 30 random moments and resumed: the same season as without kills;
#  - as jobs run by GNU parallel and taken in with `season record`: the same season again;
#  - hostile names and counts, and a team file deleted mid-season: clear errors, nothing lost.
# usage: season_runs.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The default league's first four teams make the small league.
"$qgu2" --headless --quiet --quarter 1 --seed 1 >/dev/null || { echo "FAIL: the default league was not made"; exit 1; }
make_league() {
  mkdir -p "$1/qgu_lge/Small" && cp "qgu_lge/Quozi League"/{AMBE0,BRIS0,CALD0,CIND0}.dat "$1/qgu_lge/Small/"
}
season() {
  local folder=$1
  shift
  (cd "$folder" && "$qgu2" season "$@")
}
create() { season "$1" create Small S --quarter 1 --games 6 --seed 11 >/dev/null 2>&1; }
outputs() {
  for what in table leaders bracket schedule; do
    season "$1" "$what" Small S >"$1/$what.txt" && season "$1" "$what" Small S --json >"$1/$what.json" || fail "$what of $1"
  done
  season "$1" report Small S --html "$scratch/$1/report.html" || fail "report of $1"
}
same_season() {  # reference folder, other folder, what
  for file in table.txt table.json leaders.txt leaders.json bracket.txt bracket.json schedule.txt report.html; do
    cmp -s "$1/$file" "$2/$file" || fail "$3: $file differs from the uninterrupted season"
  done
  if ! cmp -s <(sort "$1/qgu_lge/Small/seasons/S/journal.jsonl") <(sort "$2/qgu_lge/Small/seasons/S/journal.jsonl"); then
    fail "$3: the journal holds other games"
  fi
}

# One job, then two.
make_league one && create one || fail "create"
season one play Small S --jobs 1 --quiet 2>/dev/null || fail "play --jobs 1"
outputs one
grep -q "Champion" one/bracket.txt || fail "no champion after --all: $(cat one/bracket.txt)"
[ "$(wc -l <one/qgu_lge/Small/seasons/S/journal.jsonl)" -eq 13 ] || fail "13 games expected in the journal"
make_league two && create two
season two play Small S --jobs 2 --quiet 2>/dev/null || fail "play --jobs 2"
outputs two
same_season one two "two jobs"

# Killed at 30 random moments; each season that gets to its end is compared and begun again.
make_league kill && create kill
kills=0
seasons=0
while [ $kills -lt 30 ]; do
  (cd kill && exec "$qgu2" season play Small S --jobs 2 --quiet 2>>../kill-stderr.txt) &
  pid=$!
  sleep "$((RANDOM % 2500 / 1000)).$(printf %03d $((RANDOM % 1000)))"
  kill -9 $pid 2>/dev/null && kills=$((kills + 1))
  wait $pid 2>/dev/null
  if [ "$(wc -l <kill/qgu_lge/Small/seasons/S/journal.jsonl)" -ge 13 ]; then
    outputs kill
    same_season one kill "killed runs"
    seasons=$((seasons + 1))
    rm -rf kill/qgu_lge/Small/seasons && create kill
  fi
done
season kill play Small S --jobs 2 --quiet 2>>kill-stderr.txt || fail "the resumed run"
outputs kill
same_season one kill "killed runs"
echo "30 kills over $((seasons + 1)) seasons; $(grep -c 'torn last line' kill-stderr.txt) torn last lines dropped"

# Jobs for GNU parallel, results taken in, round after round.
if command -v parallel >/dev/null; then
  make_league par && create par
  for round in 1 2 3 4; do
    season par jobs Small S --results results --program "$qgu2" >par/jobs.txt || fail "jobs"
    [ -s par/jobs.txt ] || break
    (cd par && parallel --will-cite -j2 <jobs.txt) || fail "parallel round $round"
    (cd par && "$qgu2" season record Small S results/*.json 2>/dev/null) || fail "record round $round"
  done
  outputs par
  same_season one par "GNU parallel"
  # A result taken in twice is ignored; one with another seed is refused.
  (cd par && "$qgu2" season record Small S results/game-1.json) 2>&1 | grep -q "0 results recorded, 1 recorded already" ||
    fail "a result recorded again is not ignored"
  # Into a season of the same seed that has not played game 2 yet.
  make_league check && create check
  sed 's/"seed":[0-9]*/"seed":1/' par/results/game-2.json >check/bad.json
  (cd check && "$qgu2" season record Small S bad.json) 2>&1 | grep -q "bad.json: the seed 1 is not game 2's seed" ||
    fail "a result with another seed is not refused"
  cp par/results/game-2.json check/good.json
  (cd check && "$qgu2" season record Small S good.json) 2>&1 | grep -q "1 results recorded" ||
    fail "a good result is not recorded"
elif [ "${CI:-}" = true ]; then
  fail "GNU parallel is not installed (package parallel; CI=true: a skipped part fails)"
else
  echo "GNU parallel is not installed: its part is skipped"
fi

# Hostile names and counts.
expect_refusal() {  # message, args...
  local message=$1
  shift
  if (cd one && "$qgu2" season "$@") >out.txt 2>err.txt; then
    fail "qgu2 season $* exited 0"
  elif ! grep -qF -- "$message" err.txt; then
    fail "qgu2 season $* said: $(cat err.txt), wanted: $message"
  fi
}
expect_refusal '".." cannot name a season' create Small ..
expect_refusal 'cannot hold "/"' create Small a/b
expect_refusal "at most 64 characters, not 300" create Small "$(printf 'x%.0s' $(seq 300))"
expect_refusal '"../Small" is not a league name' create ../Small T
expect_refusal "games per team: 1 to 40, not 0" create Small T --games 0
expect_refusal "games per team: 1 to 40, not 10000" create Small T --games 10000
expect_refusal "9 playoff teams, but the season has only 4 teams" create Small T --playoff-teams 9
expect_refusal 'the season "S" exists already' create Small S
expect_refusal 'no season "Nope"' table Small Nope
[ "$(ls one/qgu_lge/Small/seasons)" = "S" ] || fail "a refused season left something: $(ls one/qgu_lge/Small/seasons)"

# A team file deleted mid-season: its games say why, the others are played, nothing is lost.
make_league gone && create gone
season gone play Small S --week 1 --quiet 2>/dev/null || fail "week 1"
before=$(cat gone/qgu_lge/Small/seasons/S/journal.jsonl)
rm gone/qgu_lge/Small/CIND0.dat
if season gone play Small S --regular --quiet >/dev/null 2>gone/err.txt; then
  fail "a season with a team file gone played on without a word"
fi
grep -q "CIND0.dat" gone/err.txt || fail "the gone team file is not named: $(cat gone/err.txt)"
after=gone/qgu_lge/Small/seasons/S/journal.jsonl
[ "$(head -c ${#before} $after)" = "$before" ] || fail "the journal lost games"
# Six games without CIND, and the CIND games of week 1.
expected=$((6 + $(grep -c CIND0.dat <<<"$before")))
[ "$(wc -l <$after)" -eq $expected ] || fail "the games without the gone team were not all played ($(wc -l <$after) of $expected)"
season gone table Small S >/dev/null || fail "the table of a season with a team file gone"

[ $failures -eq 0 ] && echo "all season runs agree"
exit $((failures > 0))
