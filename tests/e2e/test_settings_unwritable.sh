#!/usr/bin/env bash
# A settings file that cannot be written (a folder stands in its place): the
# program starts with the defaults, and on closing shows the write error in the
# standard exception box, then ends with 0, leaving the folder as it was. The toggle key pressed
# while the box is up (the hot key is still registered) starts no clicking.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

app_install "$SCRATCH/app"
target_start || fatal "the click target did not come up"
mkdir "$APP_INI"
echo "not the program's" >"$APP_INI/inside.txt"
app_start
app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s"
read -r _ win_left win_top _ < <(window_rect Tapstorm | grep '^window ')
check_eq "window's top-left corner (defaults)" "0,0" "$win_left,$win_top"
# The way F1 comes to the program works here: over the target it starts clicking and stops it.
xdotool mousemove 500 450
sleep 0.3
xdotool key F1
presses_at_least() { test "$(count_events LDOWN)" -ge "$1"; }
check "F1 starts clicking while the window is up" wait_until 10 presses_at_least 1
xdotool key F1
settled() {
  local before
  before=$(count_events LDOWN)
  sleep 1.2
  test "$(count_events LDOWN)" = "$before"
}
check "F1 again stops it" wait_until 10 settled
clicks_before=$(count_events LDOWN)

window_close Tapstorm || fatal "cannot close the main window"
wintool -c '#32770' wait Tapstorm 20 >/dev/null || fatal "no message box titled Tapstorm after closing"
box=$(wintool -c '#32770' children Tapstorm) || fatal "cannot read the message box"
sleep 0.3
screenshot "$SCRATCH/error-box.png" "$(wait_window '^Tapstorm$' 5)"
# Fields: hwnd parent id class x y w h enabled visible style state text.
text=$(awk -F'\t' '$4 == "Static" && $13 != "" { print $13 }' <<<"$box")
# The text is escaped: one backslash shows as two.
expected="$(winpath "$APP_INI") に書き込めません."
check_eq "message box text" "${expected//\\/\\\\}" "$text"
check "the box has one OK button" test "$(awk -F'\t' '$4 == "Button"' <<<"$box" | wc -l)" -eq 1
check "the program waits for the box" kill -0 "$APP_PID"
# Over the target, F1 (the default toggle key), then three of the default pace's intervals. The
# key is still the program's hot key, so the press goes to it and nowhere else.
check "F1 is still a registered hot key while the box is up" wintool taken 112
xdotool mousemove 500 450
xdotool key F1
sleep 1.5

# Dismiss it as OK would (a box with only OK takes WM_CLOSE as OK).
wintool -c '#32770' close Tapstorm >/dev/null || fail "cannot dismiss the message box"
if wine_wait "$APP_PID" 30; then
  pass "the program ended after the box"
  check_eq "exit code" 0 "$WINE_STATUS"
else
  fail "the program still runs 30 s after the box was dismissed"
fi
check_eq "clicks after the toggle key pressed during the box" 0 $(($(count_events LDOWN) - clicks_before))
target_stop
check "the folder in the settings file's place is still a folder" test -d "$APP_INI"
check_eq "what it holds" "inside.txt" "$(ls -A "$APP_INI")"
check_eq "its file" "not the program's" "$(cat "$APP_INI/inside.txt")"
check_eq "nothing else written beside the program" "tapstorm.exe tapstorm.ini" "$(ls -A "$SCRATCH/app" | tr '\n' ' ' | sed 's/ $//')"

e2e_finish
