#!/usr/bin/env bash
# Sets up, builds and runs the demo: recorded heart-rate traffic decoded by
# vel-replay.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEL_BUILD_TESTS=OFF \
      -DVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo

# A strap that toggles its page bit every fourth message, heart rate rising.
frames=""
for i in $(seq 0 39); do
  toggle=$(( (i / 4) % 2 ? 0x80 : 0x00 ))
  bpm=$(( 62 + i / 2 ))
  bytes=(0xA4 0x09 0x4E 0x00 $((toggle | 4)) 0 0 0 0 0 0 "$bpm")
  sum=0
  for b in "${bytes[@]}"; do sum=$(( sum ^ b )); done
  for b in "${bytes[@]}" "$sum"; do frames+=$(printf '%02X ' "$b"); done
done
echo "$frames" | build/demo/tools/vel-replay/vel-replay --hex --log --channel 0:120 -
