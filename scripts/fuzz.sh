#!/usr/bin/env bash
# Fuzzes every parser of untrusted bytes under AddressSanitizer and UndefinedBehaviorSanitizer:
#   scripts/fuzz.sh [SECONDS] [TARGET...]      (20 s for each of all targets by default)
# Each target starts from its corpus kept in tests/fuzz/corpus and from every regression input
# in tests/fuzz/regressions; what it learns stays in build-fuzz/. A crash or a broken property
# fails the run; its input is kept in build-fuzz/artifacts/TARGET/, to be committed to
# tests/fuzz/regressions/TARGET/, which the tests replay from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-20}}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(table_reader world_file number_text text_encoding projection_list aux_file
           aux_against_gdal image_header pelcor_read pelcor_write)
fi

out=build-fuzz
mkdir -p "$out/objects"
# The targets rewrite scratch files on every run: keep them in memory when the machine allows.
scratch=$(mktemp -d -p "$([ -d /dev/shm ] && echo /dev/shm || echo "$PWD/$out")")
trap 'rm -rf "$scratch"' EXIT

common=(-std=c++20 -g -O1 -Wall -Wextra -fno-sanitize-recover=all -Iapp -Ipelcor/include
        -Ivantrel/include -Ipelcor/src -Itests/fuzz -DMARLO_VERSION_MAJOR=1 -DMARLO_VERSION_MINOR=0
        -DMARLO_VERSION_REVISION=1 -DMARLO_DATA_INSTALL_DIR=\"/usr/share/marlo\"
        $(gdal-config --cflags))
echo "building the fuzz targets"
# Unity builds: a compiler run reads the standard library's and GDAL's headers once for eight
# sources, not once a source. The core and Pelcor are grouped as CMake groups them for their
# libraries, so these are the very units a unity build of the project compiles.
unity=$out/unity
mkdir -p "$unity"
objects=()
compile_in_groups() {  # NAME SOURCE...: compiles the sources eight to an object, NAME_N.o
  local name=$1 first unit object
  shift
  local group_sources=("$@")
  for ((first = 0; first < ${#group_sources[@]}; first += 8)); do
    unit=$unity/${name}_$((first / 8)).cpp
    object=$out/objects/${name}_$((first / 8)).o
    objects+=("$object")
    printf '#include "%s"\n' "${group_sources[@]:first:8}" >"$unit.new"
    if cmp -s "$unit.new" "$unit"; then rm "$unit.new"; else mv "$unit.new" "$unit"; fi
    # Rebuilt when the group, one of its sources or any header is newer than the object.
    if [ ! -f "$object" ] || [ "$unit" -nt "$object" ] ||
       [ -n "$(find "${group_sources[@]:first:8}" -newer "$object" -print -quit)" ] ||
       [ -n "$(find app pelcor tests/fuzz -name '*.h' -newer "$object" -print -quit)" ]; then
      clang++ "${common[@]}" -fsanitize=fuzzer-no-link,address,undefined -c "$unit" -o "$object" &
      while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n; done
    fi
  done
}
# The GDAL bridge (app/crs/gdal) is a library the core loads by name: no target reaches it.
mapfile -t core < <(find "$PWD/app/platform" "$PWD/app/errors" "$PWD/app/text" "$PWD/app/values" "$PWD/app/files" \
                      "$PWD/app/crs" "$PWD/app/formats" "$PWD/app/projection" \
                      "$PWD/app/conversion" "$PWD/app/presenters" -name '*.cpp' \
                      -not -path '*/app/crs/gdal/*' | LC_ALL=C sort)
mapfile -t pelcor < <(find "$PWD/pelcor/src" -name '*.cpp' | LC_ALL=C sort)
compile_in_groups core "${core[@]}"
compile_in_groups pelcor "${pelcor[@]}"
# gdal_targets.cpp holds Marlo's readers against GDAL's own, so the targets link GDAL (built
# without the sanitizers' instrumentation, which only watches our code).
compile_in_groups targets "$PWD"/tests/fuzz/{fuzz_support,core_targets,pelcor_targets,gdal_targets}.cpp
wait

camel() { echo "$1" | sed -E 's/(^|_)([a-z])/\U\2/g'; }
fuzz_target() {  # TARGET: links it and fuzzes it; its output goes to build-fuzz/TARGET.log
  local target=$1 binary="$out/$1"
  clang++ "${common[@]}" -fsanitize=fuzzer,address,undefined -DFUZZ_TARGET="$(camel "$target")" \
          tests/fuzz/fuzz_main.cpp "${objects[@]}" -lexpat $(gdal-config --libs) -ldl -o "$binary"
  mkdir -p "$out/corpus/$target" "$out/artifacts/$target" "tests/fuzz/regressions/$target"
  rm -f "$out/artifacts/$target"/*
  TMPDIR="$scratch" "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$PWD/$out/artifacts/$target/" \
      "$out/corpus/$target" "tests/fuzz/corpus/$target" "tests/fuzz/regressions/$target"
}

# The targets run side by side, one a core; each is judged when all are done.
echo "fuzzing ${targets[*]} for ${seconds} s each, $(nproc) at a time"
status=0
for target in "${targets[@]}"; do
  rm -f "$out/$target.failed"
  fuzz_target "$target" >"$out/$target.log" 2>&1 || touch "$out/$target.failed" &
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
done
wait
for target in "${targets[@]}"; do
  [ -e "$out/$target.failed" ] && status=1
  grep -E '^stat::(number_of_executed_units|new_units_added)|^#[0-9]+[[:space:]]+DONE' "$out/$target.log" \
      | sed "s/^/  $target: /" || true
  shopt -s nullglob
  found=("$out/artifacts/$target"/*)
  shopt -u nullglob
  if [ ${#found[@]} -gt 0 ] || [ -e "$out/$target.failed" ]; then
    tail -n 30 "$out/$target.log"
    echo "$target: ${#found[@]} failing input(s) in $out/artifacts/$target/;" \
         "commit them to tests/fuzz/regressions/$target/" >&2
    status=1
  fi
done
exit "$status"
