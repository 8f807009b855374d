#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# The README's commands and CI both call this one script; `install-deps.sh screenshots` adds
# what scripts/screenshots.sh needs to drive the window and save pictures of it,
# `install-deps.sh package` what scripts/package.sh needs to build and check the .deb,
# `install-deps.sh windows` what scripts/build-windows.sh needs to cross-build and run Pelcor.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-translations-l10n
  libtiff-dev libtiff-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  libgdal-dev libproj-dev gdal-bin python3-gdal geotiff-bin libexpat1-dev
  xvfb xauth time desktop-file-utils
)
# Groups add to the base list; several groups are installed in one apt round
# (scripts/test.sh: `install-deps.sh package windows`).
for group in "$@"; do
  case "$group" in
    screenshots) packages+=(imagemagick xdotool openbox x11-utils) ;;
    package) packages+=(dpkg-dev debhelper lintian appstream gzip devscripts autopkgtest) ;;
    # The POSIX-threads toolchains alone (cmake/mingw-w64.cmake): the mingw-w64 metapackage
    # would add the Win32-threads ones too (114 MB to download, 460 MB installed, never used).
    windows) packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                        g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix wine64 googletest
                        zip) ;;
    *) echo "install-deps.sh: no group $group (screenshots, package, windows)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
