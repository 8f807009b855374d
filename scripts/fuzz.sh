#!/usr/bin/env bash
# Fuzzes Pelcor's four exports for a bounded time under AddressSanitizer and UndefinedBehavior-
# Sanitizer. Any crash fails the run, and its input is kept in tests/pelcor/regressions/, which
# the tests replay from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${PELCOR_FUZZ_SECONDS:-45}
out=build-fuzz
mkdir -p "$out/corpus" "$out/seeds" "$out/artifacts"
# The target rewrites its scratch file on every run: keep it in memory when the machine allows.
scratch=$(mktemp -d -p "$([ -d /dev/shm ] && echo /dev/shm || echo "$PWD/$out")")
trap 'rm -rf "$scratch"' EXIT
rm -f "$out"/artifacts/*

flags=(-std=c++20 -g -O1 -Wall -Wextra -Ipelcor/include -Ipelcor/src -Itests)
echo "building the fuzzer"
clang++ "${flags[@]}" pelcor/src/*.cpp tests/support/tiff_builder.cpp pelcor/fuzz/make_seeds.cpp \
        -o "$out/make_seeds" &
seeds_build=$!
clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        pelcor/src/*.cpp pelcor/fuzz/pelcor_fuzz.cpp -o "$out/pelcor_fuzz"
wait "$seeds_build"
"$out/make_seeds" "$out/seeds"

echo "fuzzing for ${seconds} s"
status=0
TMPDIR="$scratch" "$out/pelcor_fuzz" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$PWD/$out/artifacts/" \
    "$out/corpus" "$out/seeds" tests/pelcor/regressions >"$out/fuzz.log" 2>&1 || status=$?
# The fuzzer's progress lines are many; its closing statistics (and any report) are enough.
tail -n 25 "$out/fuzz.log"

shopt -s nullglob
found=("$out"/artifacts/*)
if [ ${#found[@]} -gt 0 ]; then
  cp "${found[@]}" tests/pelcor/regressions/
  echo "fuzzing found ${#found[@]} failing input(s), kept in tests/pelcor/regressions/" >&2
  exit 1
fi
exit "$status"
