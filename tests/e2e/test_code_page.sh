#!/usr/bin/env bash
# The main window and the gallery started under a foreign locale (C.UTF-8, the code page of an
# English system) show the same texts as under the Japanese one: their manifests ask for code
# page 932. Every control's text, place and size, the combo boxes' items and the status panels,
# read in Unicode from outside, match the run under ja_JP.UTF-8.
source "$(dirname "${BASH_SOURCE[0]}")/demo_lib.sh"
e2e_init "$@"

GALLERY="dlgdemo ダイアログ ギャラリー"

# The locale reaches the programs: one that declares no code page gets the locale's.
check_eq "code page of a program without a manifest under C.UTF-8" "1252" "$(LC_ALL=C.UTF-8 wintool codepage)"

# window_texts <title>: what a user sees of the window, one line a control (the window handles
# left out), then each combo box's items and each status panel.
window_texts() {
  local children id
  children=$(wintool children "$1") || return 1
  cut -f3- <<<"$children"
  for id in $(awk -F'\t' '$4 == "ComboBox" { print $3 }' <<<"$children"); do
    echo "items of $id:"
    wintool items "$1" "$id"
  done
  if grep -q $'\tmsctls_statusbar32\t' <<<"$children"; then
    echo "panels: $(wintool panel "$1" 0) | $(wintool panel "$1" 1)"
  fi
}

# compare <window>: the run under C.UTF-8 against the one under ja_JP.UTF-8.
compare() {
  if diff "$SCRATCH/$1.ja_JP.UTF-8.txt" "$SCRATCH/$1.C.UTF-8.txt" >"$SCRATCH/$1.diff"; then
    pass "the $1 window under C.UTF-8 reads as under ja_JP.UTF-8"
  else
    fail "the $1 window under C.UTF-8 differs from ja_JP.UTF-8:"
    cat "$SCRATCH/$1.diff"
  fi
}

app_install "$SCRATCH/app"
for locale in ja_JP.UTF-8 C.UTF-8; do
  rm -f "$APP_INI"
  LC_ALL=$locale app_start
  app_wait_window 60 || fatal "no main window under $locale"
  sleep 0.5 # the labels size themselves once shown
  window_texts Tapstorm >"$SCRATCH/main.$locale.txt" || fail "the main window's texts under $locale"
  app_close 30 || fail "the program still runs 30 s after WM_CLOSE ($locale)"
done
check "the main window reads in Japanese" grep -q "連打速度" "$SCRATCH/main.ja_JP.UTF-8.txt"
check "the main window's status panels" grep -qxF "panels: Ver 1.0.0J | " "$SCRATCH/main.ja_JP.UTF-8.txt"
check "the link label's notice" grep -qF "(C) Tapstorm プロジェクト" "$SCRATCH/main.ja_JP.UTF-8.txt"
compare main

for locale in ja_JP.UTF-8 C.UTF-8; do
  LC_ALL=$locale demo_start
  wintool wait "$GALLERY" 60 || fatal "no gallery window titled \"$GALLERY\" under $locale"
  sleep 0.5
  window_texts "$GALLERY" >"$SCRATCH/gallery.$locale.txt" || fail "the gallery's texts under $locale"
  window_close "$GALLERY"
  demo_end 0
done
check "the gallery reads in Japanese" grep -qF "サブフォームの位置" "$SCRATCH/gallery.ja_JP.UTF-8.txt"
compare gallery
e2e_finish
