#!/usr/bin/env bash
# Builds everything and runs every test under Wine: the README's test command,
# and what CI runs (.ci/run).
#   bash scripts/test.sh [ctest options, e.g. -R e2e]
# Exits with CTest's status, or 1 when a build fails. Every process it starts is ended
# before it returns.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh i686 || exit 1

source scripts/wine-env.sh
# From here on everything started is ended with the harness, however this shell ends.
harness_begin

# The 64-bit build and clang 14 for both targets (the libraries and programs only) prove that
# the code builds; nothing runs them. They build beside the tests at the lowest priority, so
# they take only the time the tests, which mostly wait on Wine, leave unused.
side_archs=(x86_64 clang-i686 clang-x86_64)
mkdir -p build/logs
side_log=build/logs/side-builds.out
setsid bash -c 'for arch; do nice -n 19 bash scripts/build.sh "$arch" || exit 1; done' _ "${side_archs[@]}" \
  >"$side_log" 2>&1 </dev/null &
side=$!

if harness_start; then
  # Side by side, a test to a lane: one lane for each core, at most four.
  lanes=$(nproc)
  [ "$lanes" -gt 4 ] && lanes=4
  harness_lanes "$lanes"
  harness_lanes_file "$PWD/build/i686/lanes.json"
  _h_run ctest --test-dir build/i686 --output-on-failure --resource-spec-file "$PWD/build/i686/lanes.json" \
    -j "$TAPSTORM_LANES" "$@"
  status=$?
else
  status=1
fi

resume=0
if _h_running "$side"; then
  # Still building (busy neighbours leave the lowest priority little): what is left is built
  # at normal priority once Wine is down; each build goes on where it was stopped.
  kill -TERM -- -"$side" 2>/dev/null
  resume=1
fi
wait "$side"
side_status=$?
harness_stop
if [ "$resume" = 1 ]; then
  side_status=0
  for arch in "${side_archs[@]}"; do
    bash scripts/build.sh "$arch" || { side_status=1; break; }
  done
else
  cat "$side_log"
fi
[ "$side_status" = 0 ] || { echo "test.sh: a build failed (above)" >&2; exit 1; }
exit $status
