#!/usr/bin/env bash
# Cross-builds Pelcor for Windows with Debian's MinGW-w64 toolchain, 64-bit and 32-bit, with
# CMake and Ninja (pelcor/windows, cmake/mingw-w64.cmake): build-windows/<arch>/pelcor.dll (the
# C and C++ runtimes linked in), its version resource, the GNU import library libpelcor.dll.a
# and the MSVC one pelcor.lib (dlltool, from pelcor.def), and Pelcor's test suite, which runs
# under Wine where Wine can run it. Then packs build-windows/pelcor-<version>-windows.zip.
# Each DLL must export exactly the library's functions, undecorated.
#   scripts/build-windows.sh [--no-run]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows

out=build-windows
version=$(sed -n 's/^project(PelcorWindows VERSION \([0-9.]*\).*/\1/p' pelcor/windows/CMakeLists.txt)
expected=$(sed -n '/set(PELCOR_EXPORTS/,/CACHE/p' pelcor/CMakeLists.txt |
           grep -o 'tiffHdr[A-Za-z]*' | sort | tr '\n' ' ')
in_def=$(grep -o '^    tiffHdr[A-Za-z]*' pelcor/windows/pelcor.def | tr -d ' ' | sort | tr '\n' ' ')
[ "$in_def" = "$expected" ] ||
  { echo "pelcor.def lists: $in_def; the library exports: $expected" >&2; exit 1; }

export WINEPREFIX=$PWD/$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for arch in x64 x86; do
  triplet=x86_64-w64-mingw32
  [ "$arch" = x86 ] && triplet=i686-w64-mingw32
  echo "== pelcor.dll ($arch)"
  cmake -S pelcor/windows -B "$out/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DMINGW_TRIPLET=$triplet >/dev/null
  cmake --build "$out/$arch"
  dll=$out/$arch/pelcor.dll

  # The exports, against the list the Linux library is built from.
  exported=$("$triplet-objdump" -p "$dll" |
             sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && NR > 1 { print $NF }' |
             sort | tr '\n' ' ')
  if [ "$exported" != "$expected" ]; then
    echo "$dll exports: $exported" >&2
    echo "expected:           $expected" >&2
    exit 1
  fi
  echo "exports: $exported"
  # Nothing but Windows' own libraries beside it.
  "$triplet-objdump" -p "$dll" | awk '/DLL Name:/ { print $3 }' | sort -u |
    grep -viE '^(kernel32|msvcrt|api-ms-win-.*|ucrtbase|user32|advapi32)\.dll$' && {
      echo "$dll needs the libraries above" >&2
      exit 1
    }
  # The MSVC import library names the DLL and every function.
  symbols=$("$triplet-nm" "$out/$arch/pelcor.lib")
  for function in $expected; do
    grep -q "__imp__\{0,1\}$function\$" <<<"$symbols" ||
      { echo "pelcor.lib ($arch) lacks $function" >&2; exit 1; }
  done
  resources=$("$triplet-objdump" -s -j .rsrc "$dll")
  grep -q 'P.e.l.c.o.r' <<<"$resources" || { echo "$dll has no version resource" >&2; exit 1; }

  [ "${1:-}" = "--no-run" ] && continue
  if [ "$arch" = x64 ]; then
    wine=/usr/lib/wine/wine64
    command -v wine64 >/dev/null && wine=$(command -v wine64)
  else
    wine=/usr/lib/wine/wine
  fi
  if [ -x "$wine" ]; then
    echo "== Pelcor's tests ($arch) under Wine"
    (cd "$out/$arch" && "$wine" pelcor_tests.exe)
  else
    echo "== Pelcor's tests ($arch): built; this machine's Wine runs 64-bit programs only" \
         "(Debian's wine32 needs the i386 architecture)"
  fi
done

echo "== pelcor-$version-windows.zip"
stage=$out/zip/pelcor-$version-windows
rm -rf "$out/zip"
mkdir -p "$stage/include/pelcor" "$stage/x64" "$stage/x86"
for arch in x64 x86; do
  cp "$out/$arch/pelcor.dll" "$out/$arch/pelcor.lib" "$out/$arch/libpelcor.dll.a" "$stage/$arch/"
done
cp pelcor/include/pelcor/pelcor.h "$stage/include/pelcor/"
sed "s/@VERSION@/$version/" pelcor/windows/README.txt | sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' debian/copyright >"$stage/LICENSE.txt"
# The same bytes from the same sources: file times from the changelog, no extra attributes.
find "$stage" -exec touch -d "@$(dpkg-parsechangelog -S Timestamp)" {} +
(cd "$out/zip" && rm -f "../pelcor-$version-windows.zip" &&
 find "pelcor-$version-windows" | LC_ALL=C sort | zip -q -X -D "../pelcor-$version-windows.zip" -@)
unzip -l "$out/pelcor-$version-windows.zip"
