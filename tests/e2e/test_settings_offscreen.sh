#!/usr/bin/env bash
# Stored places: one off every monitor (an unplugged monitor, a hand-edited file) brings the
# window back whole onto the screen; one that leaves any part of it on the screen is kept
# exactly. Closing stores where the window really stood, also when it was minimised.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

read -r screen_width screen_height < <(xdotool getdisplaygeometry)
app_install "$SCRATCH/app"
# place, then "whole" (must come back wholly on the screen) or "kept" (must stay exactly).
for row in "5001,5001 whole" "-32000,-32000 whole" "-5000,300 whole" "300,-4000 whole" \
  "300,200 kept" "-100,200 kept"; do
  read -r place want <<<"$row"
  printf '%s\r\n' '[Window]' "Left=${place%,*}" "Top=${place#*,}" '[Option]' 'Interval1=250' >"$APP_INI"
  app_start
  app_wait_window 60 || fatal "$place: no visible window titled Tapstorm within 60 s"
  read -r _ left top width height < <(window_rect Tapstorm | grep '^window ')
  if [ "$want" = whole ]; then
    check "$place: the whole window is on the ${screen_width}x$screen_height screen (at $left,$top, ${width}x$height)" \
      test "$left" -ge 0 -a $((left + width)) -le "$screen_width" -a "$top" -ge 0 -a $((top + height)) -le "$screen_height"
  else
    check_eq "$place: kept where it was stored" "$place" "$left,$top"
  fi
  app_close 30 || fatal "$place: the program did not end after WM_CLOSE"
  check_eq "$place: the place stored at close" "Left=$left Top=$top" "$(grep -a -E '^(Left|Top)=' "$APP_INI" | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')"
  check "$place: the rest kept" grep -q $'^Interval1=250\r$' "$APP_INI"
  check "$place: the choices written beside it" grep -q $'^MouseButton=0\r$' "$APP_INI"
done

# Closed while minimised: the place stored is where restoring puts the window (where it was
# moved to before minimising), not the place the platform parks a minimised window at, nor the
# place it started from.
printf '%s\r\n' '[Window]' 'Left=40' 'Top=30' >"$APP_INI"
app_start
app_wait_window 60 || fatal "minimised: no visible window titled Tapstorm within 60 s"
window_at() { test "$(window_rect Tapstorm | awk '$1 == "window" { print $2 "," $3 }')" = "$1"; }
wintool move Tapstorm 300 200 || fatal "minimised: cannot move the window"
wait_until 10 window_at 300,200 || fail "minimised: the window is not at 300,200 after the move"
wintool minimize Tapstorm || fatal "minimised: cannot minimise the window"
wait_until 10 wintool iconic Tapstorm || fail "minimised: the window is not minimised 10 s after the command"
app_close 30 || fatal "minimised: the program did not end after WM_CLOSE"
check_eq "minimised: the place stored at close" "Left=300 Top=200" "$(grep -a -E '^(Left|Top)=' "$APP_INI" | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')"

e2e_finish
