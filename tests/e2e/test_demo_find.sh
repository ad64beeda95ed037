#!/usr/bin/env bash
# The gallery's find dialog under real input: a word typed and Enter pressed is a logged search
# whose matches the sub form counts; a grip drag lays the dialog out by the split-point rules;
# the dialog comes back where it was moved to, at its new size. Then the replace dialog's
# Replace All.
source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
e2e_init "$@"

T="Demo Find"
demo_start --dialog find --caption "$T" --subform bottom --sizing --reopen 1 --exit
demo_wait_event show || fatal "the find dialog did not open"
wintool wait "$T" 10 || fatal "no window titled $T"

click_control "$T" 1152 || fatal "no find edit box"
xdotool type dialog
xdotool key Return
demo_wait_event find
check_eq "logged search" "dialog down,findnext" "$(demo_events find | head -n1)"
check_eq "logged search in Unicode" "dialog" "$(demo_events findw | head -n1)"
check_eq "sub form's count" "サンプルテキスト中に 3 件" "$(control_text "$T" 102)"

# The grip drag: 100 wider, 40 higher.
read -r _ _ W0 H0 < <(window_box "$T")
read -r ex0 _ ew0 _ < <(control "$T" 1152)
read -r bx0 _ _ _ < <(control "$T" Button:1)
read -r cx0 cy0 cw0 ch0 < <(control "$T" 65535)
drag_control "$T" TDialogGrip 100 40 || fatal "no size grip"
read -r X1 Y1 W1 H1 < <(window_box "$T")
check_eq "window size after the drag" "$((W0 + 100)) $((H0 + 40))" "$W1 $H1"
read -r ex1 _ ew1 _ < <(control "$T" 1152)
check_eq "edit box across the split widens" "$ex0 $((ew0 + 100))" "$ex1 $ew1"
read -r bx1 _ _ _ < <(control "$T" Button:1)
check_eq "button right of the split moves" "$((bx0 + 100))" "$bx1"
check_eq "label left of the split stays" "$cx0 $cy0 $cw0 $ch0" "$(control "$T" 65535)"
read -r _ _ _ CW CH < <(wintool rect "$T" | awk '$1 == "client"')
read -r sx sy sw sh < <(control "$T" TMatchCountForm)
check_eq "sub form spans the foot of the client area" "0 $CW $CH $(scaled 40)" "$sx $sw $((sy + sh)) $sh"

# Moved, closed and opened again: back where it was, at the dragged size.
wintool move "$T" 150 120
window_close "$T"
demo_wait_event show 2 || fatal "the find dialog did not open again"
check_eq "first close" "150 120 $W1 $H1" "$(demo_events close | head -n1)"
check_eq "second show" "150 120 $W1 $H1" "$(demo_events show | sed -n 2p)"
window_close "$T"
demo_end 0

# Replace: the two texts typed, then Replace All.
T="Demo Replace"
demo_start --dialog replace --caption "$T" --exit
demo_wait_event show || fatal "the replace dialog did not open"
wintool wait "$T" 10 || fatal "no window titled $T"
click_control "$T" 1152 && xdotool type dialog
click_control "$T" 1153 && xdotool type form
click_control "$T" 1025
demo_wait_event replace
check_eq "logged replacement" "dialog form down,replaceall" "$(demo_events replace | head -n1)"
window_close "$T"
demo_end 0
check_eq "log of the run" "show result replace replacew close" "$(awk '$2 != "open" { printf "%s%s", sep, $2; sep = " " }' "$DEMO_LOG")"
e2e_finish
