# What the whole-program benchmarks share, sourced by them with `build` set:
# a temporary folder ($work), a virtual display at 1920x1080 ($display) and
# the companion server with the demo team on free ports ($port, +1, +2),
# all taken down at the end; `pids` holds what to stop.
work=$(mktemp -d)
pids=()
finish() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work/server"
(cd "$work/server" && exec "$build/tools/vel-server/vel-server" --demo \
  --app "127.0.0.1:$port" --patch "127.0.0.1:$((port + 1))" --sign-in "127.0.0.1:$((port + 2))") \
  >"$work/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do grep -q "application server on" "$work/server.log" && break; sleep 0.1; done
