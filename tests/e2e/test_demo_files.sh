#!/usr/bin/env bash
# The gallery's open and save dialogs under real input. Open (Explorer look): a file picked in
# the list with the keyboard shows its facts in the sub form and is the result; the dialog
# comes back where it was moved to; a typed name is the result of the next opening. Save (old
# look, made resizable): a grip drag lays it out, a typed name is the result.
source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
e2e_init "$@"

FILES=$SCRATCH/files
mkdir -p "$FILES"
printf 'hello first line\r\nsecond line\r\n' >"$FILES/notes.txt"
printf 'other\r\n' >"$FILES/other.dat"
DIR=$(winpath "$FILES")

T="Demo Open"
demo_start --dialog open --caption "$T" --select "$DIR" --subform right --reopen 1 --exit
demo_wait_event folderchange || fatal "the open dialog did not show its folder"
wintool wait "$T" 10 || fatal "no window titled $T"
check_eq "folder shown" "$DIR" "$(demo_events folderchange | head -n1)"

click_control "$T" SysListView32 || fatal "no file list"
xdotool key Home
demo_wait_event selchange 2
check_eq "selection logged" "$DIR\\notes.txt" "$(demo_events selchange | tail -n1)"
check_eq "sub form's first line" "先頭行: hello first line" "$(control_text "$T" 104)"
wintool move "$T" 100 90
click_control "$T" Button:1
demo_wait_event result || fatal "the open dialog did not close"
check_eq "result of the picked file" "1 $DIR\\notes.txt" "$(demo_events result | head -n1)"
read -r first_close < <(demo_events close)
check "first close at the moved place" [ "${first_close% * *}" = "100 90" ]

demo_wait_event folderchange 2 || fatal "the open dialog did not open again"
sleep 0.5
check_eq "back at its place and size" "$first_close" "$(window_box "$T")"
click_control "$T" 1152 || fatal "no file name box"
xdotool type other.dat
xdotool key Return
demo_wait_event result 2
check_eq "result of the typed name" "1 $DIR\\other.dat" "$(demo_events result | sed -n 2p)"
demo_end 0

T="Demo Save"
demo_start --dialog save --caption "$T" --old-style --sizing --subform left --select "$DIR" --exit
demo_wait_event showwindow || fatal "the save dialog did not open"
wintool wait "$T" 10 || fatal "no window titled $T"
sleep 0.5
read -r _ _ W0 H0 < <(window_box "$T")
read -r ex0 _ ew0 _ < <(control "$T" 1152)
read -r bx0 _ _ _ < <(control "$T" Button:1)
read -r _ ty0 _ _ < <(control "$T" 1136)
drag_control "$T" TDialogGrip 100 40 || fatal "no size grip"
check_eq "window size after the drag" "$((W0 + 100)) $((H0 + 40))" "$(window_box "$T" | cut -d' ' -f3-)"
read -r ex1 _ ew1 _ < <(control "$T" 1152)
check_eq "name box across the split widens" "$ex0 $((ew0 + 100))" "$ex1 $ew1"
read -r bx1 _ _ _ < <(control "$T" Button:1)
check_eq "button right of the split moves" "$((bx0 + 100))" "$bx1"
read -r _ ty1 _ _ < <(control "$T" 1136)
check_eq "file type box below the split moves down" "$((ty0 + 40))" "$ty1"
read -r _ _ _ _ CH < <(wintool rect "$T" | awk '$1 == "client"')
read -r sx sy _ sh < <(control "$T" TFileFactsForm)
check_eq "sub form along the left edge, full height" "0 0 $CH" "$sx $sy $sh"

click_control "$T" 1152 || fatal "no file name box"
xdotool key End shift+Home
xdotool type new.txt
xdotool key Return
demo_wait_event result
check_eq "result of the typed name" "1 $DIR\\new.txt" "$(demo_events result)"
demo_end 0

# With UnicodeNames, a name the code page lacks (made here as UTF-8: Unicode under Wine) comes
# back whole in the wide names; the ANSI name is empty, never a look-alike.
UFILES=$SCRATCH/unicode
mkdir -p "$UFILES"
printf 'x\r\n' >"$UFILES/한국.txt"
UDIR=$(winpath "$UFILES")
T="Demo Unicode"
demo_start --dialog open --caption "$T" --select "$UDIR" --unicode-names --exit
demo_wait_event folderchange || fatal "the open dialog did not show its folder"
wintool wait "$T" 10 || fatal "no window titled $T"
click_control "$T" SysListView32 || fatal "no file list"
xdotool key Home
# The click may report an empty selection first; the key's selection follows.
_selected_unicode() { [ "$(demo_events selchangew | tail -n1)" = "$UDIR\\한국.txt" ]; }
wait_until 30 _selected_unicode
check_eq "wide selection" "$UDIR\\한국.txt" "$(demo_events selchangew | tail -n1)"
check_eq "ANSI selection empty, no look-alike" "" "$(demo_events selchange | tail -n1 | tr -d " ")"
click_control "$T" Button:1
demo_wait_event result || fatal "the open dialog did not close"
check_eq "wide name" "$UDIR\\한국.txt" "$(demo_events namew)"
check_eq "wide files" "$UDIR\\한국.txt" "$(demo_events filew)"
check_eq "ANSI name empty" "1" "$(demo_events result)"
demo_end 0
e2e_finish
