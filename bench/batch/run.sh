#!/usr/bin/env bash
# World files to tables for a whole batch in one marlo-convert run, against running gdalinfo
# once per file on the same images (what a script without Marlo would do to read each
# placement), and again with every table replacing one (each flushed before its rename).
# Prints both times, their ratio, the time per file at each batch size (to show
# that the run grows linearly) and marlo-convert's peak memory. Then GeoTIFFs to tables at the
# largest size, the images in four coordinate systems (one in the projection list, three that
# only GDAL can turn into CoordSys clauses), against the same gdalinfo figure. Last, the
# footprints of the largest batch: the summary window's map and the GeoJSON index.
#   bench/batch/run.sh [--sizes "1000 10000"] [--gdalinfo-files N] [--folder DIR]
# --gdalinfo-files: how many files of the largest batch gdalinfo is timed on (default: all of
# them; a smaller sample is scaled up to the whole batch and says so).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
sizes="1000 10000"
gdalinfo_files=""
folder=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    --gdalinfo-files) gdalinfo_files=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

. bench/marlo_convert.sh

scratch=$(mktemp -d "${folder:-${TMPDIR:-/tmp}}/marlo-batch.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$HOME"

now() { date +%s.%N; }
seconds() { awk "BEGIN { print $2 - $1 }"; }
calc() { awk "BEGIN { print $1 }"; }

# One small image, linked under every sheet name, each with its own world file.
gdal_create -q -of GTiff -outsize 64 64 -bands 1 "$scratch/image.tif"
make_batch() {  # FOLDER COUNT
  mkdir -p "$1"
  for ((i = 0; i < $2; i++)); do
    ln "$scratch/image.tif" "$1/sheet$i.tif"
    printf '0.5\r\n0\r\n0\r\n-0.5\r\n%d.25\r\n600000.25\r\n' $((500000 + 32 * i)) >"$1/sheet$i.tfw"
  done
}

largest=0
declare -A marlo_seconds
for size in $sizes; do
  batch=$scratch/batch$size
  make_batch "$batch" "$size"
  cd "$batch"
  start=$(now)
  /usr/bin/time -f %M -o "$scratch/peak$size" "$convert" --from tfw --to tab \
    --group Poland --projection "ETRF2000-PL / CS92" -- sheet*.tfw >"$scratch/log" 2>&1
  marlo_seconds[$size]=$(seconds "$start" "$(now)")
  cd "$root"
  tables=$(find "$batch" -name '*.tab' | wc -l)
  [ "$tables" -eq "$size" ] || { echo "only $tables of $size tables written" >&2; exit 1; }
  printf 'marlo-convert, %6d files: %8.3f s, %7.1f us per file, peak %6.1f MiB\n' "$size" \
    "${marlo_seconds[$size]}" "$(calc "${marlo_seconds[$size]} * 1000000 / $size")" \
    "$(calc "$(cat "$scratch/peak$size") / 1024")"
  [ "$size" -gt "$largest" ] && largest=$size
done

# The same batch again: every table now replaces one, so each is flushed to the disk before
# its rename and the folder after it.
cd "$scratch/batch$largest"
start=$(now)
"$convert" --from tfw --to tab --group Poland --projection "ETRF2000-PL / CS92" -- sheet*.tfw \
  >"$scratch/log" 2>&1
replace_seconds=$(seconds "$start" "$(now)")
cd "$root"
printf 'marlo-convert, %6d files replacing their tables (flushed): %8.3f s, %7.1f us per file\n' \
  "$largest" "$replace_seconds" "$(calc "$replace_seconds * 1000000 / $largest")"

sample=${gdalinfo_files:-$largest}
[ "$sample" -gt "$largest" ] && sample=$largest
start=$(now)
for ((i = 0; i < sample; i++)); do
  gdalinfo "$scratch/batch$largest/sheet$i.tif" >/dev/null
done
gdal_seconds=$(seconds "$start" "$(now)")
whole=$(calc "$gdal_seconds * $largest / $sample")
note=""
[ "$sample" -lt "$largest" ] && note=" (timed on $sample files, scaled up)"
printf 'gdalinfo once per file, %6d files: %8.3f s%s\n' "$largest" "$whole" "$note"
printf 'ratio gdalinfo / marlo-convert at %d files: %.1f (replacing: %.1f)\n' "$largest" \
  "$(calc "$whole / ${marlo_seconds[$largest]}")" "$(calc "$whole / $replace_seconds")"

# GeoTIFFs in four systems to tables: EPSG:2180 from the list, the others through GDAL.
systems="2180 27700 2154 31468"
mixed=$scratch/mixed
mkdir -p "$mixed"
for code in $systems; do
  gdal_create -q -of GTiff -outsize 64 64 -bands 1 -a_srs "EPSG:$code" \
    -a_ullr 500000 600000 500032 599968 "$scratch/base$code.tif"
done
set -- $systems
for ((i = 0; i < largest; i++)); do
  case $((i % 4)) in 0) code=$1 ;; 1) code=$2 ;; 2) code=$3 ;; 3) code=$4 ;; esac
  ln "$scratch/base$code.tif" "$mixed/sheet$i.tif"
done
cd "$mixed"
start=$(now)
/usr/bin/time -f %M -o "$scratch/peakmixed" "$convert" --from geotiff --to tab -- sheet*.tif \
  >"$scratch/log" 2>&1
mixed_seconds=$(seconds "$start" "$(now)")
cd "$root"
tables=$(find "$mixed" -name '*.tab' | wc -l)
[ "$tables" -eq "$largest" ] || { echo "only $tables of $largest tables written" >&2; exit 1; }
printf 'GeoTIFF to table, 4 systems, %6d files: %8.3f s, %7.1f us per file, peak %6.1f MiB\n' \
  "$largest" "$mixed_seconds" "$(calc "$mixed_seconds * 1000000 / $largest")" \
  "$(calc "$(cat "$scratch/peakmixed") / 1024")"
printf 'ratio gdalinfo / marlo-convert (4 systems) at %d files: %.1f\n' "$largest" \
  "$(calc "$whole / $mixed_seconds")"

# The summary window's map and the footprint index of the largest batch (built with the
# window): grouping, outliers, outlines and the WGS 84 polygons.
if cmake --build build --target map_bench >/dev/null 2>&1; then
  (cd build/bin && ./map_bench "$largest" 2>/dev/null)
fi
