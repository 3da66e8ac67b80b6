#!/usr/bin/env bash
# Every option each program's --help names is in its manual page, and every
# option of the manual page is one --help names; the same for the commands
# (qgu2 season and dynasty, qghelper). A new option goes into both, or this
# test says which one lacks it.
#   help_matches_manual.sh MAN_FOLDER QGU2 QGHELPER QGU_RUN
set -u
man=$1 qgu2=$2 qghelper=$3 qgurun=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
# The page's text with roff's escapes, fonts and quotes taken out (read
# whole: grep -q on a pipe would end its writer early).
page_text() {
  local text
  text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/"//g' -e 's/ *| */|/g' "$1")
  printf '%s\n' "$text"
}

# compare NAME HELP_TEXT PAGE
compare() {
  local name=$1 help=$2 page=$3 option
  [ -n "$help" ] || { fail "$name --help printed nothing"; return; }
  for option in $(options <<<"$help"); do
    page_text "$page" | grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" || fail "$(basename "$page") lacks $option (in $name --help)"
  done
  for option in $(page_text "$page" | options); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$help" || fail "$name --help lacks $option (in $(basename "$page"))"
  done
}

# commands GROUP HELP_TEXT PAGE: "qgu2 season a|b ..." usage lines name commands the page must give as "season a".
commands() {
  local group=$1 help=$2 page=$3 word
  for word in $(sed -nE "s/^ *(usage: )?qgu2 $group ([a-z|-]+).*/\\2/p" <<<"$help" | tr '|' ' '); do
    page_text "$page" | grep -qE "$group ([a-z-]+\\|)*$word([|\\n ]|$)" || fail "$(basename "$page") lacks \"$group $word\""
  done
}

qgu2_help=$("$qgu2" --help 2>&1; "$qgu2" season --help 2>&1; "$qgu2" dynasty --help 2>&1)
compare qgu2 "$qgu2_help" "$man/qgu2.6"
commands season "$("$qgu2" season --help 2>&1)" "$man/qgu2.6"
commands dynasty "$("$qgu2" dynasty --help 2>&1)" "$man/qgu2.6"
helper_help=$("$qghelper" --help 2>&1)
compare qghelper "$helper_help" "$man/qghelper.1"
for word in $(sed -nE 's/^  ([a-z][a-z -|]*[a-z]) {2,}.*/\1/p; s/^  ([a-z-]+) [A-Z-].*/\1/p' <<<"$helper_help" |
              tr '|' ' ' | tr -s ' ' '\n' | grep -E '^[a-z][a-z-]+$' | sort -u); do
  page_text "$man/qghelper.1" | grep -qE "^\.(B|BI|BR|TP).*(^|[ ,])$word([ ,]|$)" || fail "qghelper.1 lacks the command $word"
done
compare qgu-run "$("$qgurun" --help 2>&1)" "$man/qgu-run.1"

[ "$failures" -eq 0 ] && echo "every option of --help is in the manual pages, and the other way round"
[ "$failures" -eq 0 ]
