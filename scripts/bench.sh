#!/usr/bin/env bash
# Builds an optimised tree and runs every benchmark program in bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The release build of CMakePresets.json, in build/release.
cmake --preset release >/dev/null
cmake --build --preset release
for b in build/release/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
echo "== bench_score_reports with the server 100 ms away"
build/release/bench/bench_score_reports 60 100
for clients in 8 32; do
  for kind in "" --socket-clients; do
    echo "== vel-server-load, $clients clients ${kind:-(the program executor)} against a vel-server process"
    build/release/tools/vel-server-load/vel-server-load --server build/release/tools/vel-server/vel-server \
      --clients "$clients" --requests 300 $kind
  done
done
echo "== program_cost (the whole program, a minute with the room in-process, then on pseudo-terminals)"
bench/program_cost.sh build/release
echo "== program_start (start to the main window, 1, 4 and 9 sticks)"
bench/program_start.sh build/release
