#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
if [ -x build/bin/marlo ]; then
  exec build/bin/marlo
fi
exec build/bin/marlo-convert --help
