#!/bin/sh
# qgu-run writing to a full standard output: each way of running it must say
# so on standard error and exit non-zero, never report success.
# usage: qgu_run_full_output.sh QGU_RUN IMAGE
qgu_run=$1
image=$2
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
failures=0

expect_write_failure() {
  if "$qgu_run" "$@" >/dev/full 2>"$scratch/err.txt"; then
    echo "FAIL: qgu-run $* exited 0 writing to a full standard output"
    failures=$((failures + 1))
  elif ! grep -qF "cannot write to standard output: No space left on device" "$scratch/err.txt"; then
    echo "FAIL: qgu-run $* said: $(cat "$scratch/err.txt")"
    failures=$((failures + 1))
  fi
}

expect_write_failure "$image" --frames 2
expect_write_failure "$image" --frames 1 --trace
expect_write_failure --help
[ "$failures" -eq 0 ]
