# shellcheck shell=bash
# Helpers shared by the end-to-end tests. CTest calls each test as
#   bash tests/e2e/test_<name>.sh <tapstorm.exe> <clicktarget.exe> <scratch dir>
# inside the harness of scripts/test.sh; run by hand with the same arguments,
# a test brings up a harness of its own.
#
# A test script:
#   source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#   e2e_init "$@"
#   app_install "$SCRATCH/app"            # a copy of tapstorm.exe, no settings file
#   app_start
#   app_wait_window || fatal "no main window"
#   check_eq "what is checked" expected actual
#   app_close || fail "still running after WM_CLOSE"
#   check_eq "exit code" 0 "$APP_STATUS"
#   e2e_finish
#
# Every check prints one PASS or FAIL line; e2e_finish exits non-zero when any failed.

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_DIR/../../scripts/wine-env.sh"

E2E_FAILURES=0
E2E_CHECKS=0
APP_TITLE=Tapstorm

# e2e_init <tapstorm.exe> <clicktarget.exe> <scratch dir>: an empty scratch dir
# and a running harness. Sets TAPSTORM_EXE, CLICKTARGET_EXE, SCRATCH, WINTOOL_EXE.
e2e_init() {
  if [ $# -lt 3 ]; then
    echo "usage: bash $(basename "$0") <tapstorm.exe> <clicktarget.exe> <scratch dir>" >&2
    exit 2
  fi
  TAPSTORM_EXE=$(realpath "$1")
  CLICKTARGET_EXE=$(realpath "$2")
  SCRATCH=$(realpath -m "$3")
  WINTOOL_EXE=$(dirname "$CLICKTARGET_EXE")/wintool.exe
  local f
  for f in "$TAPSTORM_EXE" "$CLICKTARGET_EXE" "$WINTOOL_EXE"; do
    [ -f "$f" ] || { echo "FAIL: $f does not exist"; exit 1; }
  done
  case $SCRATCH in
    / | "$HOME" | "") echo "refusing to use $SCRATCH as scratch dir" >&2; exit 2 ;;
  esac
  rm -rf "$SCRATCH"
  mkdir -p "$SCRATCH"
  harness_start || { echo "FAIL: the Wine harness did not start"; exit 1; }
  # On a screen of that many pixels per inch (a copy of the prefix), as the scaled suites run.
  if [ -n "${TAPSTORM_DPI:-}" ]; then
    harness_dpi "$TAPSTORM_DPI" || { echo "FAIL: no screen of $TAPSTORM_DPI pixels per inch"; exit 1; }
  fi
  echo "== $(basename "$0" .sh) (display $DISPLAY, prefix $WINEPREFIX)"
}

# ---- verdicts -----------------------------------------------------------------

pass() {
  E2E_CHECKS=$((E2E_CHECKS + 1))
  echo "PASS: $*"
}

fail() {
  E2E_CHECKS=$((E2E_CHECKS + 1))
  E2E_FAILURES=$((E2E_FAILURES + 1))
  echo "FAIL: $*"
}

# check <description> <command...>: passes when the command succeeds.
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# check_eq <description> <expected> <actual>
check_eq() {
  if [ "$2" = "$3" ]; then pass "$1: $3"; else fail "$1: expected '$2', got '$3'"; fi
}

# fatal <message>: a failure after which nothing else can be checked.
fatal() {
  fail "$*"
  e2e_finish
}

e2e_finish() {
  if [ "$E2E_FAILURES" -gt 0 ]; then
    echo "== FAILED: $E2E_FAILURES of $E2E_CHECKS checks"
    exit 1
  fi
  echo "== PASSED: $E2E_CHECKS checks"
  exit 0
}

# wait_until <seconds> <command...>: polls every 0.1 s until the command succeeds.
wait_until() {
  local limit=$1 i
  shift
  for ((i = 0; i < limit * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# ---- the program ----------------------------------------------------------------

# app_install <dir>: copies tapstorm.exe into dir. Sets APP_EXE and APP_INI
# (the settings file beside it, which the copy does not bring along).
app_install() {
  mkdir -p "$1"
  cp "$TAPSTORM_EXE" "$1/tapstorm.exe"
  APP_EXE=$1/tapstorm.exe
  APP_INI=$1/tapstorm.ini
}

# app_start [args...]: starts the installed copy; Wine's output goes to
# $SCRATCH/tapstorm.log. Sets APP_PID.
app_start() {
  WINE_LOG=$SCRATCH/tapstorm.log wine_start "$APP_EXE" "$@"
  APP_PID=$WINE_PID
}

# app_wait_window [seconds=60]: waits until the main window is visible.
# Sets APP_XID (its X window).
app_wait_window() {
  APP_XID=$(wait_window "^$APP_TITLE\$" "${1:-60}") || return 1
  # Up on X and found by title on the Windows side as well.
  wintool wait "$APP_TITLE" 10
}

# app_close [seconds=30]: WM_CLOSE to the main window, then waits for the
# process to end. Sets APP_STATUS to its exit code; returns 1 if it did not end.
app_close() {
  window_close "$APP_TITLE" || return 1
  wine_wait "$APP_PID" "${1:-30}" || return 1
  APP_STATUS=$WINE_STATUS
}

# ---- the click target -----------------------------------------------------------

# target_start [x y w h]: starts the click target (default 300 300 400 300) and
# waits until it is ready. Sets TARGET_PID and TARGET_LOG ($SCRATCH/clicks.log).
target_start() {
  TARGET_LOG=$SCRATCH/clicks.log
  rm -f "$TARGET_LOG"
  WINE_LOG=$SCRATCH/clicktarget.log wine_start "$CLICKTARGET_EXE" "$(winpath "$TARGET_LOG")" "$@"
  TARGET_PID=$WINE_PID
  wait_until 30 grep -q '^READY ' "$TARGET_LOG" 2>/dev/null
}

# target_stop: closes the click target (WM_CLOSE) and waits for it to end.
target_stop() {
  wintool -c TapstormClickTarget close "Click target" >/dev/null
  wine_wait "$TARGET_PID" 10 || wine_end "$TARGET_PID"
}

# count_events <kind> [log]: how many lines of a kind (LDOWN, RUP, WHEEL, ...) the target logged.
count_events() {
  local n
  n=$(grep -c "^$1 " "${2:-$TARGET_LOG}" 2>/dev/null) || true
  echo "${n:-0}"
}
