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
# The builds asan and tsan of CMakePresets.json, in build/asan and build/tsan.
for preset in asan tsan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  log="build/$preset/ctest.log"
  status=0
  ctest --preset "$preset" 2>&1 | tee "$log" || status=$?
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  [ "$status" -eq 0 ] || { printf '%s\n' "${summary[@]}"; exit "$status"; }
done

echo "== test summary =="
printf '%s\n' "${summary[@]}"
