#!/usr/bin/env bash
# Installs what is missing, then builds the Debian packages libkiv0, libkiv-dev and quillwort
# with CPack from a release build for the prefix /usr, checks them with lintian, and lists them.
# The packages land in build-deb/packages/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKIV_BUILD_TESTS=OFF -DKIV_BUILD_BENCH=OFF -DKIV_BUILD_DOCS=OFF
cmake --build build-deb -j "$(nproc)"
cpack --config build-deb/CPackConfig.cmake -B build-deb/packages
lintian --fail-on error build-deb/packages/*.deb
ls -1 build-deb/packages/*.deb
