#!/usr/bin/env bash
# Sets up, builds and runs the demo: the companion server with the demo
# team (데모팀), four simulated ANT sticks hearing the simulated room, and
# vel with the team's ten riders seated and riding.
#
# With a display (DISPLAY or WAYLAND_DISPLAY set) the window opens there:
# the sign-in page offers "demo" and Enter signs in; the demo ends when the
# window is closed. Without one, vel runs on a virtual display (Xvfb),
# signs in by itself and saves a picture of the main window every 10 s in
# build/demo/shots/, for VEL_DEMO_SECONDS (default 60; 0: until Ctrl-C).
# The riders' rides stay in build/demo/run/VEL.db and are exported as FIT
# files into build/demo/rides/ at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The release build of CMakePresets.json; the demo runs in build/demo.
cmake --preset release >/dev/null
cmake --build --preset release --target vel-server vel vel-sign-in vel-rides

top=$PWD
program=$top/build/release/src/vel
mkdir -p build/demo/server build/demo/run
server_log=$top/build/demo/server/vel-server.log
(cd build/demo/server && exec ../../release/tools/vel-server/vel-server --demo) >"$server_log" 2>&1 &
server=$!
xvfb=
stop_all() {
  # The update check restarts vel as "vel N": find it by its path. Asked to
  # stop, it ends its windows as the user would and keeps every ride.
  pkill -f "^$program" 2>/dev/null || true
  for _ in $(seq 1 50); do pgrep -f "^$program" >/dev/null || break; sleep 0.2; done
  pkill -9 -f "^$program" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap stop_all EXIT
# Every rider's ride is kept in the demo's ride store; as FIT files too.
keep_rides() {
  local rides=$top/build/release/tools/vel-rides/vel-rides
  echo "demo: the rides in build/demo/run/VEL.db:"
  "$rides" --db build/demo/run/VEL.db list || return 0
  "$rides" --db build/demo/run/VEL.db export --format fit --out build/demo/rides | sed "s|^|demo: |"
}

for _ in $(seq 1 100); do
  grep -q "application server on" "$server_log" && break
  kill -0 "$server" 2>/dev/null || { cat "$server_log"; exit 1; }
  sleep 0.1
done
grep -q "application server on" "$server_log" || { echo "demo: the server did not start" >&2; exit 1; }
echo "demo: companion server up (log: $server_log)"

export VEL_ANT_SIM=4
export VEL_FACEBOOK_WEB=http://127.0.0.1:3001 VEL_FACEBOOK_GRAPH=http://127.0.0.1:3001
export VEL_DEMO_RIDE=1 VEL_DEMO_CLASS_SCREEN=1

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: vel opens on your display; press Enter in the sign-in page"
  (cd build/demo/run && "$program")
  # The first vel ends once it has started "vel N"; wait for that one.
  while pgrep -f "^$program" >/dev/null; do sleep 1; done
  keep_rides
  exit 0
fi

shots=$top/build/demo/shots
rm -rf "$shots"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$top/build/demo/xvfb.log" 2>&1 &
xvfb=$!
sleep 1
kill -0 "$xvfb" 2>/dev/null || { echo "demo: Xvfb did not start" >&2; cat build/demo/xvfb.log; exit 1; }
echo "demo: vel runs on the virtual display $display; pictures of its window every 10 s in $shots"
(cd build/demo/run && DISPLAY=$display VEL_DEMO_SIGN_IN=1 VEL_DEMO_SHOTS=$shots "$program" \
  >"$top/build/demo/vel.log" 2>&1) &
seconds=${VEL_DEMO_SECONDS:-60}
if [ "$seconds" = 0 ]; then
  while pgrep -f "^$program" >/dev/null; do sleep 1; done
else
  sleep "$seconds"
fi
ls "$shots" 2>/dev/null | sed "s|^|demo: $shots/|" || echo "demo: no picture was saved (log: build/demo/vel.log)"
stop_all
trap - EXIT
keep_rides
