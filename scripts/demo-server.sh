#!/usr/bin/env bash
# Sets up, builds and runs the companion server with the demo team: the
# application server on 127.0.0.1:3000, the patch server on 127.0.0.1:1337
# and the development sign-in on 127.0.0.1:3001. Its database and patch
# folder live in build/demo/server/; the program is built by the release
# build of CMakePresets.json. Extra arguments go to vel-server.
# Ctrl-C stops it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vel-server
mkdir -p build/demo/server
cd build/demo/server
exec ../../release/tools/vel-server/vel-server --demo "$@"
