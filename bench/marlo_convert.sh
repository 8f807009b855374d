# shellcheck shell=bash
# Sourced by the benchmarks from the source tree's root: installs the tools they compare
# against when missing, builds marlo-convert with the libraries it loads at run time, and sets
# `convert` to the program.
{ command -v gdalinfo && command -v gdal_create && [ -x /usr/bin/time ]; } >/dev/null ||
  bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target marlo-convert marlo_crs pelcor vantrel >/dev/null
# shellcheck disable=SC2034  # used by the benchmark that sources this
convert=$(pwd)/build/bin/marlo-convert
