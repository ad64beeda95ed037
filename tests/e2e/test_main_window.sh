#!/usr/bin/env bash
# First start with no settings file: the main window's size and place on screen,
# a screenshot of it, and a clean end on WM_CLOSE.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# pace_label_whole <caption> <screenshot>: the pace label clips its text; shown whole, its
# rightmost ink is the final "." (ink in the lower half only) with clear space before the
# label's right edge.
pace_label_whole() {
  local sx sy sw sh ink last_column last_top
  read -r sx sy sw sh < <(wintool children Tapstorm | awk -F'\t' -v c="$1" '$13 == c { print $5, $6, $7, $8 }')
  ink=$(convert "$2" -crop "${sw}x${sh}+${sx}+${sy}" +repage -colorspace Gray -depth 8 gray:- | od -An -v -tu1 -w"$sw" |
    awk '{ for (x = 1; x <= NF; x++) if ($x < 128) { if (x > last) { last = x; top = NR } else if (x == last && NR < top) top = NR } }
         END { print last, top }')
  read -r last_column last_top <<<"$ink"
  echo "pace label ${sw}x${sh} at $sx,$sy: rightmost ink column ${last_column:-none}, its top row ${last_top:-none}"
  check "\"$1\" shows whole in the pace label" \
    test -n "$sw" -a "${last_column:-0}" -gt 0 -a "${last_column:-0}" -lt "${sw:-0}" -a "${last_top:-0}" -gt $((${sh:-0} / 2))
}

app_install "$SCRATCH/app"
check "no settings file beside the program before it starts" test ! -e "$APP_INI"
app_start
app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s"

rects=$(window_rect Tapstorm) || fatal "cannot read the window's rectangles"
read -r _ win_left win_top win_width win_height < <(grep '^window ' <<<"$rects")
read -r _ client_left client_top client_width client_height < <(grep '^client ' <<<"$rects")

check_eq "client area size" "188x224" "${client_width}x${client_height}"
# Left and Top are the window's outer corner: the defaults of a missing settings file.
check_eq "window's top-left corner on screen" "0,0" "$win_left,$win_top"
check "the frame surrounds the client area" \
  test "$client_left" -ge "$win_left" -a "$client_top" -gt "$win_top" \
  -a $((client_left + client_width)) -le $((win_left + win_width)) \
  -a $((client_top + client_height)) -le $((win_top + win_height))

# What X shows: on the harness's display, where no window manager is, the whole window with
# the frame Wine draws; under a window manager, the client area it frames.
read -r x_left x_top x_width x_height < <(window_geometry "$APP_XID")
if [ "${TAPSTORM_HARNESS_XVFB:-0}" = 1 ]; then
  check_eq "the X window is the whole window" "$win_left,$win_top ${win_width}x$win_height" \
    "$x_left,$x_top ${x_width}x$x_height"
else
  check_eq "size of the window on the X display" "188x224" "${x_width}x${x_height}"
fi

sleep 0.5 # let the controls paint
shot=$SCRATCH/main-window.png
if client_shot "$shot" Tapstorm; then
  check_eq "screenshot size" "188x224" "$(identify -format '%wx%h' "$shot")"
  # A window whose controls never painted comes out as one or two flat colours.
  colours=$(identify -format '%k' "$shot")
  check "screenshot shows drawn controls ($colours colours)" test "$colours" -gt 8
  echo "screenshot: $shot"
  pace_label_whole "500 m-sec." "$shot"
else
  fail "screenshot of the main window"
fi

if app_close 30; then
  pass "the program ended after WM_CLOSE"
  check_eq "exit code" 0 "$APP_STATUS"
else
  fail "the program still runs 30 s after WM_CLOSE"
fi

# The longest pace text: the label grows to show it.
printf '%s\r\n' '[Option]' 'Interval1=5000' >"$APP_INI"
app_start
app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s (pace 5000)"
sleep 0.5
client_shot "$SCRATCH/pace-5000.png" Tapstorm || fail "screenshot at pace 5000"
pace_label_whole "5000 m-sec." "$SCRATCH/pace-5000.png"
app_close 30 || fail "the program still runs 30 s after WM_CLOSE (pace 5000)"

e2e_finish
