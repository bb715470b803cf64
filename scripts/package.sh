#!/usr/bin/env bash
# Sets up, builds an optimised tree and makes the Debian package
# build/package/vel_<version>_<arch>.deb (install: sudo apt install ./that.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The release build of CMakePresets.json, in build/release.
cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p build/package
(cd build/release && cpack -B "$PWD/../package" >/dev/null)
ls build/package/*.deb
