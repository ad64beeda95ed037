#!/usr/bin/env bash
# The README's run command ended with Ctrl+C: a terminal sends SIGINT to its whole foreground
# process group. The window is closed as its close button would be, so the settings are
# written, and nothing the command started is left running.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

ROOT=$(cd "$E2E_DIR/../.." && pwd)
ini=$ROOT/build/i686/app/tapstorm.ini

# As from a terminal, the command sets up a harness of its own (the Wine services and the
# wineserver in the terminal's reach too): its own virtual display, and a copy of this prefix
# (the platform's libraries hard links, made in a second).
prefix=$SCRATCH/prefix
_h_copy_prefix "$WINEPREFIX" "$prefix" && cp "$WINEPREFIX/.tapstorm-prefix" "$prefix/" ||
  fatal "the prefix could not be copied"
# A settings file of the user's is put back afterwards; the run starts without one.
[ -f "$ini" ] && mv "$ini" "$SCRATCH/kept.ini"
# Every process the command starts carries this mark.
mark=TAPSTORM_RUN_CHECK=$SCRATCH
# Its own process group and session, as a terminal's foreground job has (setsid: the group's id
# is the script's pid), and SIGINT not ignored, which a shell does for what it starts with `&`.
env -u TAPSTORM_HARNESS_PID --default-signal=INT TAPSTORM_HEADLESS=1 TAPSTORM_WINEPREFIX="$prefix" "$mark" \
  setsid bash "$ROOT/scripts/run.sh" --no-build >"$SCRATCH/run.out" 2>&1 &
group=$!
harness_track "$group"
running() { grep -q "to end it" "$SCRATCH/run.out"; }
if wait_until 180 running; then
  pass "run.sh says it is running"
  display=$(grep -o 'virtual display :[0-9]*' "$SCRATCH/run.out" | cut -d' ' -f3)
  # A place of the user's choosing, which only the program can write into the settings.
  place=$(
    export WINEPREFIX=$prefix DISPLAY=$display
    wintool move Tapstorm 123 77 && window_rect Tapstorm | grep '^window '
  )
  check_eq "the window was moved" "window 123 77" "$(cut -d' ' -f1-3 <<<"$place")"
else
  fail "run.sh did not get to running: $(cat "$SCRATCH/run.out")"
fi

kill -INT -- "-$group"
if wine_wait "$group" 120; then
  check_eq "run.sh's exit code after Ctrl+C" 130 "$WINE_STATUS"
else
  fail "run.sh still runs 120 s after Ctrl+C"
fi
check "the window was closed: $(tr '\n' '|' <"$SCRATCH/run.out")" grep -qx "Tapstorm closed (exit code 0)" "$SCRATCH/run.out"
check "the settings were written" test -f "$ini"
check_eq "the window's place in them" "Left=123 Top=77" "$(tr -d '\r' <"$ini" 2>/dev/null | grep -E '^(Left|Top)=' | xargs)"
left_running() {
  env -u TAPSTORM_RUN_CHECK -u WINEPREFIX grep -lsxzF -e "$mark" -e "WINEPREFIX=$prefix" /proc/[0-9]*/environ
}
check "nothing is left running" wait_until 10 eval '! left_running'

rm -rf "$ini" "$prefix"
[ -f "$SCRATCH/kept.ini" ] && mv "$SCRATCH/kept.ini" "$ini"
e2e_finish
