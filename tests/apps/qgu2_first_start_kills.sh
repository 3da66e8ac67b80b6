#!/bin/bash
# qgu2's first start, cut short at many points: by a file-size limit and by a
# signal at the Nth write, flush, rename or folder creation. Every next start
# must end with the whole default league (byte for byte the league of an
# uncut start) and nothing half-built beside it; a start that fails on its own
# (a write refused) must say why and leave nothing half-built either.
# Two starts at once must make one whole league.
# usage: qgu2_first_start_kills.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# start DIR [WRAPPER...]: one start of qgu2 in DIR; it makes the league, then
# gives up its game after one frame (that exit status is not looked at, nor
# the shell's note of a start that was killed).
start() {
  local dir=$1
  shift
  mkdir -p "$dir"
  (cd "$dir" && "$@" "$qgu2" --headless --quiet --max-frames 1 >out.txt 2>err.txt) 2>/dev/null
}

# whole DIR WHAT: the leagues folder holds exactly the reference league.
whole() {
  if ! diff -r "$scratch/reference/qgu_lge" "$1/qgu_lge" >/dev/null 2>&1; then
    fail "$2: the next start did not end with the whole league: $(ls -A "$1/qgu_lge" 2>&1 | tr '\n' ' ')"
    return
  fi
  grep -q "within 1 frames" "$1/err.txt" || fail "$2: the next start said: $(cat "$1/err.txt")"
}

start "$scratch/reference"
[ "$(ls "$scratch/reference/qgu_lge/Quozi League" | wc -l)" -eq 29 ] || fail "the reference start made no whole league"

case=0
# killed DESCRIPTION WRAPPER...: a start cut short, then an ordinary one.
killed() {
  local what=$1
  shift
  case=$((case + 1))
  local dir="$scratch/case$case"
  start "$dir" "$@"
  start "$dir"
  whole "$dir" "$what"
}

killed "file-size limit 0" sh -c 'ulimit -f 0; exec "$0" "$@"'
killed "file-size limit 1 KB" sh -c 'ulimit -f 1; exec "$0" "$@"'

if command -v strace >/dev/null 2>&1 && strace -qq -o /dev/null true 2>/dev/null; then
  for point in write:1 write:2 write:7 write:15 write:28 write:29 fsync:1 fsync:14 fsync:29 fsync:30 \
               rename:1 renameat2:1 renameat2:15 renameat2:29 mkdir:1 mkdir:2 unlink:1; do
    call=${point%%:*}
    n=${point##*:}
    killed "killed at $call $n" strace -f -qq -o /dev/null -e trace="$call" -e inject="$call:signal=KILL:when=$n"
  done
else
  echo "strace cannot trace here: the kills by signal are skipped"
fi

# A write refused without killing (the size-limit signal ignored): the start
# says why and leaves nothing half-built; the next start makes the league.
dir="$scratch/refused"
start "$dir" sh -c 'trap "" XFSZ; ulimit -f 1; exec "$0" "$@"'
grep -q "Unable to make the league" "$dir/err.txt" || fail "a refused write said: $(cat "$dir/err.txt")"
[ -z "$(ls -A "$dir/qgu_lge")" ] || fail "a refused write left: $(ls -A "$dir/qgu_lge")"
start "$dir"
whole "$dir" "after a refused write"

# Two starts at once.
dir="$scratch/together"
mkdir -p "$dir/a"
(cd "$dir/a" && "$qgu2" --headless --quiet --max-frames 1 >/dev/null 2>err1.txt) &
(cd "$dir/a" && "$qgu2" --headless --quiet --max-frames 1 >/dev/null 2>err2.txt) &
wait
for err in "$dir/a/err1.txt" "$dir/a/err2.txt"; do
  grep -q "within 1 frames" "$err" || fail "a start beside another said: $(cat "$err")"
done
diff -r "$scratch/reference/qgu_lge" "$dir/a/qgu_lge" >/dev/null || fail "two starts at once: $(ls -A "$dir/a/qgu_lge")"

[ "$failures" -eq 0 ]
