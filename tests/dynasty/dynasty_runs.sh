#!/bin/bash
# Whole dynasty years of a 4-team league (1-minute quarters) played by qgu2:
#  - three years with one job and with two: byte-identical dynasties (every file);
#  - killed with SIGKILL at 25 random moments and resumed: the same dynasty as without kills;
#  - a year's season played by `season jobs` and `season record`, then the dynasty going on;
#  - damaged dynasty files named with their line; the league it began from untouched.
# usage: dynasty_runs.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

"$qgu2" --headless --quiet --quarter 1 --seed 1 >/dev/null || { echo "FAIL: the default league was not made"; exit 1; }
make_league() {
  mkdir -p "$1/qgu_lge/Small" && cp "qgu_lge/Quozi League"/{AMBE0,BRIS0,CALD0,CIND0}.dat "$1/qgu_lge/Small/" &&
    printf 'Small\r\r\n' >"$1/qgu_lge/Small/config.lge"
}
dynasty() {
  local folder=$1
  shift
  (cd "$folder" && "$qgu2" dynasty "$@")
}
create() { dynasty "$1" create Small D --quarter 1 --games 3 --playoff-teams 2 --seed 21 --first-year 2040 2>/dev/null; }
# Every file of the dynasty's league, by name and content.
contents() { (cd "$1/qgu_lge/D" && find . -type f ! -name lock -print0 | sort -z | xargs -0 sha1sum); }

make_league one && create one || fail "create"
original=$(cd one/qgu_lge/Small && sha1sum ./*)
dynasty one play Small D --years 3 --jobs 1 --quiet || fail "play --jobs 1"
[ "$(dynasty one status Small D --json | grep -c '"year": 2043')" -eq 1 ] || fail "three years: $(dynasty one status Small D)"
[ "$(cd one/qgu_lge/Small && sha1sum ./*)" = "$original" ] || fail "the league it began from changed"
make_league two && create two
dynasty two play Small D --years 3 --jobs 2 --quiet || fail "play --jobs 2"
diff <(contents one) <(contents two) >/dev/null || fail "two jobs: $(diff <(contents one) <(contents two) | head -5)"
dynasty one book Small D --json >one/book.json || fail "book"
grep -q '"champion": "[A-Z]' one/book.json || fail "no champion in the book"
dynasty one report Small D --html "$scratch/one/site" 2>/dev/null && [ -f one/site/index.html ] && [ -f one/site/year-2042.html ] ||
  fail "report"

# Killed at 25 random moments of three years; then resumed to the end.
make_league kill && create kill
kills=0
while [ $kills -lt 25 ]; do
  (cd kill && exec "$qgu2" dynasty play Small D --years 3 --jobs 2 --quiet 2>>../kill-stderr.txt) &
  pid=$!
  sleep "$((RANDOM % 1500 / 1000)).$(printf %03d $((RANDOM % 1000)))"
  kill -9 $pid 2>/dev/null && kills=$((kills + 1))
  wait $pid 2>/dev/null
  dynasty kill status Small D --json 2>/dev/null | grep -q '"year": 2043' && break
done
until dynasty kill status Small D --json 2>/dev/null | grep -q '"year": 2043'; do
  dynasty kill play Small D --years 1 --jobs 2 --quiet 2>>kill-stderr.txt || { fail "the resumed run: $(tail -3 kill-stderr.txt)"; break; }
done
diff <(contents one) <(contents kill) >/dev/null || fail "killed runs: $(diff <(contents one) <(contents kill) | head -5)"
echo "$kills kills"

# A year's season by jobs and record, as over many machines; the dynasty goes on from there.
make_league jobs && create jobs
for round in 1 2; do
  (cd jobs && "$qgu2" season jobs D 2040 --results results --program "$qgu2" >jobs.txt) || fail "season jobs"
  (cd jobs && bash jobs.txt >/dev/null 2>&1 && "$qgu2" season record D 2040 results/*.json >/dev/null 2>&1) || fail "record round $round"
done
dynasty jobs play Small D --years 3 --jobs 2 --quiet || fail "play after jobs"
diff <(contents one) <(contents jobs) >/dev/null || fail "season jobs: $(diff <(contents one) <(contents jobs) | head -5)"

# Damaged files are named; nothing is changed by a refused run.
make_league bad && create bad
printf '{"year": 2040, "step"\n' >>bad/qgu_lge/D/dynasty/journal.jsonl
message=$(dynasty bad play Small D --quiet 2>&1) && fail "a damaged journal was taken"
echo "$message" | grep -q "journal.jsonl, line 2" || fail "the damaged line is not named: $message"
dynasty one status Other D >/dev/null 2>&1 && fail "another league's name was taken"
dynasty one create Small D >/dev/null 2>&1 && fail "a taken name was made again"

[ "$failures" -eq 0 ]
