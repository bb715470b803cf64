#!/usr/bin/env bash
# How long vel takes from its start to its main window, with a saved login
# (VEL.f), on an X display (Xvfb, 1920x1080), with 1, 4 and 9 simulated
# sticks (VEL_ANT_SIM): the time until the window "VEL" is on the screen.
# Each count is started RUNS times (default 3); the median and the slowest
# are printed.
#   bench/program_start.sh BUILD_FOLDER [RUNS]
# VEL=PATH times another vel (an older build, say) with the same server.
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-3}
program=${VEL:-$build/src/vel}
# shellcheck source=bench/studio_rig.sh
source "$(dirname "$0")/studio_rig.sh"
mkdir -p "$work/run"
export DISPLAY=$display VEL_MAIN_URL="http://127.0.0.1:$port" \
  VEL_PATCH_URL="http://127.0.0.1:$((port + 1))" VEL_FACEBOOK_WEB="http://127.0.0.1:$((port + 2))" \
  VEL_FACEBOOK_GRAPH="http://127.0.0.1:$((port + 2))"

main_window() { xdotool search --onlyvisible --name '^VEL$' >/dev/null 2>&1; }
stop_vel() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done
  kill -9 "$1" 2>/dev/null || true
}

# The first start signs in through the browser and leaves VEL.f.
(cd "$work/run" && VEL_ANT_SIM=1 VEL_DEMO_SIGN_IN=1 exec "$program" N) >"$work/first.log" 2>&1 &
first=$!
for _ in $(seq 1 600); do main_window && break; sleep 0.05; done
main_window || { echo "program_start: no main window after the sign-in"; cat "$work/first.log"; exit 1; }
stop_vel "$first"
[ -s "$work/run/VEL.f" ] || { echo "program_start: no saved login"; exit 1; }

for sticks in 1 4 9; do
  times=()
  for _ in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    (cd "$work/run" && VEL_ANT_SIM=$sticks exec "$program" N) >"$work/start.log" 2>&1 &
    vel=$!
    disown "$vel"
    until main_window; do
      kill -0 "$vel" 2>/dev/null || { echo "program_start: vel ended"; cat "$work/start.log"; exit 1; }
      sleep 0.01
    done
    times+=($((($(date +%s%N) - start) / 1000000)))
    stop_vel "$vel"
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v s="$sticks" '{ t[NR] = $1 }
    END { printf "%d sticks: main window after %d ms (median of %d), slowest %d ms\n",
                 s, t[int((NR + 1) / 2)], NR, t[NR] }'
done
