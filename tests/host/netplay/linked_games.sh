#!/usr/bin/env bash
# Two qgu2 processes linked over loopback play 10,000 frames in lockstep: their
# machine-state hashes agree every 600 frames. Then a side that disappears
# (killed) ends the link and the other side's game goes on to its end.
# usage: linked_games.sh QGU2
set -euo pipefail
qgu2=$(realpath "$1")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
port=$((20000 + $$ % 20000))

# The joining side starts once the host listens (and has made the league both read).
wait_for_host() {
  for _ in $(seq 1 600); do grep -q 'waiting for the other side' host.err 2>/dev/null && return; sleep 0.1; done
  echo "the host never listened:"; cat host.err; exit 1
}

"$qgu2" --headless --net-host "$port" --max-frames 10000 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
"$qgu2" --headless --quiet --net-join "localhost:$port" --max-frames 10000 > join.out 2> join.err ||
  { echo "the joining side failed:"; cat join.err; exit 1; }
wait "$hostPid"
grep '^frame' host.out > host.hashes
grep '^frame' join.out > join.hashes
[ "$(wc -l < host.hashes)" -eq 17 ] || { echo "expected 17 hashes:"; cat host.out host.err; exit 1; }
diff host.hashes join.hashes || { echo "the two machines differ"; exit 1; }
echo "10,000 frames in lockstep, 17 equal state hashes"

port=$((port + 1))
"$qgu2" --headless --net-host "$port" --max-frames 6000 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
"$qgu2" --headless --quiet --net-join "localhost:$port" --max-frames 6000 > join.out 2> join.err &
joinPid=$!
for _ in $(seq 1 600); do grep -q '^frame 1200 ' join.out 2>/dev/null && break; sleep 0.1; done
kill -9 "$joinPid"
wait "$joinPid" 2>/dev/null || true
wait "$hostPid" || { echo "the host failed after the other side left:"; cat host.err; exit 1; }
grep -q 'the link closed' host.err || { echo "no word of the closed link:"; cat host.err; exit 1; }
grep -q '^frame 6000 ' host.out || { echo "the host's game did not go on:"; cat host.out; exit 1; }
echo "the other side killed at frame 1200: the link closed and the game went on to frame 6000"
