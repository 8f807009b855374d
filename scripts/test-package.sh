#!/usr/bin/env bash
# Builds the .deb (scripts/package.sh), installs it with apt as a user would, converts a world
# file with the installed /usr/bin/marlo-convert, checks the table as GDAL reads it, and
# removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package.sh
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get install -y -qq "./$(ls build-package/marlo_*_amd64.deb)" >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; $sudo_cmd apt-get purge -y -qq marlo >/dev/null' EXIT
export HOME=$scratch/home XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME"
gdal_create -q -of GTiff -outsize 40 30 "$scratch/sheet.tif"
printf '10\r\n0\r\n0\r\n-10\r\n500005\r\n599995\r\n' >"$scratch/sheet.tfw"
/usr/bin/marlo-convert --from tfw --to tab --projection EPSG:2180 "$scratch/sheet.tfw"
transform=$(GDAL_GEOREF_SOURCES=TABFILE gdalinfo -json "$scratch/sheet.tif" |
            /usr/bin/python3 -c 'import json, sys; print(json.load(sys.stdin)["geoTransform"])')
[ "$transform" = "[500000.0, 10.0, 0.0, 600000.0, 0.0, -10.0]" ] ||
  { echo "GDAL reads the installed program's table as $transform" >&2; exit 1; }
grep -q 'CoordSys Earth Projection 8, 104, "m", 19' "$scratch/sheet.tab"
[ -f /usr/share/man/man1/marlo-convert.1.gz ] && [ -f /usr/share/metainfo/pl.marlo.Marlo.metainfo.xml ]
echo "the installed package converts, and GDAL reads its table"
