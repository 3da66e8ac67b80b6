#!/usr/bin/env bash
# A hosted game with one joiner and watchers over loopback. Before the joiner
# come: a watcher that stays, one killed mid-game, one stopped (it reads
# nothing from the start), and watchers gone wrong (bytes after the name, a
# malformed answer, garbage). The watcher that stays prints what both players
# print (state hashes every 600 frames up to the game's end, and the box score); the killed and the
# stopped one do not disturb the game. A watcher that comes well after the
# kickoff goes on from the host's game under way and prints the same box score
# and the same state hashes from there on.
# usage: spectator_games.sh QGU2
set -euo pipefail
qgu2=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'kill -CONT $(jobs -p) 2>/dev/null || true; kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
port=$((20000 + ($$ + 7919) % 20000))

wait_for() {  # FILE PATTERN [COUNT]
  for _ in $(seq 1 1200); do
    [ "$(grep -c -- "$2" "$1" 2>/dev/null || true)" -ge "${3:-1}" ] && return
    sleep 0.1
  done
  echo "no \"$2\" in $1:"; cat "$1"; exit 1
}

"$qgu2" --headless --net-host "$port" --quarter 1 --seed 23 > host.out 2> host.err &
hostPid=$!
wait_for host.err 'waiting for the other side'
"$qgu2" --headless --net-watch "localhost:$port" > watch.out 2> watch.err &
watchPid=$!
"$qgu2" --headless --quiet --net-watch "localhost:$port" > gone.out 2> gone.err &
gonePid=$!
"$qgu2" --headless --quiet --net-watch "localhost:$port" > stopped.out 2> stopped.err &
stoppedPid=$!
wait_for host.err 'waits to watch the game' 3
kill -STOP "$stoppedPid"
python3 "$here/hostile_watcher.py" "$port" > hostile.out || { echo "a bad watcher was kept:"; cat hostile.out host.err; exit 1; }

"$qgu2" --headless --quiet --quarter 1 --net-join "localhost:$port" > join.out 2> join.err &
joinPid=$!
wait_for gone.out '^frame 1200 '
kill -9 "$gonePid"
wait "$gonePid" 2>/dev/null || true
# The joining side held a moment (the host waits for it), so the game is still under way when the late one comes.
kill -STOP "$joinPid"
"$qgu2" --headless --net-watch "localhost:$port" > late.out 2> late.err &
latePid=$!
wait_for host.err 'joins the game under way'
kill -CONT "$joinPid"

wait "$joinPid" || { echo "the joining side failed:"; cat join.err; exit 1; }
wait "$hostPid" || { echo "the host failed:"; cat host.err; exit 1; }
wait "$watchPid" || { echo "the watcher failed:"; cat watch.err; exit 1; }
wait "$latePid" || { echo "the late watcher failed:"; cat late.err; exit 1; }
kill -9 "$stoppedPid"
wait "$stoppedPid" 2>/dev/null || true
grep -q '^Passing' host.out || { echo "the host has no box score:"; cat host.out; exit 1; }
cmp host.out join.out || { echo "the players differ:"; diff host.out join.out; exit 1; }
# The box scores alike, and the state hashes up to the game's end: after it each side runs on for a
# few frames until it stops (the players in lockstep, the watcher on its own), which may pass one more hash.
cmp <(grep -v '^frame' host.out) <(grep -v '^frame' watch.out) || { echo "the watcher's box score differs:"; diff host.out watch.out; exit 1; }
hashes=$(( $(grep -c '^frame' host.out) < $(grep -c '^frame' watch.out) ? $(grep -c '^frame' host.out) : $(grep -c '^frame' watch.out) ))
[ "$hashes" -ge 10 ] || { echo "too few state hashes:"; cat host.out watch.out; exit 1; }
cmp <(grep '^frame' host.out | head -n "$hashes") <(grep '^frame' watch.out | head -n "$hashes") ||
  { echo "the watcher's machine differs:"; diff host.out watch.out; exit 1; }
# The late watcher: from its frame on, the host's hashes (up to the host's last) and its box score.
joinedAt=$(sed -n 's/^.*watches the game from frame \([0-9]*\) .*$/\1/p' host.err)
[ -n "$joinedAt" ] && [ "$joinedAt" -gt 1200 ] || { echo "the late watcher came at no frame after 1200:"; cat host.err; exit 1; }
grep -q "watching from frame $joinedAt: quarter" late.err || { echo "the late watcher did not say where it came in:"; cat late.err; exit 1; }
cmp <(grep -v '^frame' host.out) <(grep -v '^frame' late.out) || { echo "the late watcher's box score differs:"; diff host.out late.out; exit 1; }
lastHashed=$(grep '^frame' host.out | tail -n 1 | cut -d' ' -f2)
lateHashes=$(awk -v last="$lastHashed" '$1 == "frame" && $2 <= last' late.out)
[ "$(echo "$lateHashes" | grep -c '^frame')" -ge 5 ] || { echo "too few late state hashes:"; cat late.out; exit 1; }
cmp <(echo "$lateHashes") <(awk -v from="$joinedAt" -v last="$lastHashed" '$1 == "frame" && $2 >= from && $2 <= last' host.out) ||
  { echo "the late watcher's machine differs:"; diff host.out late.out; exit 1; }
! grep -q 'differs from the host' late.err || { echo "the late watcher's state went astray:"; cat late.err; exit 1; }
for told in 'dropped the watcher Mallory: it sent bytes after its greeting' \
            "dropped the connection from .*: its watcher's answer is malformed" \
            'dropped the connection from .*: it is not a Quozi Gridcrown link of this version' \
            'headless stopped watching'; do
  grep -q -- "$told" host.err || { echo "the host did not say \"$told\":"; cat host.err; exit 1; }
done
echo "$hashes equal state hashes and the box score on host, joiner and watcher;" \
     "a watcher killed at frame 1200 and a stopped one left the game alone; $(cat hostile.out);" \
     "a late watcher from frame $joinedAt ($(sed -n 's/^.*watches the game from frame [0-9]* (\(.*\))$/\1/p' host.err)) saw the same"
