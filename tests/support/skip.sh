# Sourced by the test scripts of the window, the package and linked games.
# skip REASON: exit 77, which ctest counts as skipped; with CI=true a missing
# tool is a fault of the machine's setup, so the test fails instead, naming it.
skip() {
  if [ "${CI:-}" = true ]; then
    echo "FAIL: $* (CI=true: a skipped test fails; ./qgu test installs what the tests use)"
    exit 1
  fi
  echo "SKIP: $*"
  exit 77
}

# missing_in_ci REASON: for a part of a test that is left out; true (so the
# caller can fail) only with CI=true.
missing_in_ci() {
  if [ "${CI:-}" = true ]; then
    echo "FAIL: $* (CI=true: a skipped part fails)"
    return 0
  fi
  echo "$*: that part is skipped"
  return 1
}
