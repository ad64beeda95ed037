#!/usr/bin/env bash
# Installs the libraries from a build tree into a scratch prefix, then configures and builds a
# small program of another project against that copy alone, and runs it under Wine.
#   bash tests/install/test_install.sh <build dir> <toolchain file> <scratch dir>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ $# -lt 3 ]; then
  echo "usage: bash $(basename "$0") <build dir> <toolchain file> <scratch dir>" >&2
  exit 2
fi
build=$(realpath "$1")
toolchain=$(realpath "$2")
scratch=$(realpath -m "$3")
case $scratch in / | "$HOME" | "") echo "refusing to use $scratch" >&2; exit 2 ;; esac
rm -rf "$scratch"
mkdir -p "$scratch"

source "$here/../../scripts/wine-env.sh"
harness_start || { echo "FAIL: the Wine harness did not start"; exit 1; }

step() {
  local what=$1
  shift
  if ! "$@" >"$scratch/step.log" 2>&1; then
    cat "$scratch/step.log"
    echo "FAIL: $what"
    exit 1
  fi
  echo "PASS: $what"
}

step "install into $scratch/prefix" cmake --install "$build" --prefix "$scratch/prefix"
for f in include/framework/Forms.h include/controls/LtLabel.h include/dialogs/COpenDlg.h \
         lib/libframework.a lib/libcontrols.a lib/libcustdlgs.a lib/cmake/Tapstorm/TapstormConfig.cmake; do
  [ -f "$scratch/prefix/$f" ] || { echo "FAIL: $f was not installed"; exit 1; }
done
# The consumer is copied out so nothing of the source tree is in reach but the installed copy.
cp -r "$here/consumer" "$scratch/src"
step "configure the consumer" cmake -S "$scratch/src" -B "$scratch/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_PREFIX_PATH="$scratch/prefix"
step "build the consumer" cmake --build "$scratch/build"
out=$(cd "$scratch/build" && wine ./consumer.exe </dev/null 2>/dev/null | tr -d '\r')
status=$?
if [ "$status" = 0 ] && [ "$out" = "released 2" ]; then
  echo "PASS: the consumer runs: $out"
else
  echo "FAIL: the consumer printed '$out', exit code $status"
  exit 1
fi
