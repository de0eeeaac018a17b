#!/usr/bin/env bash
# Command 2: runs every test. The native build's unit tests, the same under
# AddressSanitizer and UndefinedBehaviorSanitizer, short fuzzing runs, and
# the Windows build's tests under 32-bit Wine with a private X display.
# Installs what is missing.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test || exit 1

passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs one CTest preset and adds its counts to the totals.
run_ctest() {
  local preset=$1; shift
  echo "=== $preset ==="
  ctest --preset "$preset" -j2 "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "no test summary from preset $preset"
    failed=$((failed + 1))
    return
  fi
  local total bad
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  # CTest can fail with every counted test passed (a test not run, a
  # fixture's error); that fails the preset too.
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    echo "ctest preset $preset failed (exit $status)"
    failed=$((failed + 1))
  fi
}

# Configures and builds a preset: everything, or only the targets named.
build() {
  local preset=$1; shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  echo "=== build $preset ==="
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 "${targets[@]}"; }; then
    echo "build $preset failed"
    failed=$((failed + 1))
    return 1
  fi
}

build native && run_ctest native
# Every native unit test again, under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report aborts the test.
export UBSAN_OPTIONS=print_stacktrace=1
build sanitize && run_ctest sanitize
# Only the fuzz targets: the fuzz tree's copies of the unit tests would run
# uninstrumented what the two presets above already ran.
build fuzz fuzzers && run_ctest fuzz -L fuzz
# One X server for the whole Wine run: the library's message boxes and the
# uninstaller's dialog are real windows.
start_display() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done
}

if build mingw32; then
  start_display
  run_ctest mingw32
  WINEPREFIX=$PWD/build/mingw32/wineprefix wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
fi

echo
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
