#!/usr/bin/env bash
# Builds everything and runs every test under Wine: the README's test command,
# and what CI runs (.ci/run).
#   bash scripts/test.sh [ctest options, e.g. -R e2e]
# Exits with CTest's status. Every process it starts is ended before it returns.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh i686 || exit 1
bash scripts/build.sh x86_64 || exit 1
# clang 14 for the same targets: the libraries and programs only, to prove they build.
bash scripts/build.sh clang-i686 || exit 1
bash scripts/build.sh clang-x86_64 || exit 1

source scripts/wine-env.sh
harness_start || exit 1
# Side by side, a test to a lane: one lane for each core, at most four.
lanes=$(nproc)
[ "$lanes" -gt 4 ] && lanes=4
harness_lanes "$lanes"
harness_lane_spec "$PWD/build/i686/lanes.json"
ctest --test-dir build/i686 --output-on-failure --resource-spec-file "$PWD/build/i686/lanes.json" \
  -j "$TAPSTORM_LANES" "$@"
exit $?
