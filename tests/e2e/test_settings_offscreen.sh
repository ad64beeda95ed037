#!/usr/bin/env bash
# A stored place off every monitor (an unplugged monitor, a hand-edited file): the
# window comes up with its caption on screen, and closing stores where it really stood.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

read -r screen_width screen_height < <(xdotool getdisplaygeometry)
app_install "$SCRATCH/app"
for place in 5001,5001 -32000,-32000; do
  printf '%s\r\n' '[Window]' "Left=${place%,*}" "Top=${place#*,}" '[Option]' 'Interval1=250' >"$APP_INI"
  app_start
  app_wait_window 60 || fatal "$place: no visible window titled Tapstorm within 60 s"
  rects=$(window_rect Tapstorm)
  read -r _ left top width _ < <(grep '^window ' <<<"$rects")
  read -r _ _ client_top _ < <(grep '^client ' <<<"$rects")
  check "$place: the caption is on the ${screen_width}x$screen_height screen (window at $left,$top, ${width} wide)" \
    test "$left" -ge 0 -a $((left + width)) -le "$screen_width" -a "$top" -ge 0 -a "$client_top" -le "$screen_height"
  app_close 30 || fatal "$place: the program did not end after WM_CLOSE"
  check_eq "$place: the place stored at close" "Left=$left Top=$top" "$(grep -a -E '^(Left|Top)=' "$APP_INI" | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')"
  check "$place: the rest kept" grep -q $'^Interval1=250\r$' "$APP_INI"
done

e2e_finish
