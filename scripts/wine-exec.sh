#!/usr/bin/env bash
# Runs one Windows program under Wine: CTest's emulator for the test executables.
# Inside a running harness (scripts/test.sh) it just runs wine; alone (a bare
# `ctest`) it brings up a harness for this one program and ends it afterwards.
# With TAPSTORM_DPI set, the program runs on a screen of that many pixels per inch; given a
# lane by CTest, in that lane.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -z "${TAPSTORM_DPI:-}" ] && harness_active; then
  harness_lane || exit 1
  exec wine "$@"
fi
harness_start || exit 1
if [ -n "${TAPSTORM_DPI:-}" ]; then
  harness_dpi "$TAPSTORM_DPI" || exit 1
  wine "$@"
  status=$?
  harness_dpi_end
  exit $status
fi
wine "$@"
exit $?
