#!/usr/bin/env bash
# The gallery's folder dialog under real input. Classic look, made resizable: a folder picked
# in the tree with the keyboard is logged and counted by the sub form, a grip drag widens and
# heightens the tree and moves the buttons, OK gives the folder; the next opening comes back
# where the dialog was moved to. New look: the sub form at the right, Cancel gives no folder.
source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
e2e_init "$@"

ROOT=$SCRATCH/root
mkdir -p "$ROOT/alpha" "$ROOT/beta"
touch "$ROOT/beta/one.txt" "$ROOT/beta/two.txt"
R=$(winpath "$ROOT")

T="Demo Folder"
demo_start --dialog folder --caption "$T" --root "$R" --status "Tapstorm" --sizing --reopen 1 --exit
demo_wait_event show || fatal "the folder dialog did not open"
wintool wait "$T" 10 || fatal "no window titled $T"
check_eq "status line" "Tapstorm" "$(control_text "$T" 14147)"

click_control "$T" SysTreeView32 || fatal "no folder tree"
xdotool key Home Down Down
demo_wait_event folderchange 3
check_eq "folders passed" "$R $R\\alpha $R\\beta" "$(demo_events folderchange | tr '\n' ' ' | sed 's/ $//')"
check_eq "sub form's count" "ファイル数: 2" "$(control_text "$T" 102)"

read -r _ _ W0 H0 < <(window_box "$T")
read -r _ _ tw0 th0 < <(control "$T" SysTreeView32)
read -r bx0 by0 _ _ < <(control "$T" Button:1)
drag_control "$T" TDialogGrip 100 40 || fatal "no size grip"
read -r _ _ W1 H1 < <(window_box "$T")
check_eq "window size after the drag" "$((W0 + 100)) $((H0 + 40))" "$W1 $H1"
check_eq "tree grows both ways" "$((tw0 + 100)) $((th0 + 40))" "$(control "$T" SysTreeView32 | cut -d' ' -f3-)"
check_eq "OK button moves with the corner" "$((bx0 + 100)) $((by0 + 40))" "$(control "$T" Button:1 | cut -d' ' -f1-2)"
read -r _ _ _ _ CH < <(wintool rect "$T" | awk '$1 == "client"')
read -r _ sy _ sh < <(control "$T" TFolderFactsForm)
check_eq "sub form stays at the foot" "$CH" "$((sy + sh))"

wintool move "$T" 120 80
click_control "$T" Button:1
demo_wait_event result || fatal "OK did not close the folder dialog"
check_eq "result" "1 $R\\beta" "$(demo_events result | head -n1)"
check_eq "wide result" "$R\\beta beta" "$(demo_events folderw | head -n1) $(demo_events displaynamew | head -n1)"
demo_wait_event show 2 || fatal "the folder dialog did not open again"
wintool wait "$T" 10
check_eq "back at its place and size" "120 80 $W1 $H1" "$(window_box "$T")"
click_control "$T" Button:2
demo_end 0
check_eq "result of Cancel" "0" "$(demo_events result | sed -n 2p)"

T="Demo New Folder"
demo_start --dialog folder --caption "$T" --root "$R" --new-style --subform right --exit
demo_wait_event show || fatal "the new-look folder dialog did not open"
wintool wait "$T" 10 || fatal "no window titled $T"
sleep 0.5
read -r _ _ _ CW _ < <(wintool rect "$T" | awk '$1 == "client"')
read -r sx _ sw _ < <(control "$T" TFolderFactsForm)
check_eq "sub form along the right edge" "$CW" "$((sx + sw))"
click_control "$T" Button:2
demo_end 0
check_eq "new look's run ends" "close result" "$(awk '{ print $2 }' "$DEMO_LOG" | tail -n2 | tr '\n' ' ' | sed 's/ $//')"
e2e_finish
