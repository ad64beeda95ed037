#!/usr/bin/env bash
# Configures and builds one configuration quietly, the way run.sh and test.sh need it.
#   bash scripts/build.sh i686|x86_64|clang-i686|clang-x86_64 [cmake --build options, e.g. --target tapstorm]
# The build tree is build/<arch>; the full output goes to build/logs/<arch>.log and
# only a failure (or the count of compiler warnings) is shown. i686 is MinGW-w64 gcc with the
# tests, which run there only; the others build the libraries and programs to prove they build
# (clang-*: clang 14 for the same MinGW-w64 targets).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD

arch=${1:-}
case $arch in
  i686) options=(-DTAPSTORM_TESTS=ON "-DCMAKE_CROSSCOMPILING_EMULATOR=bash;$ROOT/scripts/wine-exec.sh") ;;
  x86_64 | clang-i686 | clang-x86_64) options=(-DTAPSTORM_TESTS=OFF) ;;
  *)
    echo "usage: bash scripts/build.sh i686|x86_64|clang-i686|clang-x86_64 [cmake --build options]" >&2
    exit 2
    ;;
esac
shift

dir=build/$arch
case $arch in
  clang-*) toolchain=$ROOT/cmake/$arch.cmake ;;
  *) toolchain=$ROOT/cmake/mingw-$arch.cmake ;;
esac
log=build/logs/$arch.log
mkdir -p build/logs
start=$SECONDS
if ! {
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "${options[@]}" &&
    cmake --build "$dir" -j "$(nproc)" "$@"
} >"$log" 2>&1; then
  tail -n 80 "$log"
  echo "build $arch: FAILED (full output in $log)" >&2
  exit 1
fi
warnings=$(grep -c 'warning:' "$log")
echo "build $arch: ok ($((SECONDS - start)) s$([ "$warnings" -gt 0 ] && echo ", $warnings compiler warnings in $log"))"
