#!/usr/bin/env bash
# Two qgu2 processes linked over loopback play 10,000 frames in lockstep: their
# machine-state hashes agree every 600 frames. Then a side that disappears
# (killed) ends the link and the other side's game goes on to its end. Then
# the faults: connections that do not greet before the real joiner, a joiner
# with another quarter length, a joiner sending random pads through the boot,
# a symlink where the state once went, and a state that cannot be written.
# usage: linked_games.sh QGU2
set -euo pipefail
qgu2=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
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
grep -q 'input delay [0-9]* frames* (automatic, round trip [0-9]* ms)' host.err ||
  { echo "no word of the input delay:"; cat host.err; exit 1; }
echo "10,000 frames in lockstep, 17 equal state hashes"

port=$((port + 1))
"$qgu2" --headless --net-host "$port" --max-frames 6000 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
"$qgu2" --headless --quiet --net-join "localhost:$port" --max-frames 6000 > join.out 2> join.err &
joinPid=$!
# A loaded machine may take a while; killed before it links, the joiner would
# leave the host listening for the next one.
for _ in $(seq 1 3000); do grep -q '^frame 1200 ' join.out 2>/dev/null && break; sleep 0.1; done
grep -q '^frame 1200 ' join.out || { echo "the joiner never reached frame 1200:"; cat join.err host.err; exit 1; }
kill -9 "$joinPid"
wait "$joinPid" 2>/dev/null || true
wait "$hostPid" || { echo "the host failed after the other side left:"; cat host.err; exit 1; }
grep -q 'the link closed' host.err || { echo "no word of the closed link:"; cat host.err; exit 1; }
grep -q '^frame 6000 ' host.out || { echo "the host's game did not go on:"; cat host.out; exit 1; }
echo "the other side killed at frame 1200: the link closed and the game went on to frame 6000"

# A port scan and a silent connection come first: the host drops them and the real joiner plays,
# with the input delay the host's user set.
port=$((port + 1))
"$qgu2" --headless --net-host "127.0.0.1:$port" --net-delay 4 --max-frames 1200 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
(exec 3<>"/dev/tcp/127.0.0.1/$port"; exec 3>&-)
exec 4<>"/dev/tcp/127.0.0.1/$port"
printf 'GET / HTTP/1.0\r\n\r\n' > "/dev/tcp/127.0.0.1/$port" || true
sleep 0.5
"$qgu2" --headless --quiet --net-join "127.0.0.1:$port" --max-frames 1200 > join.out 2> join.err ||
  { echo "the joining side failed after the strangers:"; cat join.err host.err; exit 1; }
wait "$hostPid" || { echo "the host failed:"; cat host.err; exit 1; }
grep -q 'input delay 4 frames (set by the host' host.err || { echo "the host's delay was not used:"; cat host.err; exit 1; }
exec 4>&-
grep -q 'it is not a Quozi Gridcrown link of this version' host.err || { echo "no word of the stranger:"; cat host.err; exit 1; }
diff <(grep '^frame' host.out) <(grep '^frame' join.out) || { echo "the two machines differ"; exit 1; }
echo "a port scan, a silent connection and an HTTP request before the joiner: dropped, and the game linked"

# A joiner with 2-minute quarters against the host's 1-minute ones: neither plays, both say why.
port=$((port + 1))
"$qgu2" --headless --net-host "$port" --quarter 1 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
if "$qgu2" --headless --quiet --net-join "localhost:$port" --quarter 2 > join.out 2> join.err; then
  echo "the joiner with another game played"; exit 1
fi
if wait "$hostPid"; then echo "the host played another game"; exit 1; fi
grep -q 'the other side plays a different game: quarters of 1 minute there, of 2 minutes here' join.err ||
  { echo "the joiner did not say what differs:"; cat join.err; exit 1; }
grep -q 'the other side plays a different game: quarters of 2 minutes there, of 1 minute here' host.err ||
  { echo "the host did not say what differs:"; cat host.err; exit 1; }
echo "another quarter length: both sides refused, naming it"

# A joiner that keeps to the packets but sends random pads from the first frame: the boot still gets through.
port=$((port + 1))
"$qgu2" --headless --net-host "$port" --quarter 1 --max-frames 4000 --seed 11 > host.out 2> host.err &
hostPid=$!
wait_for_host
python3 "$here/hostile_peer.py" "$port" > peer.out
wait "$hostPid" || { echo "the host failed against random pads:"; cat host.err; exit 1; }
grep -q 'watching the game' host.err || { echo "the boot did not get through:"; cat host.err; exit 1; }
echo "random pads from the other side through the boot: the host was watching the game within 4,000 frames ($(cat peer.out))"

# The state goes where nobody can reach it: a symlink planted at the old name stays untouched,
# and a state that cannot be written (file size limit) ends the link with a message, not an abort.
port=$((port + 1))
mkdir tmp
echo "precious" > victim
TMPDIR=$work/tmp bash -c 'ln -s "$1" "$TMPDIR/qgu-linked-$$.sav"; exec "$2" --headless --net-host "$3" --max-frames 1200 --seed 11' \
  _ "$work/victim" "$qgu2" "$port" > host.out 2> host.err &
hostPid=$!
wait_for_host
TMPDIR=$work/tmp "$qgu2" --headless --quiet --net-join "localhost:$port" --max-frames 1200 > join.out 2> join.err
wait "$hostPid" || { echo "the host failed:"; cat host.err; exit 1; }
[ "$(cat victim)" = precious ] || { echo "the linked game wrote through the symlink"; exit 1; }
[ "$(find tmp ! -type l | wc -l)" -eq 1 ] || { echo "the linked game left files behind:"; ls -l tmp; exit 1; }
port=$((port + 1))
(trap '' XFSZ; ulimit -f 4; exec "$qgu2" --headless --net-host "$port" --max-frames 1200 --seed 11 > host.out 2> host.err) &
hostPid=$!
wait_for_host
"$qgu2" --headless --quiet --net-join "localhost:$port" --max-frames 1200 > join.out 2> join.err ||
  { echo "the joining side failed:"; cat join.err; exit 1; }
wait "$hostPid" || { echo "the host aborted when the state could not be written:"; cat host.err; exit 1; }
grep -q "the link closed (cannot take the machine's state" host.err || { echo "no word of the state:"; cat host.err; exit 1; }
grep -q '^stopped after 1200 frames' host.out || { echo "the host's game did not go on:"; cat host.out; exit 1; }
echo "a symlink at the old state file untouched; a state that cannot be written ends the link with a message"
