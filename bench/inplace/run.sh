#!/usr/bin/env bash
# A world file's georeference written into a 1 GiB and a 10 GiB TIFF (sparse: the pixels are
# a hole) in place, against `cp` of the same file (`--sparse=never`: every byte read and
# written, as for a real image): wall time and peak memory side by side, and their ratio. The
# in-place write is durable (flushed to the disk), so the copy is timed both as `cp` alone (its
# pages still in memory) and followed by `sync` of the copy.
#   bench/inplace/run.sh [--sizes "1 10"] [--folder DIR]  (sizes in GiB)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
sizes="1 10"
folder=$root/build/bench-inplace
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

. bench/marlo_convert.sh

mkdir -p "$folder"
scratch=$(mktemp -d "$folder/marlo-inplace.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$HOME"

# "seconds kibibytes" of a command, its output thrown away.
measured() {
  /usr/bin/time -f "%e %M" -o "$scratch/time" "$@" >/dev/null 2>&1
  cat "$scratch/time"
}

printf '%-7s %-26s %-22s %-14s %s\n' size "in place: s, max RSS KiB" "cp: s, max RSS KiB" \
  "cp + sync: s" "ratio to cp, to cp + sync"
for gib in $sizes; do
  image=$scratch/sheet.tif
  python3 bench/inplace/make_sparse_tiff.py "$image" $((gib * 1024 * 1024 * 1024))
  printf '0.5\r\n0\r\n0\r\n-0.5\r\n500000.25\r\n599999.75\r\n' > "$scratch/sheet.tfw"
  sync
  read -r copy_s copy_kib < <(measured cp --sparse=never "$image" "$scratch/copy.tif")
  rm -f "$scratch/copy.tif"
  sync
  read -r durable_s _ < <(measured sh -c "cp --sparse=never '$image' '$scratch/copy.tif' &&
    sync '$scratch/copy.tif'")
  rm -f "$scratch/copy.tif"
  # The copy's pages reach the disk now, not in the journal commit of the next flush.
  sync
  read -r tag_s tag_kib < <(measured "$convert" --from tfw --to geotiff --in-place \
    "$scratch/sheet.tfw")
  origin=$(gdalinfo "$image" | grep -m1 'Origin')
  [ "$origin" = "Origin = (500000.000000000000000,600000.000000000000000)" ] ||
    { echo "GDAL reads $origin" >&2; exit 1; }
  ratio() { awk "BEGIN { printf \"%.4f\", ($1 > 0 ? $tag_s / $1 : 0) }"; }
  printf '%-7s %-26s %-22s %-14s %s\n' "${gib} GiB" "$tag_s, $tag_kib" "$copy_s, $copy_kib" \
    "$durable_s" "$(ratio "$copy_s"), $(ratio "$durable_s")"
  rm -f "$image" "$scratch/sheet.tfw"
done
