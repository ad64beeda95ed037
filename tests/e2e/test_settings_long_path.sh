#!/usr/bin/env bash
# The program in a folder whose path is longer than the profile calls take: it starts
# with the defaults, reads and writes no other file (none appears anywhere above it),
# and on closing shows the write error with the full path.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

deep=$SCRATCH/$(printf 'a%.0s' {1..100})/$(printf 'b%.0s' {1..100})/$(printf 'c%.0s' {1..60})
app_install "$deep"
printf '%s\r\n' '[Window]' 'Left=40' 'Top=30' >"$APP_INI"
cp "$APP_INI" "$SCRATCH/settings-before.ini"
check "the settings file's path is over 260 characters" test "$(winpath "$APP_INI" | wc -m)" -gt 261

app_start
app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s"
read -r _ win_left win_top _ < <(window_rect Tapstorm | grep '^window ')
check_eq "window's top-left corner (defaults)" "0,0" "$win_left,$win_top"

window_close Tapstorm || fatal "cannot close the main window"
wintool -c '#32770' wait Tapstorm 20 >/dev/null || fatal "no message box titled Tapstorm after closing"
text=$(wintool -c '#32770' children Tapstorm | awk -F'\t' '$4 == "Static" && $13 != "" { print $13 }')
expected="$(winpath "$APP_INI") に書き込めません."
check_eq "message box text" "${expected//\\/\\\\}" "$text"
wintool -c '#32770' close Tapstorm >/dev/null || fail "cannot dismiss the message box"
if wine_wait "$APP_PID" 30; then
  check_eq "exit code" 0 "$WINE_STATUS"
else
  fail "the program still runs 30 s after the box was dismissed"
fi
check "the settings file beside the program is unchanged" cmp "$SCRATCH/settings-before.ini" "$APP_INI"
check_eq "no other settings file in the folders above" "$APP_INI" "$(find "$SCRATCH" "$WINEPREFIX/drive_c/windows" -maxdepth 1000 -iname tapstorm.ini)"

e2e_finish
