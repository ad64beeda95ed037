#!/usr/bin/env bash
# The clicking engine with real keys and a real target window: the lock key toggles left
# clicks at the pace, the cursor lock holds the clicks in place while the mouse moves,
# Shift+Ctrl held clicks until released, and the right and middle choices arrive as such.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# write_settings <button> <pace> <cursor lock>: F1 as the lock key.
write_settings() {
  printf '%s\r\n' '[Window]' 'Left=0' 'Top=0' '[Option]' "MouseButton=$1" "Interval1=$2" 'LockKey=0' \
    "CursorLock=$3" 'Interval2=100' >"$APP_INI"
}
presses_at_least() { test "$(count_events "$1")" -ge "$2"; }
mode_panel_is() { test "$(wintool panel Tapstorm 1)" = "$1"; }
# run_app: starts the program on the current settings and waits for its window.
run_app() {
  app_start
  app_wait_window 60 || fatal "no visible window titled Tapstorm within 60 s"
}
stop_app() {
  if app_close 30; then check_eq "exit code" 0 "$APP_STATUS"; else fail "the program still runs after WM_CLOSE"; fi
}
# settled <kind>: the count of a kind no longer grows (clicking has stopped).
settled() {
  local before
  before=$(count_events "$1")
  sleep 0.6
  test "$(count_events "$1")" = "$before"
}

app_install "$SCRATCH/app"
target_start 300 300 400 300 || fatal "the click target did not come up"

# ---- toggle mode, left button, 100 ms ---------------------------------------------
write_settings 0 100 0
run_app
xdotool mousemove 450 400
sleep 0.3
xdotool key F1
check "left clicks after F1" wait_until 5 presses_at_least LDOWN 5
check_eq "mode panel" "Lock" "$(wintool panel Tapstorm 1)"
sleep 1
xdotool key F1
check "mode panel empty after the second F1" wait_until 5 mode_panel_is ""
check "no more clicks after the second F1" wait_until 5 settled LDOWN
downs=$(count_events LDOWN)
check_eq "every press released" "$downs" "$(count_events LUP)"
# The pace is never outrun: ticks keep to a 100 ms grid, so the presses fit the time between the
# first and the last (a late tick only ever drops presses). Measured by when the system took each
# press in (the message time), not by when the target got round to it: a target running late on a
# busy machine would squeeze the span.
span=$(awk '$1 == "LDOWN" { if (n++ == 0) first = $5; last = $5 } END { printf "%d", last - first }' "$TARGET_LOG")
check "$downs presses in $span ms at 100 ms: none ahead of the pace" test "$downs" -le $((span / 100 + 2))
check_eq "no other button" "0 0" "$(count_events RDOWN) $(count_events MDOWN)"
check_eq "no wheel turn" 0 "$(count_events WHEEL)"

# ---- Shift+Ctrl held ------------------------------------------------------------------
cp "$TARGET_LOG" "$SCRATCH/before-hold.log"
base=$(count_events LDOWN)
xdotool keydown shift ctrl
check "clicks while Shift+Ctrl are held" wait_until 5 presses_at_least LDOWN $((base + 5))
check_eq "mode panel while held" "On" "$(wintool panel Tapstorm 1)"
xdotool keyup shift ctrl
check "mode panel empty after release" wait_until 5 mode_panel_is ""
check "no more clicks after release" wait_until 5 settled LDOWN
stop_app

# ---- cursor lock: the clicks stay where the lock key was pressed --------------------
# locked_run <pace> <moves> <pause>: the mouse moves <moves> times, <pause> s apart, while
# clicking with the cursor lock on; no press may land away from the lock point.
locked_run() {
  local pace=$1 moves=$2 pause=$3 start i moved locked
  rm -f "$TARGET_LOG.mark"
  write_settings 0 "$pace" 1
  run_app
  xdotool mousemove 400 350
  sleep 0.3
  start=$(count_events LDOWN)
  xdotool key F1
  wait_until 5 presses_at_least LDOWN $((start + 3))
  for ((i = 1; i <= moves; i++)); do
    xdotool mousemove $((320 + i * 37 % 360)) $((320 + i * 53 % 260))
    sleep "$pause"
  done
  wait_until 20 presses_at_least LDOWN $((start + 10))
  xdotool key F1
  wait_until 10 settled LDOWN
  moved=$(awk -v skip="$start" '$1 == "LDOWN" && ++n > skip && ($3 != 400 || $4 != 350)' "$TARGET_LOG" | wc -l)
  locked=$(awk -v skip="$start" '$1 == "LDOWN" && ++n > skip' "$TARGET_LOG" | wc -l)
  check "pace $pace: clicks during the lock run ($locked)" test "$locked" -ge 10
  check_eq "pace $pace: clicks away from the lock point" 0 "$moved"
  stop_app
}
locked_run 50 3 0.3
locked_run 2 60 0.02

# ---- right and middle buttons -------------------------------------------------------
for choice in "1 RDOWN RUP" "2 MDOWN MUP"; do
  read -r index down up <<<"$choice"
  write_settings "$index" 50 0
  run_app
  xdotool mousemove 450 400
  sleep 0.3
  xdotool key F1
  check "$down after F1" wait_until 5 presses_at_least "$down" 3
  xdotool key F1
  wait_until 5 settled "$down"
  check_eq "every $down released" "$(count_events "$down")" "$(count_events "$up")"
  stop_app
done
check_eq "the middle choice never turns the wheel" 0 "$(count_events WHEEL)"

target_stop
e2e_finish
