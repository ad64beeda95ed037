#!/usr/bin/env bash
# Runs one Windows program under Wine: CTest's emulator for the test executables.
# Inside a running harness (scripts/test.sh) it just runs wine; alone (a bare
# `ctest`) it brings up a harness for this one program and ends it afterwards.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if harness_active; then
  exec wine "$@"
fi
harness_start || exit 1
wine "$@"
exit $?
