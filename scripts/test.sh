#!/usr/bin/env bash
# The test command: runs every test. The native build's unit tests, the
# same under AddressSanitizer and UndefinedBehaviorSanitizer, short fuzzing
# runs, and the Windows build's tests under 32-bit Wine with a private X
# display. Installs what is missing.
set -uo pipefail
. "$(dirname "$0")/common.sh"

scripts/install-deps.sh test || exit 1

passed=0
failed=0
work=$(mktemp -d)
at_exit 'rm -rf "$work"'

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
  echo "=== build $preset ==="
  if ! build_preset "$preset" "$@"; then
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
# uninstaller's dialog are real windows. The tests make their prefixes in
# the build folder and keep them for the next run; the run ends their
# servers on every exit path, Ctrl-C included.
if build mingw32; then
  uses_wine_prefixes_in build/mingw32
  start_display
  run_ctest mingw32
fi

# The C++ convention, over the compile databases of the native and the
# Windows build.
count "the C++ convention holds (clang-tidy and scripts/convention.py)" python3 scripts/lint.py

# Same source, same bytes: the shipped programs, the check DLL the installer
# carries and the installer itself, built again in another folder, must not
# differ by a byte.
same_bytes() {
  local file
  for file in tessarim.dll UTessarim.exe tessarim-check.dll tessarim-setup.exe; do
    cmp "build/mingw32/bin/$file" "build/reproduce/bin/$file" || return 1
  done
}
if build reproduce tessarim UTessarim tessarim_check tessarim-setup; then
  count "the shipped programs and the installer reproduce byte for byte" same_bytes
fi

echo
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
