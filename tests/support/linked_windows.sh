# Two qgu2 windows on one X display opening a linked game through their
# dialogs and playing it, keys sent with xdotool as a person would press them.
# Sourced (POSIX sh) by tests/apps/qgu2_linked_windows.sh and
# bench/linked-windows.sh; needs DISPLAY, xdotool and $qgu2.
#
# The host: File -> PLAY -> Host Linked Game... (port, nickname), then the
# Single Game dialog (the first two teams of the first league, both sides
# MAN, the quarter length asked for), then the wait for the other side. The
# joining side: File -> PLAY -> Join Linked Game... (localhost:port,
# nickname). Both persons press A now and then, and Down now and then, so
# every play gets called; the game ends at both summaries.

lw_main_title="Quozi Gridcrown ULTRA"

lw_say() { echo "linked windows: $*" >&2; }

# lw_find PID TITLE: the id of a shown window of the process with that title ("" for any).
lw_find() {
  if [ -n "$2" ]; then
    xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1
  else
    xdotool search --all --onlyvisible --pid "$1" 2>/dev/null | head -1
  fi
}

# lw_wait_window PID TITLE SECONDS: echoes the window's id once it shows;
# fails when the time is out or the process has ended.
lw_wait_window() {
  _tries=$(($3 * 10))
  while [ "$_tries" -gt 0 ]; do
    _found=$(lw_find "$1" "$2")
    if [ -n "$_found" ]; then
      sleep 0.3  # shown is not yet ready for keys
      echo "$_found"
      return 0
    fi
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}

# lw_gone PID TITLE SECONDS: waits until the process shows no such window.
lw_gone() {
  _tries=$(($3 * 10))
  while [ "$_tries" -gt 0 ]; do
    [ -z "$(lw_find "$1" "$2")" ] && return 0
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}

lw_focus() { timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1; }

# lw_keys WINDOW KEY...: the window takes the focus, then each key in turn.
lw_keys() {
  _window=$1
  shift
  lw_focus "$_window" && sleep 0.1 && timeout 30 xdotool key --delay 120 "$@"
}

# lw_text WINDOW TEXT: replaces the text of the focused field (Delete drops
# what a recent-entries list completes it with).
lw_text() {
  lw_focus "$1" && timeout 10 xdotool key ctrl+a BackSpace && timeout 30 xdotool type --delay 40 "$2" &&
    timeout 10 xdotool key Delete
}

# lw_hold WINDOW KEY: held for a few frames, as a person presses it.
lw_hold() {
  lw_focus "$1" || return 1
  xdotool keydown "$2" && sleep 0.15
  xdotool keyup "$2"
}

# lw_menu_play WINDOW ITEM: File -> PLAY -> the ITEMth entry (1 Single Game,
# 2 Host Linked Game..., 3 Join Linked Game...).
lw_menu_play() {
  lw_keys "$1" alt+f || return 1
  sleep 0.3
  xdotool key Right
  _down=$(($2 - 1))
  while [ "$_down" -gt 0 ]; do
    sleep 0.15
    xdotool key Down
    _down=$((_down - 1))
  done
  sleep 0.15
  xdotool key Return
}

# lw_host PID PORT NICK MINUTES: from the idle window to the wait for the other side.
lw_host() {
  _window=$(lw_wait_window "$1" "$lw_main_title" 30) || { lw_say "the host's window did not show"; return 1; }
  lw_menu_play "$_window" 2
  _dialog=$(lw_wait_window "$1" "Host Linked Game" 10) || { lw_say "no Host Linked Game dialog"; return 1; }
  lw_text "$_dialog" "$2" && lw_keys "$_dialog" Tab && lw_text "$_dialog" "$3" || return 1
  [ -z "${lw_pictures:-}" ] || lw_picture "$lw_pictures/link-host.png"
  lw_keys "$_dialog" Return
  _dialog=$(lw_wait_window "$1" "Single Game" 10) || { lw_say "no Single Game dialog"; return 1; }
  sleep 0.5
  # The first league on both sides, its second team at home and its first
  # away (a list takes its first row as current when it takes the focus),
  # P1 MAN, P2 from COM to MAN, clear weather, the quarter length.
  lw_keys "$_dialog" Down Tab Down Tab Down Tab Down Up Tab Tab Left Left space Tab Tab || return 1
  lw_text "$_dialog" "$4" || return 1
  lw_keys "$_dialog" Return
  lw_gone "$1" "Single Game" 10 || { lw_say "the Single Game dialog stayed"; return 1; }
}

# lw_join PID PORT NICK: from the idle window to the game's start.
lw_join() {
  _window=$(lw_wait_window "$1" "$lw_main_title" 30) || { lw_say "the joining window did not show"; return 1; }
  lw_menu_play "$_window" 3
  _dialog=$(lw_wait_window "$1" "Join Linked Game" 10) || { lw_say "no Join Linked Game dialog"; return 1; }
  lw_text "$_dialog" "localhost:$2" && lw_keys "$_dialog" Tab && lw_text "$_dialog" "$3" || return 1
  [ -z "${lw_pictures:-}" ] || lw_picture "$lw_pictures/link-join.png"
  lw_keys "$_dialog" Return
}

# lw_play HOST_PID JOIN_PID HOST_FILE JOIN_FILE SECONDS: both persons press
# their keys until each side has written its box score (the summary shows).
lw_play() {
  _host=$(lw_find "$1" "$lw_main_title")
  _join=$(lw_find "$2" "$lw_main_title")
  _until=$(($(date +%s) + $5))
  _round=0
  while [ ! -s "$3" ] || [ ! -s "$4" ]; do
    if [ "$(date +%s)" -ge "$_until" ]; then
      lw_say "no summary on both sides after $5 s"
      return 1
    fi
    kill -0 "$1" 2>/dev/null || { lw_say "the host's qgu2 has ended"; return 1; }
    kill -0 "$2" 2>/dev/null || { lw_say "the joining qgu2 has ended"; return 1; }
    _round=$((_round + 1))
    # Down now and then picks another play; A calls it (and breaks tackles).
    for _side in "$_host" "$_join"; do
      if [ $((_round % 4)) -eq 0 ]; then lw_hold "$_side" Down; fi
      lw_hold "$_side" x
    done
    [ -z "${lw_pictures:-}" ] || [ "$_round" -ne 40 ] || lw_picture "$lw_pictures/link-readout.png"
    sleep 0.2
  done
}

# lw_finish PID: closes the summary, then File -> Exit; waits for the end.
lw_finish() {
  _summary=$(lw_wait_window "$1" "Summary" 20) || { lw_say "no summary window"; return 1; }
  lw_keys "$_summary" Return
  lw_gone "$1" "Summary" 10 || { lw_say "the summary stayed"; return 1; }
  _window=$(lw_find "$1" "$lw_main_title")
  # The File menu comes back once the game has stopped: try again until the program ends.
  for _try in 1 2 3 4 5; do
    sleep 0.5
    lw_keys "$_window" alt+f && sleep 0.3 && xdotool key Up && sleep 0.15 && xdotool key Return
    lw_ended "$1" 3 && return 0
    lw_say "File -> Exit did not end qgu2 $1 (try $_try)"
  done
  return 1
}

# lw_ended PID SECONDS: waits for the process to end (a child of the
# caller's stays a zombie until waited for).
lw_ended() {
  _tries=$(($2 * 10))
  while [ "$_tries" -gt 0 ]; do
    case $(ps -o stat= -p "$1" 2>/dev/null) in "" | Z*) return 0 ;; esac
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}

# lw_picture FILE: the whole screen as it is now (needs $grab).
lw_picture() { "$grab" root "$1" 2>/dev/null || lw_say "no picture $1"; }
