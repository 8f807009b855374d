#!/usr/bin/env bash
# Builds the Debian packages from debian/ with dpkg-buildpackage, in a copy of the sources under
# build-package/ (dpkg-buildpackage writes its results beside the source folder), and checks
# them as Debian would: lintian (no error, no warning), the desktop entry, the AppStream data.
#   scripts/package.sh [--reproducible | --build-only | --check-only]
# --reproducible builds them a second time in another folder and requires byte-identical .debs.
# --build-only and --check-only split the two halves, so that the checks (single-threaded, mostly
# reading) can run beside another build (scripts/test.sh).
# DEB_BUILD_OPTIONS is passed on ("nocheck" skips the tests dh runs after the build);
# MARLO_CMAKE_OPTIONS reaches CMake (scripts/test.sh: warnings as errors, ccache).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

version=$(dpkg-parsechangelog -S Version)
out=build-package
jobs=$(nproc)

build_in() {  # FOLDER: stages the sources there and builds the packages in it
  local folder=$1 source=$1/marlo-$version
  rm -rf "$folder"
  mkdir -p "$source"
  git ls-files -z --cached --others --exclude-standard | grep -zv '^build' |
    xargs -0 cp --parents -t "$source" 2>/dev/null || true
  # The changes and build information name the folder's files; only the .debs are compared.
  (cd "$source" &&
   DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b)
}

mode=${1:-}
if [ "$mode" != "--check-only" ]; then
  build_in "$out/first"
fi
mapfile -t debs < <(find "$out/first" -maxdepth 1 -name '*.deb' | sort)
[ ${#debs[@]} -gt 0 ] || { echo "no packages in $out/first: build them first" >&2; exit 1; }
echo "built: ${debs[*]##*/}"
[ "$mode" = "--build-only" ] && exit 0

desktop-file-validate app/ui/marlo.desktop
appstreamcli validate --no-net --pedantic data/appstream/pl.marlo.Marlo.metainfo.xml
# lintian refuses to run as root unless told it may; overrides carry their reasons.
changes=$(find "$out/first" -maxdepth 1 -name '*.changes')
lintian --allow-root --no-tag-display-limit --fail-on error,warning "$changes" |
  tee "$out/lintian.txt" || { echo "lintian reports errors or warnings (above)" >&2; exit 1; }

# The hardening of every ELF file. Control-flow protection cannot show on Debian 12: the linker
# marks a file only when every object in it is marked, and bookworm's C start files (Scrt1.o,
# crti.o, crtn.o) are not. Pelcor copies between the caller's buffers and the file with sizes
# known only at run time (fread, memcpy, memmove, memset), so it has no fortified call to find
# although it is built with _FORTIFY_SOURCE=3; every other file must show one.
extracted=$out/extracted
rm -rf "$extracted"
for deb in "${debs[@]}"; do
  case $deb in *-dbgsym_*) ;; *) dpkg-deb -x "$deb" "$extracted" ;; esac
done
find "$extracted" -type f \( -path '*/bin/*' -o -name '*.so*' \) -not -name 'libpelcor.so*' -print0 |
  xargs -0 hardening-check --nocfprotection --quiet ||
  { echo "hardening-check (above)" >&2; exit 1; }
find "$extracted" -type f -name 'libpelcor.so*' -print0 |
  xargs -0 hardening-check --nocfprotection --nofortify --quiet ||
  { echo "hardening-check (above)" >&2; exit 1; }
echo "hardening-check: PIE, stack protector, stack clash protection, RELRO, bind-now and" \
     "fortified functions"
readelf -d "$extracted"/usr/lib/*/libpelcor.so.1 | grep -q 'R.*PATH' &&
  { echo "libpelcor.so.1 has a run path" >&2; exit 1; }

if [ "$mode" = "--reproducible" ]; then
  # Another folder, no tests: only the path of the build may differ.
  DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" build_in "$out/second"
  (cd "$out/first" && sha256sum ./*.deb) >"$out/first.sha256"
  (cd "$out/second" && sha256sum -c "$PWD/../first.sha256" --quiet) ||
    { echo "the second build's packages differ from the first's" >&2; exit 1; }
  echo "two builds in two folders gave byte-identical packages"
fi
