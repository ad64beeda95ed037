# shellcheck shell=bash
# Helpers of the end-to-end tests of the dialogs gallery (dlgdemo.exe), on top of lib.sh.
# CTest passes the gallery's path in DLGDEMO_EXE; without it, it is ../demo/dlgdemo.exe from
# the folder of the tapstorm.exe the test is given.
#
#   source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
#   e2e_init "$@"
#   demo_start --dialog find --caption "Demo Find" --exit
#   demo_wait_event show || fatal "no dialog"
#   click_control "Demo Find" 1152; xdotool type word; xdotool key Return
#   demo_wait_event find && pass "..."
#   demo_end 0

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# demo_start <args...>: starts the gallery with a log in $SCRATCH. Sets DEMO_PID and DEMO_LOG.
demo_start() {
  local exe=${DLGDEMO_EXE:-$(dirname "$TAPSTORM_EXE")/../demo/dlgdemo.exe}
  [ -f "$exe" ] || fatal "no dlgdemo.exe at $exe"
  DEMO_LOG=$SCRATCH/demo.log
  rm -f "$DEMO_LOG"
  WINE_LOG=$SCRATCH/dlgdemo.wine.log wine_start "$exe" --log "$(winpath "$DEMO_LOG")" "$@"
  DEMO_PID=$WINE_PID
}

# scaled <design pixels>: that size on this run's screen (TAPSTORM_DPI), rounded as the
# program rounds it.
scaled() { echo $((($1 * ${TAPSTORM_DPI:-96} + 48) / 96)); }

# demo_events <event>: the lines of the log of that event, without the time.
demo_events() { awk -v e="$1" '$2 == e { $1 = ""; $2 = ""; sub(/^  /, ""); print }' "$DEMO_LOG" 2>/dev/null; }

# demo_wait_event <event> [count=1] [seconds=30]: until the log holds that many such lines.
demo_wait_event() {
  local event=$1 count=${2:-1} limit=${3:-30}
  _demo_count_at_least() { [ "$(demo_events "$event" | wc -l)" -ge "$count" ]; }
  wait_until "$limit" _demo_count_at_least
}

# demo_end <expected exit code> [seconds=30]: waits for the gallery to end and checks its code.
demo_end() {
  if wine_wait "$DEMO_PID" "${2:-30}"; then
    check_eq "exit code" "$1" "$WINE_STATUS"
  else
    fail "the gallery did not end"
    wine_end "$DEMO_PID"
  fi
}

# control <title> <key>: "x y w h" of a control of the window, relative to its client area: the
# first one with that control id, of that window class, or with both when the key is class:id.
control() { _control_field "$1" "$2" '$5, $6, $7, $8'; }

# control_text <title> <key>: the text of that control.
control_text() { _control_field "$1" "$2" '$13'; }

_control_field() {
  wintool children "$1" | awk -F'\t' -v k="$2" "
    { split(k, part, \":\") }
    (index(k, \":\") ? (\$4 == part[1] && \$3 == part[2]) : (\$3 == k || \$4 == k)) { print $3; exit }"
}

# client_origin <title>: "L T" of the window's client area on the screen.
client_origin() { wintool rect "$1" | awk '$1 == "client" { print $2, $3 }'; }

# window_box <title>: "L T W H" of the window on the screen.
window_box() { wintool rect "$1" | awk '$1 == "window" { print $2, $3, $4, $5 }'; }

# click_control <title> <key>: a real click in the middle of the control (the X focus
# follows the pointer, so typing reaches the control afterwards).
click_control() {
  local L T x y w h
  read -r L T < <(client_origin "$1")
  read -r x y w h < <(control "$1" "$2")
  [ -n "$w" ] || return 1
  xdotool mousemove $((L + x + w / 2)) $((T + y + h / 2)) click 1
  sleep 0.3
}

# drag_control <title> <key> <dx> <dy>: presses the mouse on the control, moves it by
# (dx, dy) in steps and lets go.
drag_control() {
  local L T x y w h px py i
  read -r L T < <(client_origin "$1")
  read -r x y w h < <(control "$1" "$2")
  [ -n "$w" ] || return 1
  px=$((L + x + w / 2)) py=$((T + y + h / 2))
  xdotool mousemove "$px" "$py"
  sleep 0.2
  xdotool mousedown 1
  for i in 1 2 3 4; do
    xdotool mousemove $((px + $3 * i / 4)) $((py + $4 * i / 4))
    sleep 0.1
  done
  xdotool mouseup 1
  sleep 0.3
}

# subform_box <title> <sub form class>: "x y w h" of the embedded sub form in the dialog.
subform_box() { control "$1" "$2"; }

# subform_overlaps <title> <sub form class>: the visible controls of the dialog itself (its
# direct children but the sub form and size grips) that lie on the sub form, one a line as
# "class id x y w h"; nothing when the sub form is clear, "no sub form" without one.
subform_overlaps() {
  wintool children "$1" | awk -F'\t' -v cls="$2" '
    { parent[NR] = $2; id[NR] = $3; klass[NR] = $4; x[NR] = $5; y[NR] = $6; w[NR] = $7; h[NR] = $8
      visible[NR] = $10; grip[NR] = index("13579bdf", tolower(substr($11, 9, 1))) > 0 }
    $4 == cls && !s { s = NR }
    END {
      if (!s) { print "no sub form"; exit }
      for (i = 1; i <= NR; i++) {
        if (i == s || parent[i] != parent[s] || visible[i] != 1 || klass[i] == "TDialogGrip") continue
        if (klass[i] == "ScrollBar" && grip[i]) continue
        if (x[i] < x[s] + w[s] && x[s] < x[i] + w[i] && y[i] < y[s] + h[s] && y[s] < y[i] + h[i])
          print klass[i], id[i], x[i], y[i], w[i], h[i]
      }
    }'
}
