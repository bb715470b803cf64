#!/usr/bin/env bash
# Fails when a tracked C++ file differs from .clang-format (Debian 12's
# clang-format 14, installed by scripts/setup.sh); names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$out" | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "check_format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files as .clang-format wants them"
