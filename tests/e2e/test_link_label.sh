#!/usr/bin/env bash
# The notice label at the foot of the main window under the real pointer: hovering changes
# what the screen shows there, a held button shows a third look, releasing brings the hover
# look back and moving away restores the normal look. The right button is used for the
# press, since a left click would hand the notice's web address to the shell.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# Where the label stands in the client area: Left, Top, Width, Height.
LABEL_X=8 LABEL_Y=176 LABEL_W=172 LABEL_H=24

app_install "$SCRATCH/app"
app_start
app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s"

read -r _ client_x client_y client_w client_h < <(window_rect Tapstorm | grep '^client ')
check_eq "client area" "188x224" "${client_w}x${client_h}"

# label_shot <name>: the window and the label's area of it, once the label has repainted.
label_shot() {
  sleep 0.6
  screenshot "$SCRATCH/$1-window.png" "$APP_XID" &&
    client_shot "$SCRATCH/$1.png" Tapstorm "$LABEL_X" "$LABEL_Y" "$LABEL_W" "$LABEL_H"
}

# pixels_differing <a> <b>: how many pixels of two shots differ.
pixels_differing() {
  local n
  n=$(compare -metric AE "$SCRATCH/$1.png" "$SCRATCH/$2.png" null: 2>&1) || true
  echo "${n%% *}"
}

# point <x> <y>: moves the real pointer to a point of the client area.
point() { xdotool mousemove "$((client_x + $1))" "$((client_y + $2))"; }

away_x=$((client_x + client_w + 300))
away_y=$((client_y + 20))

xdotool mousemove "$away_x" "$away_y"
label_shot normal || fatal "screenshot of the normal look"
colours=$(identify -format '%k' "$SCRATCH/normal.png")
check "the label shows its text ($colours colours)" test "$colours" -ge 2

# Onto the label, well inside its first line of text.
point $((LABEL_X + 20)) $((LABEL_Y + 6))
label_shot hover || fatal "screenshot of the hover look"
diff_hover=$(pixels_differing normal hover)
check "hovering changes the label's area ($diff_hover pixels)" test "${diff_hover:-0}" -gt 0

# Moving within the label keeps the hover look.
point $((LABEL_X + 60)) $((LABEL_Y + 8))
label_shot hover-moved || fatal "screenshot after moving within the label"
check_eq "moving within the label keeps the hover look (pixels differing)" 0 "$(pixels_differing hover hover-moved)"

xdotool mousedown 3
label_shot pressed || fatal "screenshot of the pressed look"
xdotool mouseup 3
diff_pressed_hover=$(pixels_differing hover pressed)
diff_pressed_normal=$(pixels_differing normal pressed)
check "a held button shows a look unlike the hover look ($diff_pressed_hover pixels)" \
  test "${diff_pressed_hover:-0}" -gt 0
check "a held button shows a look unlike the normal look ($diff_pressed_normal pixels)" \
  test "${diff_pressed_normal:-0}" -gt 0

label_shot released || fatal "screenshot after the release"
check_eq "releasing over the label brings the hover look back (pixels differing)" 0 \
  "$(pixels_differing hover released)"

# Off the label onto another part of the window, then off the window.
point 100 10
label_shot left-inside || fatal "screenshot after leaving for the window"
check_eq "leaving for the rest of the window restores the normal look (pixels differing)" 0 \
  "$(pixels_differing normal left-inside)"

point $((LABEL_X + 20)) $((LABEL_Y + 6))
label_shot hover-again || fatal "screenshot of the second hover"
check_eq "hovering again shows the same hover look (pixels differing)" 0 "$(pixels_differing hover hover-again)"

xdotool mousemove "$away_x" "$away_y"
label_shot left-outside || fatal "screenshot after leaving the window"
check_eq "leaving the window restores the normal look (pixels differing)" 0 \
  "$(pixels_differing normal left-outside)"
echo "screenshots: $SCRATCH/normal.png $SCRATCH/hover.png $SCRATCH/pressed.png"

if app_close 30; then
  pass "the program ended after WM_CLOSE"
  check_eq "exit code" 0 "$APP_STATUS"
else
  fail "the program still runs 30 s after WM_CLOSE"
fi

e2e_finish
