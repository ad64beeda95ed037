#!/usr/bin/env bash
# Pictures of the customizable dialogs for the README: each dialog opened by the gallery
# (dlgdemo.exe) with its sample sub form and a caption, after a little real input so the sub
# form has something to show, and the gallery window with its event log. Under Wine, on a
# virtual display unless TAPSTORM_HEADLESS=0 and a display is reachable.
# With --dpi, on a screen of that many pixels per inch: the main window and two customized
# dialogs (default folder docs/dpi<N>).
#   bash scripts/screenshots.sh [--out DIR] [--dpi N]     (default docs/dialogs)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
ROOT=$PWD
out=""
dpi=96
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    -h | --help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "screenshots.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done

case $dpi in
  '' | *[!0-9]*) echo "screenshots.sh: --dpi takes a number of pixels per inch" >&2; exit 2 ;;
esac
[ -n "$out" ] || if [ "$dpi" = 96 ]; then out=$ROOT/docs/dialogs; else out=$ROOT/docs/dpi$dpi; fi

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh i686 --target dlgdemo tapstorm clicktarget wintool || exit 1
export TAPSTORM_HEADLESS=${TAPSTORM_HEADLESS:-1}
export DLGDEMO_EXE=$ROOT/build/i686/demo/dlgdemo.exe
source tests/e2e/demo_lib.sh
e2e_init build/i686/app/tapstorm.exe build/i686/tests/clicktarget.exe build/screenshots/work >/dev/null
harness_dpi "$dpi" || exit 1
mkdir -p "$out"

# Every dialog that shows a folder shows this one: C:\サンプル, in the prefix the pictures are
# taken in, so no folder of this machine (the old look names the whole path) is in them.
SAMPLE=$WINEPREFIX/drive_c/サンプル
S='C:\サンプル'
rm -rf "$SAMPLE"
mkdir -p "$SAMPLE/資料" "$SAMPLE/写真"
printf 'Tapstorm のダイアログ ライブラリ\r\n' | iconv -f UTF-8 -t CP932 >"$SAMPLE/readme.txt"
printf 'name,count\r\nclicks,1000\r\n' >"$SAMPLE/clicks.csv"
touch "$SAMPLE/資料/a.txt" "$SAMPLE/資料/b.txt" "$SAMPLE/資料/c.txt"
# all_taken: the sample folder goes, and the script ends.
all_taken() {
  rm -rf "$SAMPLE"
  exit 0
}

# shoot <file> <title>: the window as the screen shows it (on the virtual display, with the
# frame Wine draws).
shoot() {
  local xid
  xid=$(wait_window "^$2\$" 20) || { echo "screenshots.sh: no window '$2'" >&2; return 1; }
  sleep 0.7
  screenshot "$out/$1" "$xid" && echo "$out/$1"
}

# finish <title>: closes the dialog and waits for the gallery to end.
finish() {
  window_close "$1"
  wine_wait "$DEMO_PID" 20 || wine_end "$DEMO_PID"
}

# shoot_save <title>: the save dialog in the old look, made resizable, its sub form below.
shoot_save() {
  demo_start --dialog save --caption "$1" --select "$S" --old-style --sizing --subform bottom --exit
  demo_wait_event showwindow && wintool wait "$1" 10
  click_control "$1" 1120 && xdotool key Down
  shoot save.png "$1"
  finish "$1"
}

if [ "$dpi" != 96 ]; then
  app_install "$SCRATCH/app"
  app_start
  app_wait_window || { echo "screenshots.sh: no main window" >&2; exit 1; }
  sleep 0.7
  screenshot "$out/main.png" "$APP_XID" && echo "$out/main.png"
  app_close
  T="Find - sub form at the right"
  demo_start --dialog find --caption "$T" --subform right --sizing --exit
  demo_wait_event show && wintool wait "$T" 10
  click_control "$T" 1152 && xdotool type dialog && xdotool key Return
  demo_wait_event find
  shoot find.png "$T"
  finish "$T"
  shoot_save "Save - sub form below"
  all_taken
fi

T="Find - sub form, sizing"
demo_start --dialog find --caption "$T" --subform bottom --sizing --icon --exit
demo_wait_event show && wintool wait "$T" 10
click_control "$T" 1152 && xdotool type dialog && xdotool key Return
demo_wait_event find
shoot find.png "$T"
shoot gallery.png "dlgdemo ダイアログ ギャラリー"
finish "$T"

T="Replace - sub form at the right"
demo_start --dialog replace --caption "$T" --subform right --sizing --exit
demo_wait_event show && wintool wait "$T" 10
click_control "$T" 1152 && xdotool type dialog && xdotool key Return
demo_wait_event find
shoot replace.png "$T"
finish "$T"

T="Open - file facts sub form"
demo_start --dialog open --caption "$T" --select "$S" --subform right --exit
demo_wait_event folderchange && wintool wait "$T" 10
click_control "$T" SysListView32 && xdotool key End
demo_wait_event selchange 2
shoot open.png "$T"
finish "$T"

shoot_save "Save - old look made resizable"

T="Select folder - file count sub form"
demo_start --dialog folder --caption "$T" --root "$S" --status "Tapstorm" --sizing --subform bottom --exit
demo_wait_event show && wintool wait "$T" 10
click_control "$T" SysTreeView32 && xdotool key Home Down
demo_wait_event folderchange 2
shoot folder.png "$T"
finish "$T"
all_taken
