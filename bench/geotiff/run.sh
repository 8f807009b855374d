#!/usr/bin/env bash
# Builds and runs the GeoTIFF benchmark; installs geotifcp (geotiff-bin) on demand for the
# comparison. Arguments go to the benchmark: [--mib N] [--runs N] [--folder DIR].
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! command -v geotifcp >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get install -y -qq --no-install-recommends geotiff-bin || true
fi
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target geotiff_bench
exec build/bin/geotiff_bench "$@"
