#!/bin/sh
# SIGTERM and SIGINT end the game window as File -> Exit does: exit status 0
# and the settings saved (the window's place, a clamped BufferSize). A
# read-only qgu.ini is left as it is, and standard error says so.
# usage: qgu2_exit_signals.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
cd "$scratch" || exit 1
running=""
cleanup() {
  [ -n "$running" ] && kill -KILL "$running" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
lock="$XDG_RUNTIME_DIR/{DA56047E-C594-4bed-A907-A9E188510AA1}.lock"

# Starts the window, waits until it holds its lock, sends the signal and
# waits for the end; the exit status is in $status.
run_and_signal() {
  rm -f "$lock"
  "$qgu2" >out.txt 2>err.txt &
  running=$!
  tries=0
  while [ ! -d qgu_lge ] || [ ! -e "$lock" ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 300 ] && { echo "FAIL: qgu2 never started: $(cat err.txt)"; exit 1; }
    sleep 0.1
  done
  sleep 0.5
  kill "-$1" "$running"
  wait "$running"
  status=$?
  running=""
}

for signal in TERM INT; do
  printf '[Sound]\r\nBufferSize=30000\r\n' >qgu.ini
  run_and_signal "$signal"
  [ "$status" -eq 0 ] || { echo "FAIL: SIG$signal gave exit status $status: $(cat err.txt)"; exit 1; }
  grep -q "^WindowPos=" qgu.ini || { echo "FAIL: SIG$signal: no settings saved: $(cat qgu.ini)"; exit 1; }
  tr -d '\r' <qgu.ini | grep -qx "BufferSize=30" || { echo "FAIL: SIG$signal: BufferSize not clamped"; exit 1; }
  grep -qF "[Sound] BufferSize=30000 is outside 2 to 30; 30 is used" err.txt ||
    { echo "FAIL: the clamped key was not named: $(cat err.txt)"; exit 1; }
done

printf '[Sound]\r\nBufferSize=7\r\n' >qgu.ini
chmod 444 qgu.ini
run_and_signal TERM
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status with a read-only qgu.ini"; exit 1; }
[ "$(cat qgu.ini)" = "$(printf '[Sound]\r\nBufferSize=7\r')" ] || { echo "FAIL: the read-only qgu.ini changed"; exit 1; }
[ "$(stat -c %a qgu.ini)" = 444 ] || { echo "FAIL: the read-only qgu.ini lost its mode"; exit 1; }
grep -q "read-only; the settings were not saved" err.txt || { echo "FAIL: not said: $(cat err.txt)"; exit 1; }
echo "PASS"
