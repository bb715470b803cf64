#!/usr/bin/env bash
# Sets up, builds an optimised tree and makes the Debian package
# build/package/vel_<version>_<arch>.deb (install: sudo apt install ./that.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEL_BUILD_TESTS=OFF \
      -DVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/package
(cd build/package && cpack >/dev/null)
ls build/package/*.deb
