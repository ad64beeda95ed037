#!/usr/bin/env bash
# The README's gallery command: `scripts/run.sh --gallery` opens the gallery with the options
# given, and headless it saves a screenshot and prints its path.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"

ROOT=$(cd "$E2E_DIR/../.." && pwd)
shot=$ROOT/build/screenshots/gallery.png
rm -f "$shot"
T="Gallery command check"
events=$ROOT/build/logs/gallery-events.log
timeout 300 bash "$ROOT/scripts/run.sh" --gallery --dialog find --caption "$T" --screenshot-only \
  >"$SCRATCH/run.out" 2>&1
check_eq "run.sh exit code" 0 "$?"
check "the gallery opened its find dialog before the picture" grep -qE '^[0-9]+ show ' "$events"
check "the screenshot's path is printed" grep -qxF "screenshot of the dlgdemo window: $shot" "$SCRATCH/run.out"
check "the screenshot is a picture of the screen" test "$(identify -format '%wx%h' "$shot" 2>/dev/null)" = 1920x1080
check "the gallery is ended" grep -qx "dlgdemo ended" "$SCRATCH/run.out"
e2e_finish
