#!/usr/bin/env bash
# What the whole program costs while a class rides: the companion server
# with the demo team, vel on four simulated sticks with the team's ten
# riders seated and riding, the windows drawn on Qt's offscreen platform.
# After a warm-up it measures a minute: CPU seconds of vel (and of the
# browser's helper processes, if any are left from the sign-in) and
# resident memory.
#   bench/program_cost.sh BUILD_FOLDER [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
warmup=20
work=$(mktemp -d)
server=
vel=
finish() {
  [ -z "$vel" ] || kill "$vel" 2>/dev/null || true
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

port=$((20000 + RANDOM % 20000))
mkdir -p "$work/server" "$work/run"
(cd "$work/server" && exec "$build/tools/vel-server/vel-server" --demo \
  --app "127.0.0.1:$port" --patch "127.0.0.1:$((port + 1))" --sign-in "127.0.0.1:$((port + 2))") \
  >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 1 100); do grep -q "application server on" "$work/server.log" && break; sleep 0.1; done

# "N": the run after an update check, so that vel keeps its process id.
(cd "$work/run" && QT_QPA_PLATFORM=offscreen VEL_ANT_SIM=4 VEL_DEMO_SIGN_IN=1 VEL_DEMO_RIDE=1 \
  VEL_MAIN_URL="http://127.0.0.1:$port" VEL_PATCH_URL="http://127.0.0.1:$((port + 1))" \
  VEL_FACEBOOK_WEB="http://127.0.0.1:$((port + 2))" VEL_FACEBOOK_GRAPH="http://127.0.0.1:$((port + 2))" \
  exec "$build/src/vel" N) >"$work/vel.log" 2>&1 &
vel=$!
sleep "$warmup"
kill -0 "$vel" || { echo "vel ended early:"; cat "$work/vel.log"; exit 1; }

ticks=$(getconf CLK_TCK)
cpu_ticks() {  # utime + stime of a process and its children still running
  local total=0 p
  for p in "$@"; do
    [ -r "/proc/$p/stat" ] || continue
    total=$((total + $(awk '{print $14 + $15}' "/proc/$p/stat")))
  done
  echo "$total"
}
helpers=$(pgrep -P "$vel" | tr '\n' ' ' || true)
before_vel=$(cpu_ticks "$vel")
# shellcheck disable=SC2086
before_helpers=$(cpu_ticks $helpers)
sleep "$seconds"
after_vel=$(cpu_ticks "$vel")
# shellcheck disable=SC2086
after_helpers=$(cpu_ticks $helpers)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$vel/status")
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$vel/status")
helper_rss=0
for p in $helpers; do
  [ -r "/proc/$p/status" ] && helper_rss=$((helper_rss + $(awk '/VmRSS/ {print $2}' "/proc/$p/status")))
done
reports=$(grep -c "header 8" "$work/server.log" || true)

awk -v v=$((after_vel - before_vel)) -v h=$((after_helpers - before_helpers)) -v t="$ticks" \
    -v s="$seconds" -v rss="$rss" -v hwm="$hwm" -v hr="$helper_rss" -v n="$(echo $helpers | wc -w)" \
    -v reports="$reports" 'BEGIN {
  printf "vel: %.2f CPU s per minute (%.2f %% of one core), resident %.0f MB (peak %.0f MB)\n",
         v / t * 60 / s, v / t / s * 100, rss / 1024, hwm / 1024
  printf "browser helpers left from the sign-in: %d, %.2f CPU s per minute, resident %.0f MB\n",
         n, h / t * 60 / s, hr / 1024
  printf "score reports the server took in the run: %d\n", reports
}'
