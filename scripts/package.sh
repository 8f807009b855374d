#!/usr/bin/env bash
# Builds marlo_<version>_amd64.deb in build-package/ (a Release build installed under /usr),
# then checks it as Debian would: lintian (no error allowed; warnings are listed), and the
# desktop entry and AppStream metadata it carries.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DMARLO_BUILD_TESTS=OFF -DMARLO_BUILD_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack >/dev/null)
package=$(ls build-package/marlo_*_amd64.deb)
echo "built $package"

desktop-file-validate app/ui/marlo.desktop
appstreamcli validate --no-net data/appstream/pl.marlo.Marlo.metainfo.xml
# lintian refuses to run as root unless told it may.
lintian --allow-root --no-tag-display-limit "$package" | tee build-package/lintian.txt || true
if grep -q '^E: ' build-package/lintian.txt; then
  echo "lintian reports errors (above)" >&2
  exit 1
fi
