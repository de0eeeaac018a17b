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
work=$(mktemp -d)
xvfb_pid=
# Every exit path, Ctrl-C included, ends the display and the Wine processes
# of the run's prefixes.
cleanup() {
  for prefix in build/mingw32/wineprefix; do
    [ -d "$prefix" ] && WINEPREFIX=$PWD/$prefix wineserver -k 2>/dev/null
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs one CTest preset and adds its counts, read from CTest's JUnit file,
# to the totals.
run_ctest() {
  local preset=$1; shift
  echo "=== $preset ==="
  local junit=$work/$preset.xml
  rm -f "$junit"
  ctest --preset "$preset" -j2 --output-junit "$junit" "$@"
  local status=$?
  if [ ! -s "$junit" ]; then
    echo "no test results from preset $preset"
    failed=$((failed + 1))
    return
  fi
  local good bad
  read -r good bad < <(python3 scripts/junit-counts.py "$junit")
  passed=$((passed + good))
  failed=$((failed + bad))
  # CTest can fail with every counted test passed (a fixture's error); that
  # fails the preset too.
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

# One check outside CTest, counted like a test.
count() {
  local what=$1; shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failed=$((failed + 1))
  fi
}

count "the tree is laid out as .clang-format says" scripts/format.sh --check
build native && run_ctest native
# Every native unit test again, under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report aborts the test.
export UBSAN_OPTIONS=print_stacktrace=1
build sanitize && run_ctest sanitize
# Only the fuzz targets: the fuzz tree's copies of the unit tests would run
# uninstrumented what the two presets above already ran.
build fuzz fuzzers && run_ctest fuzz -L fuzz

# One X server for the whole Wine run: the library's message boxes and the
# uninstaller's dialog are real windows. Only clients holding the cookie in
# the run's authority file may connect to it.
start_display() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  export XAUTHORITY=$work/Xauthority
  xauth -q -f "$XAUTHORITY" add ":$n" . "$(mcookie)"
  Xvfb ":$n" -auth "$XAUTHORITY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done
}

if build mingw32; then
  start_display
  run_ctest mingw32
fi

# Same source, same bytes: the shipped programs, and the check DLL that the
# installer carries, built again in another folder must not differ by a byte.
same_bytes() {
  local file
  for file in tessarim.dll UTessarim.exe tessarim-check.dll; do
    cmp "build/mingw32/bin/$file" "build/reproduce/bin/$file" || return 1
  done
}
if build reproduce tessarim UTessarim tessarim_check; then
  count "the shipped programs reproduce byte for byte" same_bytes
fi

echo
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
