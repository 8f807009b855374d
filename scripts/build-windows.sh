#!/usr/bin/env bash
# Cross-builds Pelcor for 64-bit Windows with Debian's MinGW-w64 toolchain: build-windows/
# pelcor.dll (the C and C++ runtimes linked in, so it needs nothing beside it), its import
# library, and Pelcor's test suite (GoogleTest from Debian's sources), which it then runs under
# Wine. The DLL must export exactly the library's functions, undecorated.
#   scripts/build-windows.sh [--no-run]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows

out=build-windows
mkdir -p "$out/objects"
cxx=x86_64-w64-mingw32-g++-posix
cc=x86_64-w64-mingw32-gcc-posix
flags=(-std=c++20 -O2 -Wall -Wextra -Werror -Ipelcor/include -Ipelcor/src)
static=(-static -static-libgcc -static-libstdc++)

echo "== pelcor.dll"
"$cxx" "${flags[@]}" -DPELCOR_BUILD -shared pelcor/src/*.cpp "${static[@]}" -s \
  -o "$out/pelcor.dll" -Wl,--out-implib,"$out/libpelcor.dll.a"

# The exports, against the list the Linux library is built from.
exported=$(x86_64-w64-mingw32-objdump -p "$out/pelcor.dll" |
           sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && NR > 1 { print $NF }' |
           sort | tr '\n' ' ')
expected=$(sed -n '/set(PELCOR_EXPORTS/,/CACHE/p' pelcor/CMakeLists.txt |
           grep -o 'tiffHdr[A-Za-z]*' | sort | tr '\n' ' ')
if [ "$exported" != "$expected" ]; then
  echo "pelcor.dll exports: $exported" >&2
  echo "expected:           $expected" >&2
  exit 1
fi
echo "exports: $exported"
# Nothing but Windows' own libraries beside it.
x86_64-w64-mingw32-objdump -p "$out/pelcor.dll" | awk '/DLL Name:/ { print $3 }' | sort -u |
  grep -viE '^(kernel32|msvcrt|api-ms-win-.*|ucrtbase|user32|advapi32)\.dll$' && {
    echo "pelcor.dll needs the libraries above" >&2
    exit 1
  }

echo "== Pelcor's tests"
gtest=/usr/src/googletest/googletest
for unit in gtest-all gtest_main; do
  [ -f "$out/objects/$unit.o" ] ||
    "$cxx" -std=c++20 -O1 -I"$gtest/include" -I"$gtest" -c "$gtest/src/$unit.cc" \
      -o "$out/objects/$unit.o"
done
"$cc" -std=c11 -Wall -Wextra -Werror -Ipelcor/include -c tests/pelcor/header_as_c.c \
  -o "$out/objects/header_as_c.o"
"$cxx" "${flags[@]}" -I"$gtest/include" -Itests -Itests/pelcor \
  tests/pelcor/pelcor_read_test.cpp tests/pelcor/pelcor_write_test.cpp \
  tests/pelcor/test_helpers.cpp tests/support/temp_folder.cpp tests/support/tiff_builder.cpp \
  "$out/objects/header_as_c.o" "$out/objects/gtest-all.o" "$out/objects/gtest_main.o" \
  "$out/libpelcor.dll.a" "${static[@]}" -o "$out/pelcor_tests.exe"

[ "${1:-}" = "--no-run" ] && exit 0
echo "== under Wine"
export WINEPREFIX=$PWD/$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
command -v wine64 >/dev/null && wine=$(command -v wine64)
"$wine" "$out/pelcor_tests.exe"
