#!/usr/bin/env bash
# Measures the accuracy of the 25 functions and writes docs/accuracy.md:
#  1. the native measuring program on the real x87, all 25 functions, beside
#     glibc's double functions;
#  2. the Windows build of the same program under 32-bit Wine, for the
#     functions that call the C runtime (what the shipped DLL inherits);
#  3. accuracy/report.py, which judges both against mpmath.
# About a minute. Not part of the test run: the figures belong to the
# processor they were measured on, which the page records.
# Usage: scripts/accuracy.sh [output file, default docs/accuracy.md]
set -euo pipefail
. "$(dirname "$0")/common.sh"
output=${1:-docs/accuracy.md}

scripts/install-deps.sh test
mkdir -p build/accuracy

echo "=== native: measuring on the x87 ==="
build_preset native tessarim_accuracy >/dev/null
build/native/accuracy/tessarim_accuracy >build/accuracy/native.tsv

echo "=== 32-bit Windows build under Wine: the C runtime's functions ==="
build_preset mingw32 tessarim_accuracy >/dev/null
run_wine "$mingw32_prefix" build/mingw32/bin/tessarim_accuracy.exe ACOS ASIN COSH SINH TANH POW CEIL FLOOR \
  >build/accuracy/wine.tsv

echo "=== true values from mpmath, writing $output ==="
cpuinfo() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -1; }
processor="$(cpuinfo 'model name'), family $(cpuinfo 'cpu family') model $(cpuinfo model) stepping $(cpuinfo stepping)"
cores=$(nproc)
python3 accuracy/report.py build/accuracy/native.tsv build/accuracy/wine.tsv \
  "$processor ($cores cores seen; $(uname -m), Linux $(uname -r))" \
  "$(ldd --version | head -1)" "$(wine --version)" >"$output"
echo "done: $output"
