#!/usr/bin/env bash
# Sets up, builds and runs the demo: the companion server with the demo
# team (데모팀), four simulated ANT sticks hearing the simulated room, and
# vel-monitor showing the ten riders' panels as JSON lines (values, maxima,
# gears, clocks), with personal bests reported to the server.
#   VEL_DEMO_SECONDS=120 scripts/demo.sh   (default 60; 0: until Ctrl-C)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEL_BUILD_TESTS=OFF \
      -DVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo --target vel-server vel-monitor

mkdir -p build/demo/server
server_log=build/demo/server/vel-server.log
(cd build/demo/server && exec ../tools/vel-server/vel-server --demo) >"$server_log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT

# The server names the demo account once it is listening.
for _ in $(seq 1 100); do
  grep -q "application server on" "$server_log" && break
  kill -0 "$server" 2>/dev/null || { cat "$server_log"; exit 1; }
  sleep 0.1
done
account=$(sed -n 's/.*sign-in user "demo", account \([0-9]*\).*/\1/p' "$server_log" | tail -n 1)
[ -n "$account" ] || { echo "demo: the server did not name the demo account" >&2; cat "$server_log"; exit 1; }
echo "demo: companion server up (log: $server_log), demo team of account $account"

seconds=${VEL_DEMO_SECONDS:-60}
duration=()
[ "$seconds" = 0 ] || duration=(--seconds "$seconds")
VEL_ANT_SIM=4 build/demo/tools/vel-monitor/vel-monitor --server http://127.0.0.1:3000 \
  --account "$account" --all-riders "${duration[@]}"
