#!/usr/bin/env bash
# Builds Tapstorm and starts it under Wine: the README's run command.
#   bash scripts/run.sh [--screenshot-only]
# On the current display it runs until its window is closed or Ctrl+C is pressed.
# With no display it starts a virtual one, saves a screenshot of the main window
# (build/screenshots/main-window.png) and runs until Ctrl+C. --screenshot-only
# closes the program once the screenshot is saved.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD

screenshot_only=0
for arg in "$@"; do
  case $arg in
    --screenshot-only) screenshot_only=1 ;;
    -h | --help)
      sed -n '2,7s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "run.sh: unknown option $arg (try --help)" >&2
      exit 2
      ;;
  esac
done

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh i686 --target tapstorm wintool || exit 1

exe=build/i686/app/tapstorm.exe
[ -f "$exe" ] || exe=$(find build/i686 -name tapstorm.exe -print -quit)
if [ -z "$exe" ]; then
  echo "run.sh: tapstorm.exe was not built" >&2
  exit 1
fi

source scripts/wine-env.sh
harness_start || exit 1

WINE_LOG=build/logs/tapstorm-run.log
: >"$WINE_LOG"
wine_start "$exe"
pid=$WINE_PID

if ! xid=$(wait_window '^Tapstorm$' 60); then
  echo "run.sh: no window titled Tapstorm appeared (Wine output in $WINE_LOG)" >&2
  exit 1
fi
sleep 0.5 # let the controls paint before the picture is taken
shot=build/screenshots/main-window.png
if screenshot "$shot" "$xid"; then
  echo "screenshot of the main window: $ROOT/$shot"
else
  echo "run.sh: the screenshot failed" >&2
fi

if [ "$screenshot_only" = 1 ]; then
  window_close Tapstorm
  if ! wine_wait "$pid" 30; then
    echo "run.sh: Tapstorm did not end after WM_CLOSE" >&2
    exit 1
  fi
  echo "Tapstorm closed (exit code $WINE_STATUS)"
  exit "$WINE_STATUS"
fi

# Ctrl+C closes the window the way a user would, so the settings are written.
stop_program() {
  window_close Tapstorm
  wine_wait "$pid" 10 || true
  exit 130
}
trap stop_program INT TERM HUP

if [ "${TAPSTORM_HARNESS_XVFB:-0}" = 1 ]; then
  echo "Tapstorm is running on the virtual display $DISPLAY (nothing to see there but the screenshot)."
  echo "Press Ctrl+C to end it."
else
  echo "Tapstorm is running on display $DISPLAY. Close its window or press Ctrl+C to end it."
fi
wait "$pid"
status=$?
harness_untrack "$pid"
echo "Tapstorm ended (exit code $status)"
exit "$status"
