#!/bin/sh
# qgu2's headless refusals: each call must exit non-zero and say why.
# usage: qgu2_refusals.sh QGU2
qgu2=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0

# expect_refusal MESSAGE ARGS...: runs qgu2 ARGS, wants a non-zero exit and MESSAGE on stderr.
expect_refusal() {
  message=$1
  shift
  if "$qgu2" "$@" >out.txt 2>err.txt; then
    echo "FAIL: qgu2 $* exited 0"
    failures=$((failures + 1))
  elif ! grep -qF -- "$message" err.txt; then
    echo "FAIL: qgu2 $* said: $(cat err.txt), wanted: $message"
    failures=$((failures + 1))
  fi
  if [ -s out.txt ]; then
    echo "FAIL: qgu2 $* printed on standard output: $(cat out.txt)"
    failures=$((failures + 1))
  fi
}

expect_refusal "--p1 MAN needs a person at a controller" --headless --p1 MAN
expect_refusal "--p2 COA needs a person at a controller" --headless --p2 COA
expect_refusal "Unable to open nope.dat: No such file or directory" --headless --home nope.dat --away nope.dat
expect_refusal "--weather takes clear, rain or snow" --headless --weather fog
expect_refusal "--quarter takes a whole number from 1 to 99" --headless --quarter 0
printf 'not a cartridge' >plain.txt
expect_refusal "plain.txt is not an iNES cartridge image" --headless --cartridge plain.txt
# What is not a small regular file is refused at once, never read or waited on.
mkfifo pipe.nes
expect_refusal "pipe.nes is not a regular file" --headless --cartridge pipe.nes
expect_refusal "/dev/zero is not a regular file" --headless --home /dev/zero --away /dev/zero
mkdir folder.dat
expect_refusal "folder.dat is a folder, not a file" --headless --home folder.dat --away folder.dat

rm -rf folder.dat
if [ -e qgu_lge ]; then
  echo "FAIL: a refused game left a league folder behind"
  failures=$((failures + 1))
fi
# A box score that cannot be written is reported, not lost in silence.
if "$qgu2" --headless --quiet --quarter 1 --seed 7 >/dev/full 2>err.txt; then
  echo "FAIL: qgu2 exited 0 writing to a full standard output"
  failures=$((failures + 1))
elif ! grep -qF "cannot write the box score to standard output: No space left on device" err.txt; then
  echo "FAIL: qgu2 writing to a full standard output said: $(cat err.txt)"
  failures=$((failures + 1))
fi
# The usage, too.
if "$qgu2" --help >/dev/full 2>err.txt; then
  echo "FAIL: qgu2 --help exited 0 writing to a full standard output"
  failures=$((failures + 1))
elif ! grep -qF "cannot write the usage to standard output: No space left on device" err.txt; then
  echo "FAIL: qgu2 --help writing to a full standard output said: $(cat err.txt)"
  failures=$((failures + 1))
fi
# And the icon.
if "$qgu2" --write-icon /dev/full 2>err.txt; then
  echo "FAIL: qgu2 --write-icon exited 0 writing to a full file"
  failures=$((failures + 1))
elif ! grep -qF "cannot write the icon /dev/full: No space left on device" err.txt; then
  echo "FAIL: qgu2 --write-icon to a full file said: $(cat err.txt)"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
