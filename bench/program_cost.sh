#!/usr/bin/env bash
# What the whole program costs while a class rides, as a studio runs it:
# the companion server with the demo team, vel on an X display (Xvfb,
# 1920x1080) with the team's ten riders seated and riding, the class screen
# open. Two rooms, one after the other:
#   in-process  four simulated sticks inside vel (VEL_ANT_SIM=4);
#   pty         four simulated sticks of vel-sim-room on pseudo-terminals
#               (VEL_ANT_TTY), the room's own process measured apart.
# After a warm-up it measures: CPU of vel, of its child processes (the
# browser's helpers, if any are left from the sign-in) and of the room;
# resident memory of vel with every process under it; the threads of vel
# that took the most CPU.
#   bench/program_cost.sh BUILD_FOLDER [SECONDS] [in-process|pty|both]
# VEL=PATH measures another vel (an older build, say) with the same tools.
# PROFILE=S adds a perf profile of S seconds; PERF_DATA=FILE keeps it, and
# PERF_CALLS="--call-graph dwarf" records call chains through Qt, which is
# built without frame pointers.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
rooms=${3:-both}
program=${VEL:-$build/src/vel}
sim_room=$build/tools/vel-sim-room/vel-sim-room
warmup=${WARMUP:-20}
# shellcheck source=bench/studio_rig.sh
source "$(dirname "$0")/studio_rig.sh"

ticks=$(getconf CLK_TCK)
descendants() {  # a process and every process under it
  local p
  echo "$1"
  for p in $(pgrep -P "$1" || true); do descendants "$p"; done
}
sum_over() {  # FILE AWK PID...: what AWK reads off /proc/PID/FILE, summed over those still running
  local file=$1 program=$2 total=0 p
  shift 2
  for p in "$@"; do
    [ -r "/proc/$p/$file" ] || continue
    total=$((total + $(awk "$program" "/proc/$p/$file" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
cpu_ticks() { sum_over stat '{print $14 + $15}' "$@"; }  # utime + stime
rss_kb() { sum_over status '/VmRSS/ {print $2}' "$@"; }
thread_ticks() {  # "tid name ticks wake-ups" for every thread of a process
  local t name
  for t in /proc/"$1"/task/*; do
    [ -r "$t/stat" ] || continue
    name=$(tr ' ' '_' <"$t/comm" 2>/dev/null) || continue
    [ "${t##*/}" != "$1" ] || name="$name(main)"
    # The fields after the name in parentheses, which may hold spaces.
    awk -v n="$name" -v id="${t##*/}" -v w="$(awk '/voluntary_ctxt_switches/ {s += $2} END {print s}' "$t/status" 2>/dev/null)" \
      '{ sub(/^.*\) /, ""); print id, n, $12 + $13, w + 0 }' "$t/stat" 2>/dev/null || true
  done
}

measure() {  # room
  local room=$1
  local run=$work/run-$room room_pid= env_room
  mkdir -p "$run"
  if [ "$room" = pty ]; then
    "$sim_room" --sticks 4 >"$work/room.log" 2>&1 &
    room_pid=$!
    pids+=("$room_pid")
    for _ in $(seq 1 100); do grep -q "^VEL_ANT_TTY=" "$work/room.log" && break; sleep 0.05; done
    env_room=$(grep "^VEL_ANT_TTY=" "$work/room.log")
  else
    env_room=VEL_ANT_SIM=4
  fi
  # "N": the run after an update check, so that vel keeps its process id.
  (cd "$run" && exec env DISPLAY="$display" "$env_room" VEL_DEMO_SIGN_IN=1 VEL_DEMO_RIDE=1 \
    VEL_DEMO_CLASS_SCREEN=1 VEL_MAIN_URL="http://127.0.0.1:$port" \
    VEL_PATCH_URL="http://127.0.0.1:$((port + 1))" VEL_FACEBOOK_WEB="http://127.0.0.1:$((port + 2))" \
    VEL_FACEBOOK_GRAPH="http://127.0.0.1:$((port + 2))" "$program" N) >"$work/vel-$room.log" 2>&1 &
  local vel=$!
  pids+=("$vel")
  sleep "$warmup"
  kill -0 "$vel" || { echo "vel ended early:"; cat "$work/vel-$room.log"; exit 1; }

  local children before_vel before_children before_room after_vel after_children after_room
  children=$(descendants "$vel" | tail -n +2 | tr '\n' ' ')
  thread_ticks "$vel" >"$work/threads-before"
  before_vel=$(cpu_ticks "$vel")
  # shellcheck disable=SC2086
  before_children=$(cpu_ticks $children)
  before_room=$(cpu_ticks $room_pid)
  local reports_before
  reports_before=$(grep -c "header 8" "$work/server.log" || true)
  sleep "$seconds"
  after_vel=$(cpu_ticks "$vel")
  # shellcheck disable=SC2086
  after_children=$(cpu_ticks $children)
  after_room=$(cpu_ticks $room_pid)
  thread_ticks "$vel" >"$work/threads-after"
  local rss all_rss hwm reports
  rss=$(rss_kb "$vel")
  # shellcheck disable=SC2046
  all_rss=$(rss_kb $(descendants "$vel"))
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$vel/status")
  reports=$(($(grep -c "header 8" "$work/server.log" || true) - reports_before))

  echo "== room $room: ten riders on four sticks, class screen open, Xvfb 1920x1080, ${seconds} s"
  awk -v v=$((after_vel - before_vel)) -v c=$((after_children - before_children)) \
      -v r=$((after_room - before_room)) -v t="$ticks" -v s="$seconds" -v rss="$rss" \
      -v all="$all_rss" -v hwm="$hwm" -v n="$(echo $children | wc -w)" -v reports="$reports" \
      -v room="$room" 'BEGIN {
    printf "vel: %.2f %% of one core; resident %.0f MB (peak %.0f MB)\n", v / t / s * 100, rss / 1024, hwm / 1024
    printf "child processes: %d, %.2f %% of one core; vel with them: resident %.0f MB\n", n, c / t / s * 100, all / 1024
    if (room == "pty") printf "vel-sim-room: %.2f %% of one core\n", r / t / s * 100
    printf "score reports the server took: %d\n", reports
  }'
  echo "threads of vel by name (% of one core, switches a second, threads):"
  awk -v t="$ticks" -v s="$seconds" 'NR == FNR { cpu[$1] = $3; sw[$1] = $4; next }
    { c[$2] += $3 - cpu[$1]; w[$2] += $4 - sw[$1]; n[$2]++; tc += $3 - cpu[$1]; tw += $4 - sw[$1] }
    END { for (k in c) printf "  %6.2f %7.0f  %s (%d)\n", c[k] / t / s * 100, w[k] / s, k, n[k]
          printf "  %6.2f %7.0f  all\n", tc / t / s * 100, tw / s }' \
    "$work/threads-before" "$work/threads-after" | sort -rn | head -14
  if [ -n "${PROFILE:-}" ]; then
    echo "profile of vel over ${PROFILE} s (perf, cpu-clock):"
    perf record -q -e cpu-clock -F 499 ${PERF_CALLS:--g} -p "$vel" -o "${PERF_DATA:-$work/perf.data}" -- sleep "$PROFILE" >/dev/null 2>&1
    perf report -i "${PERF_DATA:-$work/perf.data}" --no-children --sort dso,sym --stdio 2>/dev/null |
      grep -E "^ +[0-9.]+%" | head -40
  fi
  kill "$vel" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$vel" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$vel" 2>/dev/null || true
  [ -z "$room_pid" ] || kill "$room_pid" 2>/dev/null || true
}

case "$rooms" in
  both) measure in-process; measure pty ;;
  in-process | pty) measure "$rooms" ;;
  *) echo "program_cost: the room is in-process, pty or both" >&2; exit 2 ;;
esac
