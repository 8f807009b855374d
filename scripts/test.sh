#!/usr/bin/env bash
# Installs what is missing, and runs every test: the layer and style checks, the
# fuzz targets' bounded run, the packages' build (dh builds once, with warnings as errors, and
# runs the whole test suite on that build), the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, Pelcor for Windows under Wine, and the packages' autopkgtest on
# this machine. Prints how long each phase took.
set -euo pipefail
cd "$(dirname "$0")/.."

phases=()
started=$SECONDS
phase() {  # NAME: ends the running phase and starts the next
  local now=$SECONDS
  [ ${#phases[@]} -gt 0 ] && phases[-1]+=" $((now - started)) s"
  started=$now
  phases+=("$1:")
  echo "== $1"
}
report() {
  phase end
  unset 'phases[-1]'
  printf '  %s\n' "${phases[@]}"
}

# Tests never touch the real home folder.
scratch=$(mktemp -d)
# Steps that mostly wait for the disk and the network (apt, dpkg) or use one processor (lintian)
# run behind the phases that keep the processors busy, each to a log of its own. Only one of them
# at a time uses apt or dpkg, so that their locks are never contended.
declare -A behind=()
start_behind() {  # NAME COMMAND...: starts the command behind the next phases
  "${@:2}" >"$scratch/$1.log" 2>&1 &
  behind[$1]=$!
}
catch_up() {  # NAME: waits for the command started behind; prints its output when it failed
  local pid=${behind[$1]}
  unset "behind[$1]"
  wait "$pid" || { cat "$scratch/$1.log"; echo "$1 failed: see above" >&2; return 1; }
}
# Never leaves apt or dpkg half done behind it, whichever phase fails.
trap 'for pid in "${behind[@]}"; do wait "$pid"; done; rm -rf "$scratch"' EXIT

phase "install what the builds need"
bash scripts/install-deps.sh
# The packaging and Windows tools are needed only from the packages' phase on: they download and
# unpack while the checks and the fuzz targets keep the processors busy.
start_behind later-tools bash scripts/install-deps.sh package windows
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

jobs=$(nproc)
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

phase "layer and style checks"
bash scripts/check-layers.sh
bash scripts/check-format.sh

phase "fuzzing (12 s a target, $jobs at a time)"
bash scripts/fuzz.sh 12

phase "wait for the packaging and Windows tools"
catch_up later-tools

# The packages' build is the one optimised build: dh configures it with Debian's flags, builds
# it (and the benchmarks, so that they keep compiling; the tests as unity builds) and runs the
# whole suite on it.
phase "the Debian packages: built and tested"
MARLO_CMAKE_OPTIONS="-DMARLO_WERROR=ON -DMARLO_BUILD_BENCH=ON -DMARLO_UNITY_TESTS=ON ${launcher[*]}" \
  bash scripts/package.sh --build-only

# Behind the sanitizer build: lintian and hardening-check read the packages, and the autopkgtest
# installs and purges them (dpkg waits for the disk); nothing of that build is installed, nor
# reads what is.
start_behind package-checks bash scripts/package.sh --check-only
start_behind autopkgtest bash scripts/test-package.sh

# A unity build: each compiler run reads the test framework's and the library's headers once for
# several sources, not once a source (the suites built so compile in about 40 % of the time); the shipped
# binaries come from the packages' build, file by file.
phase "build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMARLO_SANITIZE=ON -DMARLO_WERROR=ON \
      -DMARLO_BUILD_BENCH=OFF -DCMAKE_UNITY_BUILD=ON "${launcher[@]}" >/dev/null
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ctest --output-on-failure -j "$jobs")

phase "Pelcor for Windows: cross-built with MinGW-w64, its tests run under Wine"
bash scripts/build-windows.sh

phase "the rest of the packages' checks and autopkgtest"
catch_up package-checks
grep -E '^hardening-check|^lintian' "$scratch/package-checks.log" || true
catch_up autopkgtest
grep -E '^[a-z-]+ +(PASS|FAIL|SKIP)' "$scratch/autopkgtest.log"

report
