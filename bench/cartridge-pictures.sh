#!/bin/sh
# A person's game in the real window: the home side MAN against the computer,
# on a virtual X server, with keys sent by xdotool as a player presses them
# (the pointer moved now and then, A to call each play and tapped through
# every run), and a picture of the window every few ticks (a key press and a
# picture each) until the summary opens over the final screen; then the
# summary's picture. The final screen shows only until the summary opens, so
# the last twenty pictures before it are kept as well. The pictures of
# docs/cartridge are picked from such a run.
#
#   bench/cartridge-pictures.sh [--build DIR] [--quarter N] [--seed S] [--every TICKS] OUTDIR
#
# Needs xvfb-run and xdotool; the picture of each moment is OUTDIR/NNN.png,
# OUTDIR/last-NN.png the last ones before the summary, OUTDIR/summary.png; the
# box score OUTDIR/box-score.json.
set -eu
build=build
quarter=1
seed=5
every=10
while [ $# -gt 1 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --quarter) quarter=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -eq 1 ] || { echo "usage: $0 [--build DIR] [--quarter N] [--seed S] [--every TICKS] OUTDIR" >&2; exit 2; }
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=$(cd "$build" && pwd)
if [ -z "${QGU_PICTURES_INNER:-}" ]; then
  QGU_PICTURES_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --build "$build" --quarter "$quarter" \
    --seed "$seed" --every "$every" "$out"
fi

scratch=$(mktemp -d)
trap 'kill "$game" 2>/dev/null || true; rm -rf "$scratch"' EXIT
cd "$scratch"
league="qgu_lge/Quozi League"
"$build/apps/qgu2" --headless --quiet --max-frames 1 >/dev/null 2>&1 || true
SDL_AUDIODRIVER=dummy "$build/apps/qgu2" --home "$league/MARR0.dat" --away "$league/ASHC0.dat" --p1 MAN --p2 COM \
  --quarter "$quarter" --seed "$seed" --box-score "$out/box-score.json" >/dev/null 2>"$scratch/err.txt" &
game=$!
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --name "Quozi" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no game window" >&2; exit 1; }
xdotool windowactivate "$window" 2>/dev/null || true

picture=0
since=0
tick=0
grab() { "$build/tests/support/qgu-grab-window" "$1" "$2" 2>/dev/null || true; }
summary=""
while kill -0 "$game" 2>/dev/null; do
  summary=$(xdotool search --onlyvisible --name "^Summary$" 2>/dev/null | head -n 1 || true)
  [ -n "$summary" ] && break
  # A: calls the play under the pointer on the selection screen and breaks tackles on a run.
  xdotool key --window "$window" x
  tick=$((tick + 1))
  [ $((tick % 23)) -eq 0 ] && xdotool key --window "$window" Down
  [ $((tick % 37)) -eq 0 ] && xdotool key --window "$window" Right
  grab "$window" "$scratch/ring-$((tick % 20)).png"
  since=$((since + 1))
  if [ "$since" -ge "$every" ]; then
    since=0
    picture=$((picture + 1))
    cp "$scratch/ring-$((tick % 20)).png" "$(printf '%s/%03d.png' "$out" "$picture")" 2>/dev/null || true
  fi
done
for k in $(seq 19 -1 0); do
  ring="$scratch/ring-$(((tick - k + 20) % 20)).png"
  [ -f "$ring" ] && cp "$ring" "$(printf '%s/last-%02d.png' "$out" $((19 - k)))"
done
[ -n "$summary" ] || { cat "$scratch/err.txt" >&2; exit 1; }
sleep 1
grab root "$out/summary.png"
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
echo "$picture pictures, the last before the summary, the summary and the box score in $out"
