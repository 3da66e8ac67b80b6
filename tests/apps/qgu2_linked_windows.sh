#!/bin/sh
# Two qgu2 windows on one virtual X server play one linked game over
# loopback, each in a folder of its own, opened through the Host and Join
# dialogs with keys: the host plays two teams of a league the joining side
# does not have, both persons call their plays with keys, and the whole game
# (1-minute quarters) ends at both summaries. Both box scores are the same,
# so are the host's and the joiner's qghelper reports of the game (their
# pictures), and the host's teams never reach the joiner's league.
# With "rollback" the host's qgu.ini hosts a rollback game: each window runs
# on with a guess of the other's input, and the state hashes the two compare
# must be of the same confirmed frame however far each has run ahead.
# usage: qgu2_linked_windows.sh QGU2 QGHELPER GRAB [lockstep|rollback]   (run through under_xvfb.sh)
qgu2=$1
qghelper=$2
grab=$3
netmode=${4:-lockstep}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/linked_windows.sh"

scratch=$(mktemp -d) || exit 1
started=""
cleanup() {
  for pid in $started; do kill "$pid" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
cd "$scratch" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
show() { for file in "$@"; do [ -s "$file" ] && { echo "--- $file"; tail -20 "$file"; }; done; }

# The host's league: two of the cartridge's teams renamed, so no copy of them
# is anywhere in the joining side's folder.
mkdir -p config
mkdir -m 700 -p host/run join/run
(cd host && "$qgu2" --headless --quiet --max-frames 1 >/dev/null 2>&1)
link="host/qgu_lge/Link League"
mkdir -p "$link"
for team in AMBE0:HOSTS ASHC0:GUESTS; do
  sed '1s/^[^\x01]*\x01[^\x01]*\x01/LINKVILLE\x01'"${team#*:}"'\x01/' "host/qgu_lge/Quozi League/${team%:*}.dat" \
    >"$link/${team%:*}.dat"
done
rm -rf "host/qgu_lge/Quozi League"
[ "$netmode" = rollback ] && printf '[Netplay]\r\nRollback=1\r\n' >host/qgu.ini

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' 2>/dev/null) ||
  port=$((20000 + $$ % 20000))

(cd host && exec env XDG_RUNTIME_DIR="$scratch/host/run" "$qgu2" --box-score box.json --frame-report frames.json) \
  >host/out.txt 2>host/err.txt &
host=$!
started="$host"
(cd join && exec env XDG_RUNTIME_DIR="$scratch/join/run" "$qgu2" --box-score box.json --frame-report frames.json) \
  >join/out.txt 2>join/err.txt &
join=$!
started="$host $join"

if ! lw_host "$host" "$port" Hosty 1 || ! lw_join "$join" "$port" Joiny; then
  fail "the linked game did not open through the dialogs"
  show host/err.txt join/err.txt
  exit 1
fi
lw_play "$host" "$join" host/box.json join/box.json 480 || fail "the game did not reach both summaries"
[ -s host/box.json ] && [ -s join/box.json ] || {
  show host/err.txt join/err.txt
  exit 1
}
cmp -s host/box.json join/box.json || fail "the two summaries differ: $(diff host/box.json join/box.json | head -20)"
grep -q '"team": "HOSTS"' join/box.json && grep -q '"team": "GUESTS"' join/box.json ||
  fail "the joining side did not play the host's teams: $(head -c 400 join/box.json)"
lw_finish "$host" || fail "the host's window did not close its summary and exit"
lw_finish "$join" || fail "the joining window did not close its summary and exit"
for side in host join; do
  eval "pid=\$$side"
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "the $side's qgu2 exited $status: $(cat $side/err.txt)"
  grep -q '"frames_emulated": [1-9]' "$side/frames.json" || fail "$side's frame report: $(cat $side/frames.json)"
  if [ "$netmode" = rollback ]; then
    grep -q '"rollback_frames": [1-9]' "$side/frames.json" || fail "$side did not play a rollback game: $(cat $side/frames.json)"
  fi
done
started=""

# Nothing of the host's teams was written into the joining side's folder.
[ "$(ls join/qgu_lge)" = "Quozi League" ] || fail "the joining side has leagues $(ls join/qgu_lge)"
grep -rlqa "LINKVILLE" join && fail "the host's teams were written into $(grep -rl LINKVILLE join)"

# Each side's report of the game, as qghelper shows it.
export XDG_CONFIG_HOME="$scratch/config"
"$qghelper" register >/dev/null || fail "qghelper register failed"
for side in host join; do
  "$qghelper" report --json "$side/box.json" >"$side/report-out.txt" 2>&1 &
  report=$!
  started="$report"
  window=$(lw_wait_window "$report" "" 20) || fail "no report window for the $side's box score"
  sleep 2
  [ -n "$window" ] && "$grab" "$window" "$side/report.png" || fail "no picture of the $side's report"
  [ -n "$window" ] && lw_keys "$window" Escape
  wait "$report" || fail "qghelper report of the $side's game: $(cat $side/report-out.txt)"
  started=""
done
[ -s host/report.png ] && cmp -s host/report.png join/report.png || fail "the host's report differs from the joiner's"

[ "$failures" -eq 0 ]
