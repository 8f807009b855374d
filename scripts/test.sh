#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the layer check, the fuzz targets' bounded
# run, the normal build's tests, then the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Tests never touch the real home folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

jobs=$(nproc)

echo "== layer and style checks"
bash scripts/check-layers.sh
bash scripts/check-format.sh

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzzing (20 s a target)"
  bash scripts/fuzz.sh 20
fi

echo "== build and test (Release, warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARLO_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMARLO_SANITIZE=ON -DMARLO_WERROR=ON \
      -DMARLO_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ctest --output-on-failure -j "$jobs")

echo "== Pelcor for Windows: cross-built with MinGW-w64, its tests run under Wine"
bash scripts/build-windows.sh

echo "== the Debian package: built, checked by lintian, installed, used and removed"
bash scripts/test-package.sh
