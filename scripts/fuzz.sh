#!/usr/bin/env bash
# Fuzzes every target with libFuzzer for SECONDS each (default 60). Needs
# clang; new inputs that find something go to build/fuzz/crash-*. With
# "merge" as second argument, the inputs that reached something new are
# then folded, minimised, into fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
merge="${2:-}"
# The update archive target unpacks into a scratch tree for every input.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed for libFuzzer" >&2; exit 1; }
scripts/setup.sh
# The fuzz build of CMakePresets.json, in build/fuzz.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target $(ls fuzz/corpus)
for target in $(ls fuzz/corpus); do
  work="build/fuzz/corpus-$target"
  mkdir -p "$work"
  echo "== $target ($seconds s)"
  (cd build/fuzz && "fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
     "corpus-$target" "../../fuzz/corpus/$target")
  if [ "$merge" = merge ]; then
    (cd build/fuzz && "fuzz/$target" -merge=1 "../../fuzz/corpus/$target" "corpus-$target")
  fi
done
