# shellcheck shell=bash
# Wine harness shared by scripts/run.sh, scripts/test.sh, scripts/wine-exec.sh and
# the end-to-end tests. Source it and call harness_start; every process the
# harness starts is ended when the sourcing shell exits.
#
# Run directly, it runs one command inside a harness:
#   bash scripts/wine-env.sh ctest --test-dir build/i686 -R app_tests
#
# What harness_start sets up:
#   - WINEPREFIX in the build tree (build/wineprefix), created once with
#     `wineboot -i`; if another session holds it, a private prefix for this
#     session (build/wineprefix.<pid>, removed at the end);
#   - WINEDEBUG=-all, WINEDLLOVERRIDES="mscoree,mshtml=" (no Mono or Gecko
#     prompt), LC_ALL=ja_JP.UTF-8 (ANSI code page 932);
#   - Xvfb on a free display when DISPLAY is unset or unreachable, or when
#     TAPSTORM_HEADLESS=1;
#   - a persistent wineserver for the prefix, ended with `wineserver -k`.
# A shell started inside a running harness (it sees TAPSTORM_HARNESS_PID alive)
# joins it instead: it starts no Xvfb or wineserver and ends only its own processes.
# The shell that owns the harness ends, when it stops, everything started inside it: every
# process carries TAPSTORM_HARNESS_PID, every Wine process one of its prefixes, so what a
# shell killed outright (as CTest kills a test at its time limit) left running is found too.
# harness_begin takes that charge before anything is started; harness_start calls it.
#
# harness_dpi <dpi> moves the shell to a copy of the prefix whose screen has <dpi> pixels per
# inch (scripts/wine-exec.sh does so for TAPSTORM_DPI). harness_lanes <n> gives CTest lanes to
# run tests side by side in (see Lanes below; scripts/test.sh uses them).
#
# Settings: TAPSTORM_BUILD_ROOT (default <repo>/build), TAPSTORM_WINEPREFIX,
# TAPSTORM_HEADLESS, TAPSTORM_WINEDEBUG (default -all), WINTOOL_EXE, TAPSTORM_DPI.

TAPSTORM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${TAPSTORM_BUILD_ROOT:=$TAPSTORM_ROOT/build}"
: "${WINTOOL_EXE:=$TAPSTORM_BUILD_ROOT/i686/tests/wintool.exe}"

# Bumped when the prefix set-up below changes, so old prefixes are brought up to date.
_H_PREFIX_VERSION=2

_H_OWNER=0          # this shell owns the harness (and stops it)
_H_READY=0          # the owner's display, prefix and wineserver are up
_H_PIDS=()          # processes to end at exit
_H_XVFB_PIDS=()     # the Xvfb servers it started (its own display, then the lanes')
_H_PREFIX=""        # the owner's prefix; its copies are <prefix>.dpi*, <prefix>.lane*
_H_PRIVATE_PREFIX=""
_H_CLAIM_FILE=""
_H_BASE_PREFIX=""   # the prefix harness_dpi copied from

_h_log() { echo "harness: $*" >&2; }

# True when this shell runs inside a harness another shell started.
harness_active() {
  [ -n "${TAPSTORM_HARNESS_PID:-}" ] && [ "$TAPSTORM_HARNESS_PID" != "$BASHPID" ] &&
    kill -0 "$TAPSTORM_HARNESS_PID" 2>/dev/null && [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]
}

# Exports the Wine environment for a prefix (no process is started).
harness_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=${TAPSTORM_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # A shell that was running before install-deps.sh made the locale cannot switch to it (the C
  # library looks for the locale archive once) and would warn; the programs it starts can.
  export LC_ALL=ja_JP.UTF-8 2>/dev/null
}

# Registers a process to be ended when the harness stops.
harness_track() { _H_PIDS+=("$1"); }

# Forgets a process that has ended (or that the caller ends itself).
harness_untrack() {
  local keep=() p
  for p in "${_H_PIDS[@]}"; do [ "$p" = "$1" ] || keep+=("$p"); done
  _H_PIDS=("${keep[@]}")
}

# Takes the shared prefix for this session unless a live session has it.
_h_claim_prefix() {
  local claim=$1.owner me=$BASHPID
  (
    flock 9
    if [ -s "$claim" ]; then
      local other
      other=$(cat "$claim")
      if [ "$other" != "$me" ] && kill -0 "$other" 2>/dev/null; then exit 1; fi
    fi
    echo "$me" >"$claim"
  ) 9>"$1.lock"
}

_h_release_prefix() {
  [ -n "$_H_CLAIM_FILE" ] || return 0
  if [ "$(cat "$_H_CLAIM_FILE" 2>/dev/null)" = "$BASHPID" ]; then rm -f "$_H_CLAIM_FILE"; fi
  _H_CLAIM_FILE=""
}

# Starts an Xvfb on a free display and sets _H_NEW_DISPLAY to it.
_h_new_xvfb() {
  local fdfile n i pid
  fdfile=$(mktemp)
  # -displayfd picks a free display number and reports it once the server accepts clients.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
  pid=$!
  _H_XVFB_PIDS+=("$pid")
  for ((i = 0; i < 100; i++)); do
    n=$(head -n1 "$fdfile" 2>/dev/null)
    [ -n "$n" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fdfile"
  if [ -z "$n" ]; then
    _h_log "Xvfb did not start"
    return 1
  fi
  _H_NEW_DISPLAY=":$n"
}

_h_start_xvfb() {
  _h_new_xvfb || return 1
  export DISPLAY=$_H_NEW_DISPLAY
  export TAPSTORM_HARNESS_XVFB=1
}

# Font names the program asks for, mapped to the Japanese fonts installed here. The
# window's proportional Gothic is Konatu: at 12 pixels its widths match the original's
# (the labels are sized to them), where IPAPGothic runs wider and cuts "500 m-sec.".
_h_font_replacements() {
  local reg=$WINEPREFIX/tapstorm-fonts.reg
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ Ｐゴシック"="Konatu"' '"ＭＳ ゴシック"="IPAGothic"' \
    '"MS PGothic"="Konatu"' '"MS Gothic"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "$(winpath "$reg")"
}

# True when <dir> holds something this harness did not make (no marker) outside the build tree:
# someone else's prefix, such as ~/.wine. Nothing of it is touched: no wineserver is started or
# stopped for it and no process of it is searched for or ended.
_h_foreign_prefix() {
  [ ! -f "$1/.tapstorm-prefix" ] && [ -n "$(ls -A "$1" 2>/dev/null)" ] || return 1
  case "$1" in
    "$TAPSTORM_BUILD_ROOT"/*) return 1 ;;
  esac
}

# Creates the prefix once; a prefix without our marker in the build tree is a broken earlier
# attempt (harness_start has refused anyone else's).
_h_prepare_prefix() {
  local marker=$WINEPREFIX/.tapstorm-prefix
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$_H_PREFIX_VERSION" ]; then
    _h_start_wineserver
    return 0
  fi
  local log=$WINEPREFIX/tapstorm-init.log
  if [ ! -f "$marker" ]; then
    if [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ]; then
      _h_foreign_prefix "$WINEPREFIX" && return 1
      rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    : >"$log"
    _h_log "creating the Wine prefix $WINEPREFIX (about 15 s)"
    # wineboot returns while the prefix's services still install its devices and write the
    # registry. A prefix made on a busy first run with a persistent server already up lacked some
    # of them, and its folder browser never found a folder. Without that server, this one ends
    # only once all of it is done, and `wineserver -w` waits for that.
    if ! { wineboot -i && wineserver -w; } >>"$log" 2>&1; then
      tail -n 20 "$log" >&2
      _h_log "wineboot failed"
      return 1
    fi
    _h_start_wineserver
  else
    _h_start_wineserver
  fi
  if ! _h_font_replacements >>"$log" 2>&1; then
    tail -n 20 "$log" >&2
    _h_log "the font set-up failed"
    return 1
  fi
  echo "$_H_PREFIX_VERSION" >"$marker"
}

# On the harness's own Xvfb no window is handed to a window manager (Managed=N): there is
# none, and Wine waits up to 2 s for one each time it hides a managed window, which was most
# of a test run's time. Wine then draws each window's frame itself, inside its X window, as
# the platform would; the checks find the client area through the platform, never by
# assuming the X window is it. On a real display everything stays managed. The prefix keeps
# the setting, so it is written only when it changes (and the per-program keys of earlier
# versions of this harness are taken out then).
_H_OLD_SUITES="framework_tests controls_tests dialogs_tests app_tests demo_tests"
_h_window_manager_mode() {
  local want=Y mark=$WINEPREFIX/.tapstorm-managed had suite
  [ "${TAPSTORM_HARNESS_XVFB:-0}" = 1 ] && want=N
  had=$(cat "$mark" 2>/dev/null)
  [ "$had" = "$want" ] && return 0
  if [ "${had#* }" != "$had" ]; then
    for suite in $_H_OLD_SUITES; do
      wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$suite.exe\\X11 Driver" /f </dev/null >/dev/null 2>&1
    done
  fi
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d "$want" /f </dev/null >/dev/null 2>&1 ||
    { _h_log "setting the window manager mode failed"; return 1; }
  echo "$want" >"$mark"
}

_h_start_wineserver() {
  # It detaches by itself; `wineserver -k` ends it. It fails harmlessly when one
  # is already running for the prefix (left over from an interrupted session).
  wineserver -p >/dev/null 2>&1 || true
}

# Starts the prefix's wineserver and Wine's services, then sets the window manager mode. The
# first program in a prefix starts the services, which live as long as the wineserver and keep
# the standard handles they inherit: they are started here with none, or CTest would wait for
# the output pipe of the first test to close.
_h_prefix_up() {
  _h_start_wineserver
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
  _h_window_manager_mode
}

# _h_run <command...>: runs a command (or function) and waits for it so that Ctrl+C reaches this
# shell's trap at once. Wine handles SIGINT itself and exits normally, and for a foreground child
# that does so bash takes the Ctrl+C as handled and runs no trap; `wait` returns to the trap.
# The child is ended with the harness.
_h_run() {
  local pid rc
  "$@" &
  pid=$!
  harness_track "$pid"
  wait "$pid"
  rc=$?
  harness_untrack "$pid"
  return $rc
}

# Sets the traps that stop the harness however the shell ends and, unless the shell joins a
# running harness, makes it the owner: from here on what it starts carries its mark.
harness_begin() {
  trap 'harness_stop' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  if [ "$_H_OWNER" = 1 ] || harness_active; then return 0; fi
  _H_OWNER=1
  export TAPSTORM_HARNESS_PID=$BASHPID
}

# Starts Xvfb (if needed), the prefix and the wineserver, or joins a running harness.
harness_start() {
  harness_begin
  if [ "$_H_OWNER" != 1 ]; then
    harness_lane
    return
  fi
  [ "$_H_READY" = 1 ] && return 0
  unset TAPSTORM_HARNESS_XVFB
  mkdir -p "$TAPSTORM_BUILD_ROOT"

  if [ "${TAPSTORM_HEADLESS:-0}" = 1 ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    [ -n "${DISPLAY:-}" ] && [ "${TAPSTORM_HEADLESS:-0}" != 1 ] && _h_log "display $DISPLAY not reachable, using Xvfb"
    _h_start_xvfb || return 1
  fi

  local prefix=${TAPSTORM_WINEPREFIX:-$TAPSTORM_BUILD_ROOT/wineprefix}
  # Refused before anything is written beside it or it becomes the prefix the harness stops.
  if _h_foreign_prefix "$prefix"; then
    _h_log "$prefix exists and was not made by this harness; not touching it"
    return 1
  fi
  mkdir -p "$(dirname "$prefix")"
  if _h_claim_prefix "$prefix"; then
    _H_CLAIM_FILE=$prefix.owner
  else
    _H_PRIVATE_PREFIX=$prefix.$BASHPID
    _h_log "$prefix is in use by pid $(cat "$prefix.owner"); using $_H_PRIVATE_PREFIX"
    prefix=$_H_PRIVATE_PREFIX
  fi
  _H_PREFIX=$prefix
  harness_env "$prefix"
  _h_run _h_prepare_prefix || return 1
  _h_run _h_prefix_up || return 1
  _H_READY=1
}

# Ends every process this shell started: its programs by pid; when this shell owns the
# harness, then the wineservers of its prefix and of every copy of it, the Xvfb servers, and
# whatever else still runs that was started inside the harness or runs in one of its prefixes.
harness_stop() {
  local rc=$? p i
  # A second Ctrl+C must not cut the clean-up short.
  trap - EXIT
  trap '' INT TERM HUP
  set +e  # clean up everything even when the caller runs with errexit
  for p in "${_H_PIDS[@]}"; do _h_own_child "$p" && kill -TERM "$p" 2>/dev/null; done
  for p in "${_H_PIDS[@]}"; do
    for ((i = 0; i < 50; i++)); do
      _h_child_running "$p" || break
      sleep 0.1
    done
    _h_own_child "$p" && kill -KILL "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  _H_PIDS=()
  harness_dpi_end
  if [ "$_H_OWNER" = 1 ]; then
    local prefixes=()
    if [ -n "$_H_PREFIX" ]; then
      for p in "$_H_PREFIX" "$_H_PREFIX".dpi* "$_H_PREFIX".lane*; do
        [ -d "$p" ] && prefixes+=("$p")
      done
    fi
    # `wineserver -k` ends a server and its programs and saves the registry; asked where no
    # server runs it would set up a server folder, so only prefixes in use are asked.
    for p in "${prefixes[@]}"; do
      _h_find "WINEPREFIX=$p"
      [ ${#_H_FOUND[@]} -gt 0 ] || continue
      WINEPREFIX=$p wineserver -k >/dev/null 2>&1
      WINEPREFIX=$p timeout 20 wineserver -w >/dev/null 2>&1
    done
    for p in "${_H_XVFB_PIDS[@]}"; do
      _h_own_child "$p" && kill -TERM "$p" 2>/dev/null
      wait "$p" 2>/dev/null
    done
    _H_XVFB_PIDS=()
    _h_end_leftovers "${prefixes[@]}"
    [ -n "$_H_PRIVATE_PREFIX" ] && rm -rf "$_H_PRIVATE_PREFIX" "$_H_PRIVATE_PREFIX".dpi* "$_H_PRIVATE_PREFIX".lane*
    _h_release_prefix
    _H_OWNER=0 _H_READY=0 _H_PREFIX="" _H_PRIVATE_PREFIX=""
    unset TAPSTORM_HARNESS_PID TAPSTORM_HARNESS_XVFB TAPSTORM_LANES
  fi
  trap - INT TERM HUP
  return $rc
}

# _h_find <VAR=value>...: sets _H_FOUND to the pids of the processes whose environment holds one
# of these, but for this shell and the shells it runs in.
_h_find() {
  local p stat found keep=" " args=()
  for p in "$@"; do args+=(-e "$p"); done
  p=$BASHPID
  while [ -n "$p" ] && [ "$p" != 0 ] && read -r stat 2>/dev/null <"/proc/$p/stat"; do
    keep+="$p "
    stat=${stat##*) } # after the name: the state, then the parent's pid
    p=${stat#* }
    p=${p%% *}
  done
  # grep runs without the harness's variables, so it does not find itself.
  found=$(env -u TAPSTORM_HARNESS_PID -u WINEPREFIX grep -lsxzF "${args[@]}" /proc/[0-9]*/environ)
  _H_FOUND=()
  for p in $found; do
    p=${p#/proc/}
    p=${p%/environ}
    [[ $keep == *" $p "* ]] || _H_FOUND+=("$p")
  done
}

# _h_leftovers [prefix...]: sets _H_FOUND to the processes that carry this harness's mark or
# run in one of these prefixes.
_h_leftovers() {
  local p vars=("TAPSTORM_HARNESS_PID=$TAPSTORM_HARNESS_PID")
  for p in "$@"; do vars+=("WINEPREFIX=$p"); done
  _h_find "${vars[@]}"
}

# _h_end_leftovers [prefix...]: ends those processes, by TERM and after 5 s by KILL, until none
# is left (a program being ended may still start another).
_h_end_leftovers() {
  local round i p alive
  for ((round = 0; round < 5; round++)); do
    _h_leftovers "$@"
    [ ${#_H_FOUND[@]} -gt 0 ] || return 0
    kill -TERM "${_H_FOUND[@]}" 2>/dev/null
    for ((i = 0; i < 50; i++)); do
      alive=0
      for p in "${_H_FOUND[@]}"; do _h_running "$p" && { alive=1; break; }; done
      [ "$alive" = 0 ] && break
      sleep 0.1
    done
    # Looked for afresh: a number found 5 s ago may belong to another process by now.
    _h_leftovers "$@"
    [ ${#_H_FOUND[@]} -gt 0 ] && kill -KILL "${_H_FOUND[@]}" 2>/dev/null
    for p in "${_H_FOUND[@]}"; do wait "$p" 2>/dev/null; done
  done
}

# True while a process runs (a child that has exited but not been waited for does not count).
_h_running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
  [ "${state%% *}" != Z ]
}

# True while <pid> is still a child of this shell, running or ended but not yet reaped. Once bash
# has reaped it (it does so as soon as it ends), the number may already be another process's:
# a pid of the harness's own is signalled only while this holds.
_h_own_child() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) } # after the name: the state, then the parent's pid
  stat=${stat#* }
  [ "${stat%% *}" = "$BASHPID" ]
}

# True while <pid> is a child of this shell that still runs.
_h_child_running() { _h_own_child "$1" && _h_running "$1"; }

# ---- Display resolution ---------------------------------------------------------

# Copies a prefix without its running state. The platform's libraries are hard links (nothing
# writes them), the rest real copies, so a copy takes a second instead of 1.3 GB.
_h_copy_prefix() {
  local from=$1 to=$2 item
  rm -rf "$to"
  mkdir -p "$to/drive_c/windows"
  cp -a "$from"/*.reg "$from/.update-timestamp" "$from/dosdevices" "$to/" || return 1
  for item in "$from"/drive_c/*; do
    [ "${item##*/}" = windows ] || cp -a "$item" "$to/drive_c/" || return 1
  done
  for item in "$from"/drive_c/windows/*; do
    case ${item##*/} in
      system32 | syswow64 | winsxs) cp -al "$item" "$to/drive_c/windows/" || return 1 ;;
      *) cp -a "$item" "$to/drive_c/windows/" || return 1 ;;
    esac
  done
}

# harness_dpi <dpi>: from now on this shell runs programs in a copy of its prefix whose screen
# has <dpi> pixels per inch (LogPixels, as the display settings store it), made once beside
# the prefix and kept while the prefix stays the same; starts the copy's wineserver.
# harness_dpi_end (or the end of the harness) stops it and returns to the prefix.
harness_dpi() {
  local dpi=$1 base=${_H_BASE_PREFIX:-$WINEPREFIX}
  local prefix=$base.dpi$dpi marker want
  [ "$dpi" = 96 ] && return 0
  want="$(cat "$base/.tapstorm-prefix" 2>/dev/null) $dpi"
  marker=$prefix/.tapstorm-prefix
  _H_BASE_PREFIX=$base
  export WINEPREFIX=$prefix
  if [ "$(cat "$marker" 2>/dev/null)" != "$want" ]; then
    _h_log "making $prefix ($dpi pixels per inch)"
    _h_run _h_make_dpi_copy "$base" "$dpi" || return 1
    echo "$want" >"$marker"
  fi
  _h_run _h_prefix_up
}

# _h_make_dpi_copy <base> <dpi>: makes $WINEPREFIX a copy of base with that resolution.
_h_make_dpi_copy() {
  local log=$1/tapstorm-init.log key
  _h_copy_prefix "$1" "$WINEPREFIX" >>"$log" 2>&1 || { _h_log "copying the prefix failed"; return 1; }
  _h_start_wineserver
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
  _h_font_replacements >>"$log" 2>&1
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$2" /f </dev/null >>"$log" 2>&1 ||
      { _h_log "setting LogPixels failed"; return 1; }
  done
  # The resolution is read when the wineserver starts.
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
}

# Stops the wineserver of the copy harness_dpi moved to and returns to the prefix.
harness_dpi_end() {
  [ -n "$_H_BASE_PREFIX" ] || return 0
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  export WINEPREFIX=$_H_BASE_PREFIX
  _H_BASE_PREFIX=""
}

# ---- Lanes ----------------------------------------------------------------------

# CTest runs tests side by side only in lanes. A lane is a display of its own (an Xvfb) and a
# copy of the prefix with its own wineserver, so a test never sees another lane's windows,
# focus, pointer or keys. Lane 0 is the harness's own display and prefix. Every test takes
# one lane of the resource "lanes" (tests/CMakeLists.txt); CTest hands the test its lane's id
# in CTEST_RESOURCE_GROUP_0_LANES when given the file of the lanes (harness_lanes_file).

# harness_lanes <n>: the owner of the harness prepares lanes 1 to n-1, on its own Xvfb only
# (on a real display there is only lane 0). Sets TAPSTORM_LANES to the number ready.
harness_lanes() {
  local want=$1 base=$WINEPREFIX mark i prefix stale=0
  export TAPSTORM_LANES=1
  [ "$_H_OWNER" = 1 ] && [ "${TAPSTORM_HARNESS_XVFB:-0}" = 1 ] && [ "$want" -gt 1 ] || return 0
  # A lane's marker: the marker of the prefix it is a copy of, and "lane".
  mark="$(cat "$base/.tapstorm-prefix") lane"
  for ((i = 1; i < want; i++)); do
    [ "$(cat "$base.lane$i/.tapstorm-prefix" 2>/dev/null)" = "$mark" ] || stale=1
  done
  # A copy must have the registry as the wineserver holds it: ending the wineserver saves it.
  if [ "$stale" = 1 ]; then
    wineserver -k >/dev/null 2>&1
    timeout 20 wineserver -w >/dev/null 2>&1
  fi
  for ((i = 1; i < want; i++)); do
    prefix=$base.lane$i
    _h_new_xvfb || break
    _h_run _h_make_lane "$base" "$prefix" "$_H_NEW_DISPLAY" "$mark" ||
      { _h_log "lane $i could not be made"; break; }
    export "TAPSTORM_LANE${i}_DISPLAY=$_H_NEW_DISPLAY" "TAPSTORM_LANE${i}_PREFIX=$prefix"
    TAPSTORM_LANES=$((i + 1))
  done
  [ "$stale" = 1 ] && _h_run _h_prefix_up
  return 0
}

# _h_make_lane <base> <prefix> <display> <marker>: the lane's prefix, a copy of base made once,
# up with its wineserver on that display.
_h_make_lane() (
  export WINEPREFIX=$2 DISPLAY=$3
  if [ "$(cat "$2/.tapstorm-prefix" 2>/dev/null)" != "$4" ]; then
    _h_log "making $2 (lane ${2##*.lane})"
    _h_copy_prefix "$1" "$2" || exit 1
    echo "$4" >"$2/.tapstorm-prefix"
  fi
  _h_prefix_up
)

# harness_lanes_file <file>: writes the lanes ready as CTest's resources file.
harness_lanes_file() {
  local i sep=""
  {
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"lanes": ['
    for ((i = 0; i < ${TAPSTORM_LANES:-1}; i++)); do
      printf '%s{"id": "%d", "slots": 1}' "$sep" "$i"
      sep=", "
    done
    printf ']}]}\n'
  } >"$1"
}

# harness_lane: a shell in a running harness to which CTest gave a lane moves to that lane.
harness_lane() {
  local id=${CTEST_RESOURCE_GROUP_0_LANES:-} display prefix
  [ -n "$id" ] || return 0
  id=${id#id:}
  id=${id%%,*}
  [ "$id" = 0 ] && return 0
  display=TAPSTORM_LANE${id}_DISPLAY prefix=TAPSTORM_LANE${id}_PREFIX
  if [ -z "${!display:-}" ] || [ -z "${!prefix:-}" ]; then
    _h_log "no lane $id in this harness"
    return 1
  fi
  export DISPLAY=${!display} WINEPREFIX=${!prefix}
}

# ---- Windows programs ---------------------------------------------------------

# The Windows form of a Unix path (drive Z: is the Unix root in every prefix).
winpath() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

# wine_start <exe> [args...]: starts a Windows program in the background in its
# own folder, its output appended to $WINE_LOG (default /dev/null). Sets WINE_PID.
# Call it directly, not in $(...), so the pid stays this shell's child.
wine_start() {
  local exe dir
  exe=$(realpath "$1")
  shift
  dir=$(dirname "$exe")
  (cd "$dir" && exec wine "$exe" "$@") >>"${WINE_LOG:-/dev/null}" 2>&1 </dev/null &
  WINE_PID=$!
  harness_track "$WINE_PID"
}

# wine_wait <pid> [seconds=30]: waits for a process wine_start started to end.
# Sets WINE_STATUS to its exit code (the Windows exit code modulo 256).
# Returns 1 if it is still running after the time.
wine_wait() {
  local pid=$1 limit=${2:-30} i
  WINE_STATUS=""
  for ((i = 0; i < limit * 10; i++)); do
    _h_child_running "$pid" || break
    sleep 0.1
  done
  _h_child_running "$pid" && return 1
  if wait "$pid" 2>/dev/null; then WINE_STATUS=0; else WINE_STATUS=$?; fi
  harness_untrack "$pid"
  return 0
}

# wine_end <pid>: ends a program at once (no WM_CLOSE, nothing saved).
wine_end() {
  _h_own_child "$1" && kill -TERM "$1" 2>/dev/null
  wine_wait "$1" 5 || { _h_own_child "$1" && kill -KILL "$1" 2>/dev/null; wine_wait "$1" 5; }
}

# wintool <command> <title> [arg]: the window inspector (tests/e2e/WinTool.cpp).
wintool() {
  wine "$WINTOOL_EXE" "$@" </dev/null
}

# window_close <title>: posts WM_CLOSE to the visible top-level window with this title.
window_close() { wintool close "$1" >/dev/null; }

# window_rect <title>: prints "window L T W H" and "client L T W H" (screen pixels).
window_rect() { wintool rect "$1"; }

# ---- X side ---------------------------------------------------------------------

# wait_window <title-regex> [seconds=30]: prints the X id of the first visible
# window whose name matches, once there is one.
wait_window() {
  local pattern=$1 limit=${2:-30} id i
  for ((i = 0; i < limit * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# window_geometry <x-id>: prints "X Y W H" of an X window in root coordinates. On the
# harness's display it is the whole window, frame and all (Wine draws the frame); under a
# window manager it is the client area.
window_geometry() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}

# screenshot <file.png> [x-id]: the whole screen, or one window.
screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window "${2:-root}" "$1" 2>/dev/null
}

# client_shot <file.png> <title> [x y w h]: what the screen shows of the client area of the
# visible top-level window with this title (or of that part of it), whoever draws the frame.
client_shot() {
  local what L T W H x=0 y=0
  read -r what L T W H < <(window_rect "$2" | grep '^client ')
  [ "$what" = client ] || return 1
  [ $# -ge 6 ] && x=$3 y=$4 W=$5 H=$6
  mkdir -p "$(dirname "$1")"
  import -window root -crop "${W}x${H}+$((L + x))+$((T + y))" +repage "$1" 2>/dev/null
}

# Run directly: one command inside a harness.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ $# -eq 0 ]; then
    echo "usage: bash scripts/wine-env.sh <command> [args...]" >&2
    exit 2
  fi
  harness_start || exit 1
  "$@"
  exit $?
fi
