#!/usr/bin/env bash
# Fuzzes every target with libFuzzer for SECONDS each (default 60). Needs
# clang; new inputs that find something go to build/fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed for libFuzzer" >&2; exit 1; }
scripts/setup.sh
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEL_SANITIZE=address \
  -DVEL_LIBFUZZER=ON -DVEL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build build/fuzz --target $(ls fuzz/corpus)
for target in $(ls fuzz/corpus); do
  work="build/fuzz/corpus-$target"
  mkdir -p "$work"
  echo "== $target ($seconds s)"
  (cd build/fuzz && "fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
     "corpus-$target" "../../fuzz/corpus/$target")
done
