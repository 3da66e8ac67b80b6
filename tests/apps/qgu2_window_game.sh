#!/bin/sh
# A whole game of two computer sides in the real window on a virtual X
# server, to the summary: --exit-after-game prints the box score and ends the
# program, which then leaves the settings file and the frame report behind;
# --box-score keeps the summary's box score as JSON.
# usage: qgu2_window_game.sh QGU2   (run through under_xvfb.sh)
qgu2=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
league="qgu_lge/Quozi League"
# The first start makes the league; the window needs its teams.
"$qgu2" --headless --quiet --max-frames 1 >/dev/null 2>&1
if ! "$qgu2" --home "$league/AMBE0.dat" --away "$league/ASHC0.dat" --p1 COM --p2 COM --quarter 1 --seed 9 \
     --exit-after-game --frame-report report.json --box-score box.json >out.txt 2>err.txt; then
  echo "FAIL: qgu2 in the window exited non-zero: $(cat err.txt)"
  exit 1
fi
failures=0
grep -q "Quozi Sports News" out.txt || { echo "FAIL: no box score on standard output"; failures=1; }
grep -q '"frames_emulated": [1-9]' report.json || { echo "FAIL: frame report: $(cat report.json)"; failures=1; }
grep -q '"play_frames": [1-9]' report.json || { echo "FAIL: no frames of play in the frame report: $(cat report.json)"; failures=1; }
# The summary's box score as JSON: both teams with their score and statistics.
[ "$(grep -c '"score": [0-9]' box.json)" -eq 2 ] && [ "$(grep -c '"statistics": "' box.json)" -eq 2 ] ||
  { echo "FAIL: box score file: $(head -c 300 box.json)"; failures=1; }
[ "$failures" -eq 0 ]
