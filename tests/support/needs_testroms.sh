#!/bin/sh
# Runs a command that needs the public test programs; where their folder is
# missing (they are not part of a clone) it says where they are expected and
# the test counts as skipped.
# usage: needs_testroms.sh FOLDER COMMAND [ARGS...]
folder=$1
shift
if [ ! -d "$folder" ]; then
  echo "SKIP: public test programs not found: expected in $folder (configure with -DQGU_TESTROMS=FOLDER)"
  exit 77
fi
exec "$@"
