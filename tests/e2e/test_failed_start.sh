#!/usr/bin/env bash
# A start whose main window cannot be created (a display that does not exist): the
# program reports it on standard error, ends with a non-zero exit code and leaves the
# settings file byte for byte as it was.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

app_install "$SCRATCH/app"
printf '%s\r\n' '[Window]' 'Left=40' 'Top=30' '[Option]' 'MouseButton=2' 'Interval1=250' 'Kept=1' >"$APP_INI"
cp "$APP_INI" "$SCRATCH/settings-before.ini"

# Wine's desktop process starts with the first program that needs it and ends a while after
# the last; started by the program without a display, it would serve the lane's later tests
# no window at all. The click target keeps it up on the right display meanwhile.
target_start || fatal "the click target did not start"
DISPLAY=:65000 app_start
if wine_wait "$APP_PID" 60; then
  pass "the program ended by itself"
  check "exit code is not 0 (got $WINE_STATUS)" test "$WINE_STATUS" -ne 0
else
  fail "the program still runs 60 s after a start without a display"
fi
target_stop
check "settings file unchanged" cmp "$SCRATCH/settings-before.ini" "$APP_INI"
check_eq "nothing else written beside the program" "tapstorm.exe tapstorm.ini" "$(ls -A "$SCRATCH/app" | tr '\n' ' ' | sed 's/ $//')"
check "the failure is reported on standard error" grep -q '^Tapstorm: ' "$SCRATCH/tapstorm.log"

e2e_finish
