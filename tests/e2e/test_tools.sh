#!/usr/bin/env bash
# The tools the other end-to-end tests stand on: the click target logs each button
# and wheel event at its screen position, the inspector reads rectangles and closes
# by title, exit codes come through Wine, a shell that joins the harness ends
# its own programs and nothing else, and a harness refused a Wine prefix it did not
# make (the user's own) leaves that prefix and its programs alone.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

target_start 200 150 300 200 || fatal "the click target did not come up"
ready_geometry=$(awk '$1 == "READY" { print $3, $4, $5, $6 }' "$TARGET_LOG")
check_eq "target reports the geometry it was given" "200 150 300 200" "$ready_geometry"
rects=$(wintool -c TapstormClickTarget rect "Click target")
check_eq "inspector: window rect of the frameless target" "window 200 150 300 200" "$(grep '^window ' <<<"$rects")"
check_eq "inspector: its client rect is the same" "client 200 150 300 200" "$(grep '^client ' <<<"$rects")"
wintool rect "No such window" >/dev/null 2>&1
check_eq "inspector: exit code for a missing window" 2 "$?"

# One of each event at known points: X buttons 1, 3, 2 and wheel 4 (up), 5 (down).
lines_are() { test "$(grep -c -v '^READY ' "$TARGET_LOG")" -ge "$1"; }
xdotool mousemove 260 190 click 1
xdotool mousemove 310 230 click 3
xdotool mousemove 420 300 click 2
xdotool mousemove 250 320 click 4 click 5
check "eight events logged" wait_until 10 lines_are 8
# The receive time and the buttons' input time stamp (field 5) vary; the rest is known.
events=$(awk '$1 != "READY" { $2 = ""; if ($1 != "WHEEL") $5 = ""; print }' "$TARGET_LOG" | tr -s ' ' |
  sed 's/ $//' | paste -sd,)
check "button lines carry the input's time stamp" \
  test "$(awk '$1 ~ /(DOWN|UP)$/ && $5 ~ /^[0-9]+$/' "$TARGET_LOG" | wc -l)" -eq 6
check_eq "kinds and screen positions in order" \
  "LDOWN 260 190,LUP 260 190,RDOWN 310 230,RUP 310 230,MDOWN 420 300,MUP 420 300,WHEEL 250 320 120,WHEEL 250 320 -120" \
  "$events"
check "times never go back" awk '$1 != "READY" { if ($2 < last) exit 1; last = $2 }' "$TARGET_LOG"
check_eq "count of left presses" 1 "$(count_events LDOWN)"

# A shell joining this harness: its program ends with it, the harness stays up.
joined_pid_file=$SCRATCH/joined.pid
bash -c '
  source "$1/lib.sh"
  harness_start
  wine_start "$2" "$(winpath "$3/joined.log")" 600 100 100 100
  echo "$WINE_PID" >"$3/joined.pid"
  wait_until 30 test -s "$3/joined.log"
' _ "$E2E_DIR" "$CLICKTARGET_EXE" "$SCRATCH"
gone() { ! kill -0 "$1" 2>/dev/null; }
check "a joined shell ends the program it started" wait_until 10 gone "$(cat "$joined_pid_file")"
check "the harness outlives the joined shell" wintool -c TapstormClickTarget wait "Click target" 5

target_stop
check "target logs the WM_CLOSE" grep -q '^CLOSE ' "$TARGET_LOG"
check_eq "target's exit code after WM_CLOSE" 0 "$WINE_STATUS"

# A Windows exit code other than 0 reaches the shell: no log file can be created here.
wine_start "$CLICKTARGET_EXE" "$(winpath "$SCRATCH/no/such/folder/log.txt")"
wine_wait "$WINE_PID" 30 || fail "the target without a log file still runs"
check_eq "exit code of a failed start" 3 "$WINE_STATUS"

# A prefix of someone else's, outside the build tree, with a program of it running: the
# README's run command, owning a harness of its own, refuses it and ends nothing of it.
foreign=$(mktemp -d "${TMPDIR:-/tmp}/tapstorm-foreign.XXXXXX")
mkdir "$foreign/prefix"
echo "the user's own" >"$foreign/prefix/system.reg"
env -u TAPSTORM_HARNESS_PID WINEPREFIX="$foreign/prefix" sleep 600 &
foreign_pid=$!
harness_track "$foreign_pid"
ROOT=$(cd "$E2E_DIR/../.." && pwd)
env -u TAPSTORM_HARNESS_PID TAPSTORM_WINEPREFIX="$foreign/prefix" \
  timeout 120 bash "$ROOT/scripts/run.sh" --screenshot-only --no-build >"$SCRATCH/foreign.out" 2>&1
check "run.sh with a foreign prefix fails" test $? -ne 0
check "it says it leaves the prefix alone" grep -q "not touching it" "$SCRATCH/foreign.out"
check "the foreign prefix's program still runs" _h_child_running "$foreign_pid"
check_eq "nothing written in or beside the prefix" "prefix system.reg" \
  "$(ls -A "$foreign" "$foreign/prefix" | grep -v ':$' | grep . | tr '\n' ' ' | sed 's/ $//')"
kill -TERM "$foreign_pid"
wait "$foreign_pid" 2>/dev/null
harness_untrack "$foreign_pid"
rm -rf "$foreign"

e2e_finish
