#!/usr/bin/env bash
# Lays out the tree's C and C++ files with .clang-format, or with --check
# only reports the files that differ. Generated files keep their
# generators' layout.
# Usage: scripts/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."

generated=(
  contract/contract.h
  library/number_text/power_of_ten_table.h
  tests/handlers/handler_cases.h
  tests/handlers/trig_hard_cases.h
)
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -vxF -f <(printf '%s\n' "${generated[@]}"))

if [ "${1:-}" = --check ]; then
  status=0
  for file in "${files[@]}"; do
    if ! clang-format --style=file "$file" | cmp -s - "$file"; then
      echo "not formatted: $file (scripts/format.sh lays it out)"
      status=1
    fi
  done
  exit $status
fi
clang-format -i --style=file "${files[@]}"
