#!/usr/bin/env bash
# Folders named outside the ANSI code page (932 here): the settings beside the program
# are read and written with no error box, and what one run writes the next one reads.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

# MouseButton 7 and Interval1 9999 come back as -1 and 5000: the proof that a run wrote.
printf '%s\r\n' '[Window]' 'Left=40' 'Top=30' '[Option]' 'MouseButton=7' 'Interval1=9999' \
  'LockKey=5' 'CursorLock=1' 'Interval2=100' '[他の]' 'メモ=残す' | iconv -f UTF-8 -t CP932 >"$SCRATCH/first.ini"
sed -e 's/^MouseButton=7/MouseButton=-1/' -e 's/^Interval1=9999/Interval1=5000/' "$SCRATCH/first.ini" >"$SCRATCH/written.ini"

for name in café 한국; do
  app_install "$SCRATCH/$name"
  cp "$SCRATCH/first.ini" "$APP_INI"
  for run in 1 2; do
    app_start
    app_wait_window 60 || fatal "$name, run $run: no visible window titled Tapstorm within 60 s"
    read -r _ win_left win_top _ < <(window_rect Tapstorm | grep '^window ')
    check_eq "$name, run $run: window's corner from the file" "40,30" "$win_left,$win_top"
    controls=$(wintool children Tapstorm)
    check "$name, run $run: pace from the file" grep -q $'\t5000 m-sec\\.$' <<<"$controls"
    check "$name, run $run: lock key from the file" grep -q $'\tComboBox\t8\t128\t.*\tsel=5 count=18\t' <<<"$controls"
    # A write error would leave the program waiting in its box.
    if app_close 20; then
      check_eq "$name, run $run: exit code" 0 "$APP_STATUS"
    else
      fatal "$name, run $run: the program did not end after WM_CLOSE (an error box?)"
    fi
    check "$name, run $run: the file holds what the run had" cmp "$SCRATCH/written.ini" "$APP_INI"
  done
done

e2e_finish
