#!/usr/bin/env bash
# Installs what is missing, builds the two programs (and the libraries they load, but no tests
# or benchmarks), and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target marlo-convert $(grep -q '^MARLO_BUILD_UI:BOOL=OFF' build/CMakeCache.txt || echo marlo)
if [ -x build/bin/marlo ]; then
  exec build/bin/marlo
fi
exec build/bin/marlo-convert --help
