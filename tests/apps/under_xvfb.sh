#!/bin/sh
# Runs a command on a fresh virtual X server, with a runtime folder of its own
# (the single-instance lock lives there, so another qgu2 on the machine cannot
# refuse this one); exit 77 (skipped) where there is no xvfb-run or xdotool.
# usage: under_xvfb.sh COMMAND [ARGS...]
command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is missing"; exit 77; }
command -v xdotool >/dev/null 2>&1 || { echo "SKIP: xdotool is missing"; exit 77; }
runtime=$(mktemp -d) || exit 1
trap 'rm -rf "$runtime"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" env XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$@"
