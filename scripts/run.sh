#!/usr/bin/env bash
# Builds Tapstorm and starts it under Wine: the README's run command.
#   bash scripts/run.sh [--screenshot-only] [--no-build]
#   bash scripts/run.sh --gallery [--screenshot-only] [--no-build] [dlgdemo options]
# It saves a screenshot of the main window (build/screenshots/main-window.png) and runs
# until the window is closed or Ctrl+C is pressed; Ctrl+C closes the window as its close
# button does, so the settings are written. With no display it starts a virtual one.
# --screenshot-only closes the program once the screenshot is saved.
# --gallery starts the dialogs gallery (dlgdemo.exe) instead, with the options that
# follow; its screenshot (build/screenshots/gallery.png) is the whole screen once
# the gallery, and the dialog that --dialog opens, are shown.
# --no-build runs what build/i686 holds, installing and building nothing (as the tests do).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
all_args=("$@")

screenshot_only=0
no_build=0
gallery=0
demo_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --screenshot-only) screenshot_only=1 ;;
    --no-build) no_build=1 ;;
    --gallery)
      gallery=1
      shift
      # Everything after it is the gallery's, but for our own options.
      for arg in "$@"; do
        case $arg in
          --screenshot-only) screenshot_only=1 ;;
          --no-build) no_build=1 ;;
          *) demo_args+=("$arg") ;;
        esac
      done
      break
      ;;
    -h | --help)
      sed -n '2,12s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "run.sh: unknown option $1 (try --help)" >&2
      exit 2
      ;;
  esac
  shift
done

if [ "$gallery" = 1 ]; then
  name=dlgdemo
  target=dlgdemo
  exe=build/i686/demo/dlgdemo.exe
  title_regex='^dlgdemo '
  shot=build/screenshots/gallery.png
else
  name=Tapstorm
  target=tapstorm
  exe=build/i686/app/tapstorm.exe
  title_regex='^Tapstorm$'
  shot=build/screenshots/main-window.png
fi

if [ "$no_build" = 0 ]; then
  bash scripts/install-deps.sh || exit 1
  bash scripts/build.sh i686 --target "$target" wintool || exit 1
fi
if [ ! -f "$exe" ]; then
  echo "run.sh: $exe was not built" >&2
  exit 1
fi

# A terminal's Ctrl+C goes to every process of its foreground group, and Wine ends a program
# on it at once, before its window could be closed. So the harness and the program run in a
# session of their own (setsid), out of the terminal's reach, and this shell only passes
# Ctrl+C on to the script running there, which closes the window as the user would.
if [ "${TAPSTORM_RUN_DETACHED:-}" != 1 ]; then
  TAPSTORM_RUN_DETACHED=1 setsid bash "$ROOT/scripts/run.sh" "${all_args[@]}" --no-build &
  inner=$!
  trap 'kill -TERM "$inner" 2>/dev/null' INT TERM HUP
  # `wait` returns early when a signal's trap runs; the script goes on until it has ended.
  status=0
  while kill -0 "$inner" 2>/dev/null; do
    wait "$inner"
    status=$?
  done
  exit "$status"
fi
unset TAPSTORM_RUN_DETACHED

source scripts/wine-env.sh
harness_start || exit 1

mkdir -p build/logs
WINE_LOG=build/logs/$target-run.log
: >"$WINE_LOG"
if [ "$gallery" = 1 ]; then
  # The gallery's event log tells when a dialog it opens is shown; a --log of yours is kept
  # and read (its name as the gallery, in its own folder, takes it).
  events=build/logs/gallery-events.log
  user_log="" opens_dialog=0
  for ((i = 0; i < ${#demo_args[@]}; i++)); do
    [ "${demo_args[i]}" = --log ] && user_log=${demo_args[i + 1]:-}
    [ "${demo_args[i]}" = --dialog ] && opens_dialog=1
  done
  if [ -n "$user_log" ]; then
    events=$(cd "$(dirname "$exe")" && winepath -u "$user_log" 2>/dev/null)
  else
    rm -f "$events"
    demo_args=(--log "$(winpath "$events")" "${demo_args[@]}")
  fi
  wine_start "$exe" "${demo_args[@]}"
else
  wine_start "$exe"
fi
pid=$WINE_PID

# Closes the program as the title bar's close button does, so that Tapstorm writes its
# settings, and waits for it to end. The gallery's dialogs are closed first (a common dialog
# takes that as Cancel; one the gallery reopens is closed again); the gallery keeps nothing,
# and is ended if it still runs after a few rounds.
close_program() {
  local round dialog
  if ! _h_running "$pid"; then
    wine_wait "$pid" 1
    return 0
  fi
  if [ "$gallery" = 1 ]; then
    for ((round = 0; round < 5; round++)); do
      wintool list 2>/dev/null | awk -F'\t' '$3 == 1 && $4 == "#32770" { print $9 }' |
        while IFS= read -r dialog; do wintool -c '#32770' sysclose "$dialog" >/dev/null 2>&1; done
      wintool sysclose "dlgdemo ダイアログ ギャラリー" >/dev/null 2>&1
      wine_wait "$pid" 5 && return 0
    done
    wine_end "$pid"
    return 0
  fi
  # Asked to stop while it was still starting: its window comes first.
  wintool wait Tapstorm "$1" >/dev/null 2>&1
  wintool sysclose Tapstorm >/dev/null
  wine_wait "$pid" "$1"
}

# From here Ctrl+C (passed on as TERM) closes the window, and only then the harness stops.
stop_program() {
  trap '' INT TERM HUP
  if close_program 30; then
    echo "$name closed (exit code ${WINE_STATUS:-0})"
  else
    echo "run.sh: $name did not end after its window was closed" >&2
  fi
  exit 130
}
trap stop_program INT TERM HUP

if ! xid=$(wait_window "$title_regex" 60); then
  echo "run.sh: no $name window appeared (Wine output in $WINE_LOG)" >&2
  exit 1
fi
if [ "$gallery" = 1 ]; then
  # With --dialog, wait until that dialog reports itself shown (or the gallery ended).
  if [ "$opens_dialog" = 1 ] && [ -n "$events" ]; then
    for ((i = 0; i < 300; i++)); do
      grep -qE '^[0-9]+ (show|showwindow) ' "$events" 2>/dev/null && break
      _h_running "$pid" || break
      sleep 0.1
    done
  fi
  xid=root
fi
sleep 0.5 # let the controls paint before the picture is taken
if screenshot "$shot" "$xid"; then
  echo "screenshot of the $name window: $ROOT/$shot"
else
  echo "run.sh: the screenshot failed" >&2
fi

if [ "$screenshot_only" = 1 ]; then
  if ! _h_running "$pid"; then
    wine_wait "$pid" 1
    echo "$name ended (exit code $WINE_STATUS)"
    exit "$WINE_STATUS"
  fi
  trap '' INT TERM HUP
  if ! close_program 30; then
    echo "run.sh: $name did not end after its window was closed" >&2
    exit 1
  fi
  if [ "$gallery" = 1 ]; then
    echo "$name ended"
    exit 0
  fi
  echo "$name closed (exit code $WINE_STATUS)"
  exit "$WINE_STATUS"
fi

if [ "${TAPSTORM_HARNESS_XVFB:-0}" = 1 ]; then
  echo "$name is running on the virtual display $DISPLAY (nothing to see there but the screenshot)."
  echo "Press Ctrl+C to end it."
else
  echo "$name is running on display $DISPLAY. Close its window or press Ctrl+C to end it."
fi
# `wait` returns early when a signal's trap runs; stop_program then ends the script.
wait "$pid"
status=$?
harness_untrack "$pid"
echo "$name ended (exit code $status)"
exit "$status"
