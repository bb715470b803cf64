#!/usr/bin/env bash
# Sets up, builds and runs every test twice: under AddressSanitizer with
# UndefinedBehaviorSanitizer, and under ThreadSanitizer. Any failing test or
# sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
export QT_QPA_PLATFORM=offscreen

summary=()
for variant in address thread; do
  dir="build/test-$variant"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEL_SANITIZE="$variant" \
        -DVEL_WERROR=ON -DCMAKE_CXX_FLAGS="-O1" >/dev/null
  cmake --build "$dir"
  log="$dir/ctest.log"
  status=0
  ctest --test-dir "$dir" --output-on-failure -j2 --timeout 600 2>&1 | tee "$log" || status=$?
  summary+=("$variant: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  [ "$status" -eq 0 ] || { printf '%s\n' "${summary[@]}"; exit "$status"; }
done

echo "== test summary =="
printf '%s\n' "${summary[@]}"
