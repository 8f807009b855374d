#!/usr/bin/env bash
# How long the window takes to be ready with thousands of files named on its command line (as a
# file manager passes a folder's selection): the median time from start to the main window being
# mapped under a real window manager, for 1,000 and 10,000 files, and with none.
#   bench/window/startup.sh [--runs N] [--sizes "1000 10000"]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=5
sizes="0 1000 10000"
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

command -v xdotool >/dev/null && command -v openbox >/dev/null || bash scripts/install-deps.sh screenshots
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target marlo >/dev/null
marlo=$root/build/bin/marlo

scratch=$(mktemp -d "${TMPDIR:-/tmp}/marlo-window.XXXXXX")
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
display=""
for candidate in $(seq 90 120); do
  [ -e "/tmp/.X$candidate-lock" ] || { display=":$candidate"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb
sleep 1
openbox >/dev/null 2>&1 &

now() { date +%s%N; }
for size in $sizes; do
  mkdir -p "$scratch/maps$size"
  files=()
  for ((i = 0; i < size; i++)); do
    files+=("$scratch/maps$size/sheet_of_the_series_$i.tfw")
  done
  [ "$size" -gt 0 ] && touch "${files[@]}"
  times=()
  for ((run = 0; run < runs; run++)); do
    start=$(now)
    "$marlo" "${files[@]}" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    end=$(now)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    times+=($(((end - start) / 1000000)))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  printf 'marlo with %5d files named: window ready in %5d ms (median of %d)\n' "$size" "$median" "$runs"
done
