#!/bin/sh
# Two qgu2 windows on one machine play a linked game over loopback with a
# round trip of 0, 50 and 100 ms added, a whole game of 1-minute quarters
# each, opened through the dialogs and played with keys as
# tests/apps/qgu2_linked_windows.sh does. The delay is netem's on the
# loopback of a network namespace the script makes (half the round trip each
# way), or, where the kernel has no netem, bench/delay_relay.py's between the
# joining side and the host. For each delay and side: the pace of play (frames
# a second from kickoff to summary), the read-out, frames held waiting for the
# other side, the input delay and round trip the link shows, CPU time.
# See docs/performance.md ("Linked windows").
#
#   bench/linked-windows.sh [--build DIR] [--delays "0 50 100"] [--modes "lockstep rollback"]
#                           [--quarter N] [--pictures DIR] [--keep DIR]
#
# --keep DIR leaves each game's folder (both windows' stderr, frame reports,
# box scores) in DIR/MODE-DELAY instead of a scratch folder removed at the end.
#
# A rollback game is hosted with Rollback=1 in the host's qgu.ini (Netplay).
#
# Runs as root (ip netns, tc); needs xvfb-run, xdotool and python3.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
delays="0 50 100"
modes="lockstep"
quarter=1
pictures=""
inside=""
keep=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --delays) delays=$2; shift 2 ;;
    --modes) modes=$2; shift 2 ;;
    --quarter) quarter=$2; shift 2 ;;
    --pictures) pictures=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    --inside) inside=$2; shift 2 ;;  # DELAY:DELAYER:NETMODE:OUT, run on the virtual X server
    *) echo "usage: $0 [--build DIR] [--delays \"0 50 100\"] [--quarter N] [--pictures DIR] [--keep DIR]" >&2; exit 2 ;;
  esac
done
build=$(cd "$build" && pwd) || exit 1
qgu2="$build/apps/qgu2"
grab="$build/tests/support/qgu-grab-window"

# ---- one game, on the virtual X server ----
if [ -n "$inside" ]; then
  . "$here/../tests/support/linked_windows.sh"
  delay=${inside%%:*}
  rest=${inside#*:}
  mode=${rest%%:*}
  rest=${rest#*:}
  netmode=${rest%%:*}
  out=${rest#*:}
  lw_pictures=$pictures
  started=""
  trap 'for pid in $started; do kill "$pid" 2>/dev/null; done' EXIT
  mkdir -m 700 -p "$out/host/run" "$out/join/run"
  (cd "$out/host" && "$qgu2" --headless --quiet --max-frames 1 >/dev/null 2>&1)
  [ "$netmode" = rollback ] && printf '[Netplay]\r\nRollback=1\r\n' >"$out/host/qgu.ini"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  joinport=$port
  if [ "$mode" = relay ] && [ "$delay" -gt 0 ]; then
    joinport=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    python3 "$here/delay_relay.py" "$joinport" "$port" $((delay / 2)) &
    started="$!"
  fi
  for side in host join; do
    (cd "$out/$side" && exec env XDG_RUNTIME_DIR="$out/$side/run" /usr/bin/time -f "%U %S %e" -o cpu.txt \
      "$qgu2" --box-score box.json --frame-report frames.json) >"$out/$side/out.txt" 2>"$out/$side/err.txt" &
    timer=$!
    started="$started $timer"
    # The window's process is time's child.
    tries=50
    child=""
    while [ -z "$child" ] && [ "$tries" -gt 0 ]; do
      sleep 0.1
      child=$(pgrep -P "$timer" | head -1)
      tries=$((tries - 1))
    done
    started="$started $child"
    eval "${side}_pid=\$child ${side}_timer=\$timer"
  done
  sleep 1
  # Side by side, as two people's screens.
  xdotool windowmove "$(lw_wait_window "$host_pid" "$lw_main_title" 30)" 0 0
  xdotool windowmove "$(lw_wait_window "$join_pid" "$lw_main_title" 30)" 640 0
  lw_host "$host_pid" "$port" Hosty "$quarter" || exit 1
  [ -z "$pictures" ] || { sleep 1; lw_picture "$pictures/link-host-waiting.png"; }
  lw_join "$join_pid" "$joinport" Joiny || exit 1
  lw_play "$host_pid" "$join_pid" "$out/host/box.json" "$out/join/box.json" $((quarter * 600)) || exit 1
  [ -z "$pictures" ] || { sleep 1; lw_picture "$pictures/link-summaries.png"; }
  lw_finish "$host_pid" && lw_finish "$join_pid" || exit 1
  wait "$host_timer" "$join_timer"
  exit 0
fi

# ---- the runs ----
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v python3 >/dev/null ||
  { echo "needs xvfb-run, xdotool and python3" >&2; exit 1; }
scratch=$(mktemp -d) || exit 1
games=$scratch
if [ -n "$keep" ]; then
  mkdir -p "$keep" && games=$(cd "$keep" && pwd) || exit 1
fi
namespace=""
cleanup() {
  [ -z "$namespace" ] || ip netns del "$namespace" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# netem where the kernel has it, else the relay.
mode=relay
probe="qgu-bench-$$"
if ip netns add "$probe" 2>/dev/null; then
  namespace=$probe
  ip netns exec "$probe" ip link set lo up
  if ip netns exec "$probe" tc qdisc add dev lo root netem delay 1ms 2>"$scratch/tc.txt"; then
    mode=netem
  else
    echo "no netem here ($(cat "$scratch/tc.txt")): the delay comes from bench/delay_relay.py" >&2
  fi
  ip netns del "$probe"
  namespace=""
fi

# field REPORT KEY: a text's or a number's value in a frame report.
field() { sed -n -e "s/.*\"$2\": \"\([^\"]*\)\".*/\1/p" -e t -e "s/.*\"$2\": \([^,}]*\).*/\1/p" "$1"; }

# "R (R/min), F frames run again (at most L), delay D, waits W, held H" for a rollback game.
rollback_figures() {
  [ "$(field "$1" rollback_frames)" -gt 0 ] 2>/dev/null || { echo "-"; return; }
  awk -v r="$(field "$1" rollbacks)" -v s="$(field "$1" play_seconds)" -v f="$(field "$1" rollback_frames_rerun)" \
    -v l="$(field "$1" rollback_longest)" -v d="$(field "$1" rollback_input_delay)" \
    -v w="$(field "$1" rollback_waits)" -v h="$(field "$1" rollback_frames_held)" \
    'BEGIN { printf "%d (%.1f/min), %d frames run again (at most %d), delay %d, waits %d, held %d", r, (s > 0 ? r * 60 / s : 0), f, l, d, w, h }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), delay by $mode"
printf '| mode | round trip added | side | play frames a second | read-out | frames held (ms held) | skipped / resyncs | link read-out at the summary | rollback | CPU s (user+sys) of wall s | same box score |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
first=yes
for netmode in $modes; do
  for delay in $delays; do
    out="$games/$netmode-$delay"
    rm -rf "$out"
    mkdir -p "$out"
    inner="xvfb-run -a -s \"-screen 0 1280x1024x24\" env SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb sh \"$0\" --build \"$build\" --quarter $quarter --inside $delay:$mode:$netmode:$out"
    [ -n "$pictures" ] && [ "$first" = yes ] && inner="$inner --pictures \"$pictures\""
    first=no
    if [ "$mode" = netem ]; then
      namespace="qgu-bench-$$-$delay"
      ip netns add "$namespace" && ip netns exec "$namespace" ip link set lo up || exit 1
      [ "$delay" -eq 0 ] || ip netns exec "$namespace" tc qdisc add dev lo root netem delay "$((delay / 2))ms" || exit 1
      ip netns exec "$namespace" sh -c "$inner" >"$out/run.txt" 2>&1
      status=$?
      ip netns del "$namespace"
      namespace=""
    else
      sh -c "$inner" >"$out/run.txt" 2>&1
      status=$?
    fi
    if [ "$status" -ne 0 ]; then
      echo "| $netmode | $delay ms | the game did not finish: $(tail -3 "$out/run.txt" | tr '\n' ' ') |"
      continue
    fi
    same=no
    cmp -s "$out/host/box.json" "$out/join/box.json" && same=yes
    for side in host join; do
      report="$out/$side/frames.json"
      read -r user sys wall <"$out/$side/cpu.txt"
      printf '| %s | %s ms | %s | %s | %s | %s (%s) | %s / %s | %s | %s | %s of %s | %s |\n' "$netmode" "$delay" "$side" \
        "$(field "$report" play_frames_per_second)" "$(field "$report" last_readout)" \
        "$(field "$report" link_frames_held)" "$(field "$report" link_held_ms)" \
        "$(field "$report" frames_skipped)" "$(field "$report" resyncs)" "$(field "$report" link_readout)" \
        "$(rollback_figures "$report")" "$(awk "BEGIN { print $user + $sys }")" "$wall" "$same"
    done
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
