#!/usr/bin/env bash
# Runs the packages' autopkgtest (debian/tests) on this machine, as root, with autopkgtest's
# "null" runner: it installs the packages scripts/package.sh built (building them first when
# there are none), converts in all six directions, hides the GDAL bridge, builds a program
# against libpelcor-dev, and purges everything, leaving nothing behind.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
version=$(dpkg-parsechangelog -S Version)
built=build-package/first
ls "$built"/marlo-convert_"$version"_*.deb >/dev/null 2>&1 || bash scripts/package.sh
mapfile -t debs < <(find "$built" -maxdepth 1 -name '*.deb' -not -name '*-dbgsym_*' | sort)

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
# A test that fails before the last one purges leaves the packages installed: purge them here.
packages=$(printf '%s\n' "${debs[@]##*/}" | sed 's/_.*//' | tr '\n' ' ')
# shellcheck disable=SC2086
trap '$sudo_cmd apt-get purge -y -qq $packages >/dev/null 2>&1 || true' EXIT
rm -rf build-package/autopkgtest
$sudo_cmd autopkgtest --output-dir build-package/autopkgtest "${debs[@]}" \
  "$built/marlo-$version" -- null
