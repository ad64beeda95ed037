#!/usr/bin/env bash
# How closely Tapstorm keeps its pace under Wine, side by side with the same program built on
# plain window timers (SetTimer), the same program with every tick posted by the timer's clock
# thread (the timer before the application's loop took the ticks itself), and `xdotool click`
# as an X11 peer. For each pace it clicks into the click target for a fixed span and reads the
# target's log: clicks per second against the ideal 1000 / pace, and the median and 95th
# percentile of the intervals between presses. Then the CPU use of the idle program and of the
# hold mode (Shift+Ctrl held). --load N runs N CPU-bound processes (`yes`) beside all of it;
# --runs N measures the paces N times over.
#
#   bash scripts/benchmark.sh [--paces "1 2 5 10 16 50 100 500"] [--span SECONDS] [--runs N]
#                             [--idle SECONDS] [--load N] [--csv FILE] [--build-dir DIR]
#
# Prints a table, then Tapstorm's clicks a second at 1, 2 and 5 ms as a share of the ideal with
# xdotool's in the same run beside them, and writes a CSV (default build/bench/benchmark.csv).
# These are figures, not a test: nothing here passes or fails on a timing.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
ROOT=$PWD

paces="1 2 5 10 16 50 100 500"
span=3
idle_span=10
csv=$ROOT/build/bench/benchmark.csv
build_dir=""
load=0
runs=1
while [ $# -gt 0 ]; do
  case $1 in
    --paces) paces=$2; shift 2 ;;
    --span) span=$2; shift 2 ;;
    --idle) idle_span=$2; shift 2 ;;
    --load) load=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --csv) csv=$(realpath -m "$2"); shift 2 ;;
    --build-dir) build_dir=$(realpath -m "$2"); shift 2 ;;
    -h | --help) sed -n '2,18s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "benchmark.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done

case $load in
  '' | *[!0-9]*) echo "benchmark.sh: --load takes a number of processes" >&2; exit 2 ;;
esac
case $runs in
  '' | 0 | *[!0-9]*) echo "benchmark.sh: --runs takes a number of runs, at least 1" >&2; exit 2 ;;
esac

# --build-dir: programs already built there (tapstorm, tapstorm_plaintimer, tapstorm_postedtimer,
# clicktarget, wintool).
if [ -z "$build_dir" ]; then
  bash scripts/install-deps.sh || exit 1
  bash scripts/build.sh i686 --target tapstorm tapstorm_plaintimer tapstorm_postedtimer clicktarget wintool || exit 1
  build_dir=$ROOT/build/i686
fi
find_exe() { find "$build_dir" -name "$1" -type f -print -quit; }
# CLICKTARGET_EXE and WINTOOL_EXE are the names the end-to-end helpers use.
program_exe=$(find_exe tapstorm.exe)
plain_exe=$(find_exe tapstorm_plaintimer.exe)
posted_exe=$(find_exe tapstorm_postedtimer.exe)
CLICKTARGET_EXE=$(find_exe clicktarget.exe)
WINTOOL_EXE=$(find_exe wintool.exe)
for f in program_exe plain_exe posted_exe CLICKTARGET_EXE WINTOOL_EXE; do
  [ -n "${!f}" ] || { echo "benchmark.sh: no $f under $build_dir" >&2; exit 1; }
done

source tests/e2e/lib.sh
SCRATCH=$ROOT/build/bench
mkdir -p "$SCRATCH" "$(dirname "$csv")"
harness_start || { echo "benchmark.sh: the Wine harness did not start" >&2; exit 1; }
echo "benchmark: display $DISPLAY, prefix $WINEPREFIX, span ${span} s per pace" >&2

# The click target sits right of the program's window; the cursor waits in its middle.
TARGET_X=700 TARGET_Y=300 TARGET_W=400 TARGET_H=300
CURSOR_X=900 CURSOR_Y=450

# ---- measuring ----------------------------------------------------------------------

# lines_in <file>: how many lines the file has now.
lines_in() { wc -l <"$1" | tr -d ' '; }

# press_times <from line>: the left presses the target logged after that line, each as the time
# the target received it and the system's time stamp of the input (ms).
press_times() { tail -n +"$(($1 + 1))" "$TARGET_LOG" | awk '$1 == "LDOWN" { print $2, $5 }'; }

# interval_stats: reads press times, prints "clicks cps median_ms p95_ms received_cps" ("-"
# when too few). The rate comes from the input time stamps, which tell the clicker's pace even
# when the target itself runs late on a busy machine (whole milliseconds, so taken over the
# whole span); the intervals are those the target received, to the microsecond.
interval_stats() {
  cat >"$SCRATCH/presses"
  awk 'NR > 1 { print $1 - last } { last = $1 }' "$SCRATCH/presses" >"$SCRATCH/intervals"
  local clicks n median p95
  clicks=$(lines_in "$SCRATCH/presses")
  n=$(lines_in "$SCRATCH/intervals")
  if [ "$n" -lt 2 ]; then
    echo "$clicks - - - -"
    return
  fi
  sort -g "$SCRATCH/intervals" >"$SCRATCH/intervals.sorted"
  median=$(sed -n "$(((n + 1) / 2))p" "$SCRATCH/intervals.sorted")
  p95=$(sed -n "$(((n * 95 + 99) / 100))p" "$SCRATCH/intervals.sorted")
  awk -v n="$n" -v clicks="$clicks" -v median="$median" -v p95="$p95" '
    NR == 1 { first = $2 } { last = $2 }
    { if (NR > 1) sum += $1 - prev; prev = $1 }
    END {
      sent = last > first ? sprintf("%.1f", n * 1000 / (last - first)) : "-"
      printf "%d %s %.3f %.3f %.1f\n", clicks, sent, median, p95, n * 1000 / sum
    }' "$SCRATCH/presses"
}

# cpu_ticks <pid>: user plus system clock ticks the process has used so far.
cpu_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# The wineserver of this prefix: it works in a directory named after the prefix's device and inode.
wineserver_pid() {
  local dev inode dir p
  read -r dev inode < <(stat -L -c '%d %i' "$WINEPREFIX")
  dir=$(printf 'server-%x-%x' "$dev" "$inode")
  for p in $(pgrep -u "$(id -u)" '^wineserver'); do
    case $(readlink "/proc/$p/cwd" 2>/dev/null) in */"$dir") echo "$p"; return ;; esac
  done
}

# The Linux process that runs the Windows program started as <pid> (the loader may sit between).
program_pid() {
  local p=$1 child
  for _ in 1 2 3; do
    grep -q 'tapstorm.exe' "/proc/$p/cmdline" 2>/dev/null && { echo "$p"; return; }
    child=$(pgrep -P "$p" | head -n1)
    [ -n "$child" ] || break
    p=$child
  done
  echo "$1"
}

CLK_TCK=$(getconf CLK_TCK)
CPU_PIDS=()
CPU_START=()
CPU_T0=0
cpu_begin() {
  local p
  CPU_PIDS=("$@")
  CPU_START=()
  for p in "${CPU_PIDS[@]}"; do CPU_START+=("$(cpu_ticks "$p")"); done
  CPU_T0=$(date +%s.%N)
}
# cpu_end: prints the CPU use of each process since cpu_begin, in percent of one core.
cpu_end() {
  local t1 i out=()
  t1=$(date +%s.%N)
  for i in "${!CPU_PIDS[@]}"; do
    out+=("$(awk -v a="${CPU_START[$i]}" -v b="$(cpu_ticks "${CPU_PIDS[$i]}")" -v hz="$CLK_TCK" \
      -v t0="$CPU_T0" -v t1="$t1" 'BEGIN { printf "%.2f", (b - a) * 100 / hz / (t1 - t0) }')")
  done
  echo "${out[*]}"
}

# ---- the programs -------------------------------------------------------------------

# start_clicker <exe> <pace>: a fresh copy with its settings file (lock key F1, left button).
start_clicker() {
  TAPSTORM_EXE=$1
  app_install "$SCRATCH/app"
  printf '%s\r\n' '[Window]' 'Left=0' 'Top=0' '[Option]' 'MouseButton=0' "Interval1=$2" 'LockKey=0' \
    'CursorLock=0' 'Interval2=100' >"$APP_INI"
  app_start
  app_wait_window 60 || { echo "benchmark.sh: no Tapstorm window" >&2; return 1; }
  APP_LINUX_PID=$(program_pid "$APP_PID")
  xdotool mousemove "$CURSOR_X" "$CURSOR_Y"
  sleep 0.5
}

stop_clicker() {
  app_close 30 || wine_end "$APP_PID"
}

# settled: the target's log no longer grows.
settled() {
  local before
  before=$(lines_in "$TARGET_LOG")
  sleep 0.5
  [ "$(lines_in "$TARGET_LOG")" = "$before" ]
}

# span_for <pace>: the run's length in seconds, at least a dozen intervals.
span_for() { awk -v s="$span" -v p="$1" 'BEGIN { m = p * 12 / 1000; printf "%g", (m > s ? m : s) }'; }

ROWS=()
RUN=1
# row <clicker> <scenario> <pace> <clicks cps median p95 received> <program cpu> <wineserver cpu>
row() {
  local clicker=$1 scenario=$2 pace=$3 clicks=$4 cps=$5 median=$6 p95=$7 received=$8 cpu=$9 server=${10}
  local ideal="-" pct="-"
  if [ "$pace" != "-" ]; then
    ideal=$(awk -v p="$pace" 'BEGIN { printf "%.1f", 1000 / p }')
    [ "$cps" != "-" ] && pct=$(awk -v c="$cps" -v i="$ideal" 'BEGIN { printf "%.1f", c * 100 / i }')
  fi
  ROWS+=("$RUN,$clicker,$scenario,$pace,$ideal,$clicks,$cps,$pct,$median,$p95,$received,$cpu,$server")
}

# run_clicker <name> <exe> <pace>: toggle mode with F1 for the span.
run_clicker() {
  local name=$1 exe=$2 pace=$3 mark secs stats cpu
  start_clicker "$exe" "$pace" || { row "$name" pace "$pace" - - - - - - -; return; }
  secs=$(span_for "$pace")
  mark=$(lines_in "$TARGET_LOG")
  xdotool key F1
  cpu_begin "$APP_LINUX_PID" "$SERVER_PID"
  sleep "$secs"
  cpu=$(cpu_end)
  xdotool key F1
  wait_until 10 settled
  stats=$(press_times "$mark" | interval_stats)
  stop_clicker
  # shellcheck disable=SC2086
  row "$name" pace "$pace" $stats $cpu
  echo "  $name at $pace ms: $stats (clicks cps median p95 received), cpu $cpu" >&2
}

# run_xdotool <pace>: the X server's own clicks, as many as the span holds at that pace.
run_xdotool() {
  local pace=$1 mark secs count stats
  secs=$(span_for "$pace")
  count=$(awk -v s="$secs" -v p="$pace" 'BEGIN { printf "%d", s * 1000 / p }')
  xdotool mousemove "$CURSOR_X" "$CURSOR_Y"
  sleep 0.3
  mark=$(lines_in "$TARGET_LOG")
  xdotool click --repeat "$count" --delay "$pace" 1
  wait_until 10 settled
  stats=$(press_times "$mark" | interval_stats)
  # shellcheck disable=SC2086
  row xdotool pace "$pace" $stats - -
  echo "  xdotool at $pace ms: $stats" >&2
}

# run_idle <name> <exe>: the program waiting, with only its 100 ms Shift+Ctrl poll running.
run_idle() {
  local cpu
  start_clicker "$2" 500 || return
  sleep 1
  cpu_begin "$APP_LINUX_PID" "$SERVER_PID"
  sleep "$idle_span"
  cpu=$(cpu_end)
  stop_clicker
  # shellcheck disable=SC2086
  row "$1" idle - - - - - - $cpu
  echo "  $1 idle: cpu $cpu" >&2
}

# run_hold <name> <exe> <pace>: Shift+Ctrl held over the target.
run_hold() {
  local mark cpu stats
  start_clicker "$2" "$3" || return
  mark=$(lines_in "$TARGET_LOG")
  xdotool keydown shift ctrl
  cpu_begin "$APP_LINUX_PID" "$SERVER_PID"
  sleep "$idle_span"
  cpu=$(cpu_end)
  xdotool keyup shift ctrl
  wait_until 10 settled
  stats=$(press_times "$mark" | interval_stats)
  stop_clicker
  # shellcheck disable=SC2086
  row "$1" hold "$3" $stats $cpu
  echo "  $1 hold at $3 ms: $stats, cpu $cpu" >&2
}

# ---- the load -----------------------------------------------------------------------

# N busy processes, as a game beside the clicker would be; ended by their pids.
# The harness ends them with its own processes when the run is cut short.
LOAD_PIDS=()
load_start() {
  local i
  for ((i = 0; i < load; i++)); do
    yes >/dev/null &
    LOAD_PIDS+=($!)
    harness_track "$!"
  done
}
load_stop() {
  local p
  [ ${#LOAD_PIDS[@]} -gt 0 ] || return 0
  kill "${LOAD_PIDS[@]}" 2>/dev/null
  wait "${LOAD_PIDS[@]}" 2>/dev/null
  for p in "${LOAD_PIDS[@]}"; do harness_untrack "$p"; done
  LOAD_PIDS=()
}

# ---- the run ------------------------------------------------------------------------

target_start "$TARGET_X" "$TARGET_Y" "$TARGET_W" "$TARGET_H" ||
  { echo "benchmark.sh: the click target did not come up" >&2; exit 1; }
SERVER_PID=$(wineserver_pid)
[ -n "$SERVER_PID" ] || SERVER_PID=$$  # not found: the column then shows about 0

load_start
conditions_before="$(uptime)"
echo "benchmark: $load busy processes beside the clickers; $conditions_before" >&2

for ((RUN = 1; RUN <= runs; RUN++)); do
  [ "$runs" -gt 1 ] && echo "benchmark: run $RUN of $runs" >&2
  for pace in $paces; do
    run_clicker tapstorm "$program_exe" "$pace"
    run_clicker settimer "$plain_exe" "$pace"
    run_clicker posted "$posted_exe" "$pace"
    run_xdotool "$pace"
  done
done
RUN=1
run_idle tapstorm "$program_exe"
run_idle settimer "$plain_exe"
run_idle posted "$posted_exe"
run_hold tapstorm "$program_exe" 100
run_hold tapstorm "$program_exe" 1
run_hold posted "$posted_exe" 1
conditions_after="$(uptime)"
load_stop
target_stop

header="run,clicker,scenario,pace_ms,ideal_cps,clicks,cps,percent_of_ideal,median_interval_ms,p95_interval_ms,received_cps,program_cpu_percent,wineserver_cpu_percent"
{
  echo "$header"
  printf '%s\n' "${ROWS[@]}"
} >"$csv"

echo
printf '%-3s %-9s %-8s %7s %9s %7s %8s %7s %10s %10s %8s %8s %8s\n' run clicker scenario pace_ms ideal/s clicks clicks/s "%ideal" median_ms p95_ms recv/s cpu% server%
printf '%s\n' "${ROWS[@]}" | sort -t, -k1,1n -k3,3r -k4,4n -k2,2 -s | awk -F, '{
  printf "%-3s %-9s %-8s %7s %9s %7s %8s %7s %10s %10s %8s %8s %8s\n", $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13 }'
echo
echo "Tapstorm's pace as a share of the ideal, xdotool in the same run beside it (clicks a second):"
printf '%s\n' "${ROWS[@]}" | awk -F, '
  $3 == "pace" && ($4 == 1 || $4 == 2 || $4 == 5) {
    if ($2 == "tapstorm") { tap[$1 "," $4] = $7; pct[$1 "," $4] = $8 }
    if ($2 == "xdotool") xdo[$1 "," $4] = $7
    if (!($4 in seen)) { seen[$4] = 1; paces[++np] = $4 }
    if ($1 > runs) runs = $1
  }
  END {
    for (r = 1; r <= runs; r++)
      for (i = 1; i <= np; i++) {
        k = r "," paces[i]
        printf "  run %d, %d ms: tapstorm %s (%s %% of %d), xdotool %s\n", r, paces[i], tap[k], pct[k], 1000 / paces[i], xdo[k]
      }
  }'
echo
echo "clicks/s: from the system's time stamps of the inputs; recv/s and the intervals: as the target received them."
echo "cpu%: the program's process, server%: the prefix's wineserver, in percent of one core."
echo "busy processes beside the clickers: $load"
echo "before: $conditions_before"
echo "after:  $conditions_after"
echo "CSV: $csv"
