#!/usr/bin/env bash
# How long the window takes to be ready with thousands of files named on its command line (as a
# file manager passes a folder's selection): the median time from start to the main window being
# mapped under a real window manager, for 1,000 and 10,000 files, and with none. Every wait has
# a deadline: a window that never shows is reported as a failure, never waited for.
#   bench/window/startup.sh [--runs N] [--sizes "1000 10000"] [--build DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=5
sizes="0 1000 10000"
build=build
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
readonly window_deadline=30   # seconds for one start of the window
readonly server_deadline=10   # seconds for the X server and the window manager

if ! command -v xdotool >/dev/null || ! command -v openbox >/dev/null ||
  ! command -v xprop >/dev/null; then
  bash scripts/install-deps.sh screenshots
fi
# An existing build is used as it is configured; a new one is a release build.
[ -f "$build/CMakeCache.txt" ] ||
  timeout 600 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
timeout 1800 cmake --build "$build" --target marlo >/dev/null
marlo=$(cd "$build" && pwd)/bin/marlo

scratch=$(mktemp -d "${TMPDIR:-/tmp}/marlo-window.XXXXXX")
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_CACHE_HOME=$scratch/cache XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

xvfb="" window_manager="" window=""
finish() {
  for pid in $window $window_manager $xvfb; do
    kill "$pid" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap finish EXIT

# Waits up to $1 seconds for the command that follows to succeed.
wait_for() {
  local deadline=$(($(date +%s) + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# Xvfb picks a free display itself and writes its number once it takes connections.
exec {display_pipe}<> <(:)
Xvfb -displayfd "$display_pipe" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
read -r -t "$server_deadline" -u "$display_pipe" number ||
  { echo "Xvfb did not start in ${server_deadline} s" >&2; exit 1; }
exec {display_pipe}<&-
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
window_manager=$!
# A window mapped while the window manager is still starting may never be managed (and never
# shows): start the window only once the manager has announced itself on the root window.
manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for "$server_deadline" manager_ready ||
  { echo "openbox did not start in ${server_deadline} s" >&2; exit 1; }

now() { date +%s%N; }
ticks_per_second=$(getconf CLK_TCK)
# The processor time the started process has used so far, in ms (its threads' included): the
# figure other users of a busy machine change least.
processor_ms() {
  local stat
  stat=$(cat "/proc/$window/stat") || return 1
  stat=${stat##*) }   # the fields after the command's name, which may hold spaces
  read -r -a fields <<<"$stat"
  echo $(((fields[11] + fields[12]) * 1000 / ticks_per_second))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
# Waits for a window of the started process to be visible: false when the process ends first
# or the deadline passes.
window_shows() {
  local deadline=$(($(date +%s) + window_deadline))
  while kill -0 "$window" 2>/dev/null && [ "$(date +%s)" -lt "$deadline" ]; do
    [ -n "$(timeout 5 xdotool search --onlyvisible --pid "$window" 2>/dev/null)" ] && return 0
    sleep 0.02
  done
  return 1
}

failed=0
for size in $sizes; do
  mkdir -p "$scratch/maps$size"
  files=()
  for ((i = 0; i < size; i++)); do
    files+=("$scratch/maps$size/sheet_of_the_series_$i.tfw")
  done
  [ "$size" -gt 0 ] && touch "${files[@]}"
  times=() processor=()
  for ((run = 0; run < runs; run++)); do
    start=$(now)
    "$marlo" "${files[@]}" >/dev/null 2>&1 &
    window=$!
    if window_shows; then
      times+=($((($(now) - start) / 1000000)))
      processor+=("$(processor_ms)")
    else
      echo "marlo with $size files named: no window in ${window_deadline} s" >&2
      failed=1
    fi
    kill "$window" 2>/dev/null || true
    timeout 10 tail --pid="$window" -f /dev/null || kill -KILL "$window" 2>/dev/null || true
    wait "$window" 2>/dev/null || true
    window=""
  done
  [ ${#times[@]} -gt 0 ] || continue
  printf 'marlo with %5d files named: window ready in %5d ms, %4d ms on the processors (medians of %d)\n' \
    "$size" "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${processor[@]}" | median)" \
    "${#times[@]}"
done
exit "$failed"
