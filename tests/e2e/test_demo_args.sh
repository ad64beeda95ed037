#!/usr/bin/env bash
# The gallery's bad arguments: a message box that names the argument, then exit code 2. An
# unknown root folder in a scripted run is logged and the run still ends.
source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
e2e_init "$@"

# bad_run <expected text in the box> <args...>
bad_run() {
  local expected=$1
  shift
  demo_start "$@"
  wintool wait dlgdemo 30 || { fail "no message box for $*"; wine_end "$DEMO_PID"; return; }
  check "box for '$*' names '$expected'" grep -qF -- "$expected" < <(wintool children dlgdemo)
  window_close dlgdemo
  demo_end 2
}
bad_run "--subform middle" --dialog find --subform middle
bad_run "--frobnicate" --frobnicate
bad_run "--min-edge 1,2" --min-edge 1,2
bad_run "x.log" --log "$(winpath "$SCRATCH/no/such/folder/x.log")"

demo_start --dialog folder --root "$(winpath "$SCRATCH/missing")" --exit
demo_end 0
check "unknown root logged" grep -q ' exception ' "$DEMO_LOG"
e2e_finish
