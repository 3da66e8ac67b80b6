#!/usr/bin/env bash
# A rollback game with a round trip of 100 ms: inside a network namespace of
# its own whose loopback netem delays 50 ms each way, or, where the kernel has
# no netem or this is not root, through the test's own relay on loopback that
# holds every byte back 50 ms. Skipped (a failure with CI=true) when the test
# program does not run.
# usage: rollback_delay.sh HOST_NETPLAY_ROLLBACK_TESTS
set -uo pipefail
tests=$(realpath "$1")
filter=--gtest_filter=Rollback.AHundredMillisecondRoundTripKeepsTheLocalInputWithinTwoFrames
ns=qgu-rollback-$$

if [ "$(id -u)" = 0 ] && command -v ip > /dev/null && command -v tc > /dev/null && ip netns add "$ns" 2> /dev/null; then
  trap 'ip netns del "$ns" 2> /dev/null' EXIT
  if ip -n "$ns" link set lo up && tc -n "$ns" qdisc add dev lo root netem delay 50ms 2> /dev/null; then
    echo "netem: 50 ms each way on the loopback of network namespace $ns"
    QGU_ROLLBACK_DELAY=netem ip netns exec "$ns" "$tests" "$filter"
    exit $?
  fi
  echo "no netem here ($(tc -n "$ns" qdisc add dev lo root netem delay 50ms 2>&1 | head -1)): the test's own relay"
fi
. "$(dirname "$0")/../../support/skip.sh"
if ! "$tests" --gtest_list_tests > /dev/null 2>&1; then
  skip "the test program does not run"
fi
QGU_ROLLBACK_DELAY=relay exec "$tests" "$filter"
