#!/bin/sh
# A second qgu2 is refused while the first keeps running.
# usage: qgu2_second_instance.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
cd "$scratch" || exit 1
first=""
cleanup() {
  [ -n "$first" ] && kill "$first" 2>/dev/null && wait "$first" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
"$qgu2" >first.txt 2>&1 &
first=$!
# The first holds the lock once its league is made.
tries=0
while [ ! -d qgu_lge ] || [ ! -e "$XDG_RUNTIME_DIR/{DA56047E-C594-4bed-A907-A9E188510AA1}.lock" ]; do
  tries=$((tries + 1))
  [ "$tries" -gt 300 ] && { echo "FAIL: the first qgu2 never started: $(cat first.txt)"; exit 1; }
  sleep 0.1
done
league="qgu_lge/Quozi League"
# --exit-after-game prints messages instead of waiting on a message box.
if "$qgu2" --home "$league/AMBE0.dat" --away "$league/ASHC0.dat" --exit-after-game >second.txt 2>&1; then
  echo "FAIL: the second qgu2 exited 0"
  exit 1
fi
grep -qF "Quozi Gridcrown Ultra: You cannot have 2 instances of QgUltra running!" second.txt ||
  { echo "FAIL: the second qgu2 said: $(cat second.txt)"; exit 1; }
kill -0 "$first" 2>/dev/null || { echo "FAIL: the first qgu2 ended: $(cat first.txt)"; exit 1; }
