#!/usr/bin/env bash
# Coverage of coordinate systems over PROJ's database: GeoTIFF -> table -> GeoTIFF and
# table -> GeoTIFF -> table, judged by GDAL; kept / refused / wrong by projection method.
#   bench/systems/run.sh [--limit N] [--every K]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
. bench/marlo_convert.sh
scratch=$(mktemp -d "${TMPDIR:-/tmp}/marlo-systems.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data \
  XDG_CACHE_HOME=$scratch/cache
mkdir -p "$HOME"
/usr/bin/python3 "$root/bench/systems/systems.py" "$convert" "$scratch/run" "$@"
