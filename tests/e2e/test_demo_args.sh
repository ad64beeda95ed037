#!/usr/bin/env bash
# The gallery's bad arguments: a message box that names the argument, then exit code 2. The
# sub form's size from the command line on every kind of dialog. An unknown root folder in a
# scripted run is logged and the run still ends.
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

# --subform-size on every kind of dialog: the sub form has that size (design pixels, scaled on a
# larger screen) beside the dialog's own controls, none of which lies on it, once shown and
# after a grip drag where there is a grip.
# kind, sub form class, sub form side, size, further arguments
runs=(
  "find TMatchCountForm right 150,50 --sizing"
  "replace TMatchCountForm top 300,44"
  "open TFileFactsForm bottom 260,90"
  "open TFileFactsForm right 280,241 --sizing --min-edge 10,10,10,60"
  "save TFileFactsForm left 170,60 --old-style --sizing"
  "folder TFolderFactsForm right 160,70 --new-style"
  "folder TFolderFactsForm bottom 240,66 --sizing"
)
for run in "${runs[@]}"; do
  read -r kind form side size extra <<<"$run"
  T="Sized $kind $side"
  # shellcheck disable=SC2086
  demo_start --dialog "$kind" --caption "$T" --subform "$side" --subform-size "$size" $extra --exit
  wintool wait "$T" 30 || { fail "no $kind dialog"; wine_end "$DEMO_PID"; continue; }
  sleep 0.5
  read -r _ _ w h < <(subform_box "$T" "$form")
  case $side in left | right) got=$w want=$(scaled "${size%,*}") ;; *) got=$h want=$(scaled "${size#*,}") ;; esac
  check_eq "$T: sub form size" "$want" "$got"
  check_eq "$T: controls on the sub form" "" "$(subform_overlaps "$T" "$form")"
  if [ -n "$(control "$T" TDialogGrip)" ]; then
    drag_control "$T" TDialogGrip 60 40
    check_eq "$T: controls on the sub form after a drag" "" "$(subform_overlaps "$T" "$form")"
    read -r _ _ w h < <(subform_box "$T" "$form")
    case $side in left | right) got=$w ;; *) got=$h ;; esac
    check_eq "$T: sub form size after a drag" "$want" "$got"
  fi
  window_close "$T"
  demo_end 0
done

demo_start --dialog folder --root "$(winpath "$SCRATCH/missing")" --exit
demo_end 0
check "unknown root logged" grep -q ' exception ' "$DEMO_LOG"
e2e_finish
