#!/usr/bin/env bash
# The README's gallery command: `scripts/run.sh --gallery` opens the gallery with the options
# given, and headless it saves a screenshot and prints its path. It runs what is built (a
# test never builds the tree CTest runs from), and with a --log of the caller's it still waits
# for the dialog before the picture.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

ROOT=$(cd "$E2E_DIR/../.." && pwd)
shot=$ROOT/build/screenshots/gallery.png
rm -f "$shot"
T="Gallery command check"
events=$SCRATCH/events.log
build_log=$ROOT/build/logs/i686.log
built_before=$(stat -c %Y "$build_log" 2>/dev/null)
timeout 300 bash "$ROOT/scripts/run.sh" --gallery --no-build --dialog find --caption "$T" \
  --log "$(winpath "$events")" --screenshot-only >"$SCRATCH/run.out" 2>&1
check_eq "run.sh exit code" 0 "$?"
check_eq "nothing was built" "$built_before" "$(stat -c %Y "$build_log" 2>/dev/null)"
check "the gallery opened its find dialog before the picture" grep -qE '^[0-9]+ show ' "$events"
check "the screenshot's path is printed" grep -qxF "screenshot of the dlgdemo window: $shot" "$SCRATCH/run.out"
check "the screenshot is a picture of the screen" test "$(identify -format '%wx%h' "$shot" 2>/dev/null)" = 1920x1080
check "the gallery is ended" grep -qx "dlgdemo ended" "$SCRATCH/run.out"
e2e_finish
