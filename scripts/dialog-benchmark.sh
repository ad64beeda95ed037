#!/usr/bin/env bash
# How fast the customizable dialogs feel, under Wine: each dialog (find, replace, open, save,
# folder) opened plain and customized (a sub form and DialogSizing), side by side: the time
# from Execute to the window shown and to the dialog ready for input, and the time of one
# layout pass (median and 99th percentile) while the window is grown step by step as a grip drag
# does.
#   bash scripts/dialog-benchmark.sh [--opens N] [--build-dir DIR]
# Figures, not a test: nothing here passes or fails on a timing.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
ROOT=$PWD
opens=10
build_dir=""
while [ $# -gt 0 ]; do
  case $1 in
    --opens) opens=$2; shift 2 ;;
    --build-dir) build_dir=$(realpath -m "$2"); shift 2 ;;
    -h | --help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "dialog-benchmark.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done
if [ -z "$build_dir" ]; then
  bash scripts/install-deps.sh || exit 1
  bash scripts/build.sh i686 --target dlgbench || exit 1
  build_dir=$ROOT/build/i686
fi
exe=$(find "$build_dir" -name dlgbench.exe -type f -print -quit)
[ -n "$exe" ] || { echo "dialog-benchmark.sh: no dlgbench.exe under $build_dir" >&2; exit 1; }

source scripts/wine-env.sh
harness_start || exit 1
echo "dialog benchmark: display $DISPLAY, prefix $WINEPREFIX, $opens openings per dialog and variant" >&2
(cd "$(dirname "$exe")" && wine "$exe" "$opens" </dev/null 2>/dev/null | tr -d '\r')
status=$?
echo
echo "first_ms: the first opening (loads the dialog's code); shown_ms, ready_ms: median from Execute"
echo "to the window shown and to its first idle moment; layout_ms, p99_ms, max_ms: median, 99th percentile"
echo "and largest time of one layout pass while the window grows 3 x 2 pixels at a time (20 steps per"
echo "opening). A pass under a frame (16.7 ms) keeps up with a grip drag."
exit $status
