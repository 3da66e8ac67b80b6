#!/bin/sh
# Runs a command on a fresh virtual X server, with a runtime folder of its own
# (the single-instance lock lives there, so another qgu2 on the machine cannot
# refuse this one); skipped where there is no xvfb-run, xauth or xdotool (a
# failure with CI=true).
# usage: under_xvfb.sh COMMAND [ARGS...]
. "$(dirname "$0")/../support/skip.sh"
command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is missing (package xvfb)"
command -v xauth >/dev/null 2>&1 || skip "xauth is missing (package xauth)"
command -v xdotool >/dev/null 2>&1 || skip "xdotool is missing (package xdotool)"
runtime=$(mktemp -d) || exit 1
trap 'rm -rf "$runtime"' EXIT
# A display of its own: xvfb-run -a alone lets two tests started together pick the same number, and
# the first to end then takes the other's server with it. The lock is held (fd 9) until the run ends.
# -noreset: a server that resets when its last client leaves refuses the next one for a moment.
display=100
while [ "$display" -lt 200 ]; do
  exec 9>"${TMPDIR:-/tmp}/qgu-xvfb-$display.lock"
  flock -n 9 && [ ! -e "/tmp/.X$display-lock" ] && break
  display=$((display + 1))
done
[ "$display" -lt 200 ] || { echo "no free X display number"; exit 1; }
xvfb-run -n "$display" -s "-screen 0 1024x768x24 -noreset" env XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$@"
