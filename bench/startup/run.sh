#!/usr/bin/env bash
# One marlo-convert run on one file, repeated: the median wall time, and whether the run loaded
# GDAL. A run that the projection list settles (or that needs no system) must not load it; a
# system outside the list does, once per user: the answers GDAL gave are kept in the user's
# cache, and the next run answers from there. The first run (an empty cache before each run)
# and the second (the cache the first left) are measured against `gdalinfo` of the same file.
#   bench/startup/run.sh [--runs N]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=200
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

. bench/marlo_convert.sh

scratch=$(mktemp -d "${TMPDIR:-/tmp}/marlo-startup.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_CACHE_HOME=$scratch/cache
mkdir -p "$HOME"
gdal_create -q -of GTiff -outsize 64 64 "$scratch/plain.tif"
printf '0.5\r\n0\r\n0\r\n-0.5\r\n500000.25\r\n600000.25\r\n' >"$scratch/plain.tfw"
for code in 2180 27700; do
  gdal_create -q -of GTiff -outsize 64 64 -a_srs "EPSG:$code" -a_ullr 500000 600000 500032 599968 \
    "$scratch/e$code.tif"
done

# COMMAND...: the median wall time of the runs in milliseconds, into $median; $before_each is
# run (untimed) before each.
before_each=true
median_of() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    $before_each
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] / 1000 }')
}

# NAME ARGUMENTS...: the median of the runs in milliseconds, and whether libgdal was loaded.
measure() {
  local name=$1
  shift
  median_of "$convert" "$@"
  $before_each
  local gdal=no loading
  loading=$(LD_DEBUG=libs "$convert" "$@" 2>&1 >/dev/null || true)
  [[ $loading == *libgdal.so* ]] && gdal=yes
  printf '%-44s median %7.2f ms over %d runs; GDAL loaded: %s\n' "$name" "$median" "$runs" "$gdal"
}

cd "$scratch"
measure "world file to table (list projection)" --from tfw --to tab --group Poland \
  --projection "ETRF2000-PL / CS92" plain.tfw
measure "GeoTIFF EPSG:2180 to table (in the list)" --from geotiff --to tab e2180.tif
forget_answers() { rm -rf "$XDG_CACHE_HOME"; }
before_each=forget_answers
measure "GeoTIFF EPSG:27700 to table (first run)" --from geotiff --to tab e27700.tif
first=$median
before_each=true
"$convert" --from geotiff --to tab e27700.tif >/dev/null 2>&1
measure "GeoTIFF EPSG:27700 to table (second run)" --from geotiff --to tab e27700.tif
second=$median
median_of gdalinfo e27700.tif
printf '%-44s median %7.2f ms over %d runs\n' "gdalinfo of the EPSG:27700 GeoTIFF" "$median" "$runs"
awk -v f="$first" -v s="$second" -v g="$median" 'BEGIN {
  printf "first run / gdalinfo: %.2fx; second run / gdalinfo: %.2fx (goal <= 0.15x)\n", f / g, s / g }'
