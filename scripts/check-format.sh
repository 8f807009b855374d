#!/usr/bin/env bash
# Every C and C++ source keeps the one style of .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find app pelcor vantrel tests bench -name '*.cpp' -o -name '*.h' -o -name '*.c')
clang-format --dry-run -Werror "${sources[@]}"
