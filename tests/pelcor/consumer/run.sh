#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds a small C program against Pelcor there,
# once through pkg-config and once through find_package(Pelcor); both must write and read a
# georeference.   run.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
pc=$(find "$scratch/prefix" -name pelcor.pc -print -quit)
libdir=$(dirname "$(dirname "$pc")")
ls "$libdir"/libpelcor.so.1 >/dev/null

gdal_create -q -of GTiff -outsize 4 3 "$scratch/a.tif"
export PKG_CONFIG_PATH=$(dirname "$pc")
cc -Wall -Werror "$here/consumer.c" $(pkg-config --cflags --libs pelcor) -o "$scratch/by-pkg-config"
LD_LIBRARY_PATH=$libdir "$scratch/by-pkg-config" "$scratch/a.tif"

cp "$scratch/a.tif" "$scratch/b.tif"
cmake -S "$here" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
LD_LIBRARY_PATH=$libdir "$scratch/consumer/consumer" "$scratch/b.tif"
