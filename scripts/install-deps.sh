#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12.
# Idempotent: when everything is present it makes no apt call at all.
set -euo pipefail

need_pkgs=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
         wine wine32:i386 wine64 xvfb xdotool imagemagick locales \
         fonts-ipafont-gothic fonts-konatu googletest x11-utils clang-14 lld-14 perl; do
  have_pkg "$p" || need_pkgs+=("$p")
done
# The clang builds hand the linker to clang by its path (cmake/clang-mingw.cmake): the name
# they run is what must be there, not just the package that once provided it.
command -v ld.lld-14 >/dev/null || { have_pkg lld-14 && need_pkgs+=(--reinstall lld-14); }

need_locale=0
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || need_locale=1

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# A mirror in the middle of a sync fails one index or another for a while: try again a few
# times, then go on with the lists there are, which often still hold every package needed.
update_package_lists() {
  local try
  for try in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    [ $try -lt 3 ] && { echo "install-deps: reading the package index failed, trying again in $((try * 10)) s" >&2; sleep $((try * 10)); }
  done
  echo "install-deps: the package index could not be read in full; going on with the lists there are" >&2
}

if [ ${#need_pkgs[@]} -gt 0 ]; then
  echo "installing: ${need_pkgs[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  update_package_lists
  # When an index of the updates failed for one architecture only, the other's newer candidates
  # have no twin there (wine32 needs its i386 libraries at the very versions of the amd64 ones):
  # the release's own suite is complete for every architecture, so prefer it then.
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  if ! $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null &&
     ! { echo "install-deps: trying again with the packages of $release itself preferred" >&2
         $SUDO apt-get install -y -qq --no-install-recommends -t "$release" "${need_pkgs[@]}" >/dev/null; }; then
    echo "install-deps: could not install ${need_pkgs[*]} (the package index or a mirror may be out of step; a later try may work)" >&2
    exit 1
  fi
fi

if [ $need_locale -eq 1 ]; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen ja_JP.UTF-8 >/dev/null
fi
