#!/usr/bin/env bash
# Hand-edited poll intervals at the ends of the range: the window keeps answering, closes
# normally and writes the interval back as it was, with the rest of the settings beside it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

app_install "$SCRATCH/app"
for interval in 2147483647 -2147483648 100000000 -1; do
  printf '%s\r\n' '[Option]' "Interval2=$interval" >"$APP_INI"
  app_start
  app_wait_window 60 || fatal "Interval2=$interval: no visible window titled Tapstorm within 60 s"
  check "Interval2=$interval: the window answers a message within 2 s" wintool alive Tapstorm 2
  sleep 1
  check "Interval2=$interval: still answering a second later" wintool alive Tapstorm 2
  if app_close 30; then
    check_eq "Interval2=$interval: exit code" 0 "$APP_STATUS"
  else
    fail "Interval2=$interval: the program did not end after WM_CLOSE"
    wine_end "$APP_PID"
  fi
  check "Interval2=$interval: written back as read" grep -q $'^Interval2='"$interval"$'\r$' "$APP_INI"
  # The file held the interval alone: the place and choices beside it show it was written.
  check "Interval2=$interval: the rest written beside it" grep -q $'^MouseButton=0\r$' "$APP_INI"
done

e2e_finish
