#!/usr/bin/env bash
# Sets up and builds one of the named builds of CMakePresets.json into
# build/<name>/: dev (the default: tools and tests, no sanitizer), asan,
# tsan, release or fuzz. Further arguments go to the build, e.g. a target:
#   scripts/build.sh dev --target vel-replay
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
[ $# -gt 0 ] && shift
scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "$@"
