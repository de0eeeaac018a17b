#!/usr/bin/env bash
# The benchmark command. Prints, in one go:
#  1. native figures per call and per conversion (Google Benchmark), the
#     baselines measured in the same run, and a table of ratios against the
#     targets;
#  2. calls per second under 32-bit Wine through the real tessarim.dll and
#     the stand-in host, beside the same handlers linked into the program;
#  3. the sizes of tessarim.dll and UTessarim.exe against their targets.
# Usage: scripts/bench.sh [Google Benchmark flags, e.g. --benchmark_filter=SIN]
# WINE_BENCH_SECONDS (default 0.1) and WINE_BENCH_ROUNDS (default 3) set the
# length of each Wine figure.
set -euo pipefail
. "$(dirname "$0")/common.sh"

scripts/install-deps.sh test

echo "=== native: handlers per call, conversions, baselines ==="
build_preset native tessarim_bench >/dev/null
build/native/bench/tessarim_bench --benchmark_color=false "$@"

# The emulator a binfmt_misc entry hands 32-bit x86 programs to, if any;
# the kernel runs them itself otherwise.
i386_emulator() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null || continue
    sed -n 's/^interpreter \(.*qemu-i386.*\)$/\1/p' "$entry" | grep . && return 0
  done
  return 1
}

echo
echo "=== 32-bit Windows build under Wine: calls per second ==="
build_preset mingw32 tessarim quorvant tessarim_wine_bench UTessarim >/dev/null
run_wine "$mingw32_prefix" build/mingw32/bin/tessarim_wine_bench.exe \
  --seconds "${WINE_BENCH_SECONDS:-0.1}" --rounds "${WINE_BENCH_ROUNDS:-3}"
if emulator=$(i386_emulator); then
  echo "(32-bit Wine runs here through the i386 user-mode emulator $emulator,"
  echo " which also emulates the x87 transcendental instructions: compare the"
  echo " columns with each other, not with the native figures.)"
else
  echo "(32-bit Wine runs here natively, on the same processor and x87 as the"
  echo " native figures.)"
fi

echo
echo "=== sizes (build/mingw32/bin; scripts/build.sh copies them to dist/) ==="
size_line() {
  local file=$1 limit_kib=$2
  if [ ! -f "$file" ]; then
    printf '%-16s not built\n' "$(basename "$file")"
    return
  fi
  local bytes
  bytes=$(stat -c %s "$file")
  local verdict=met
  [ "$bytes" -le $((limit_kib * 1024)) ] || verdict=MISSED
  printf '%-16s %7d bytes  %3d.%d KiB  target <= %d KiB  %s\n' "$(basename "$file")" "$bytes" \
    $((bytes / 1024)) $((bytes % 1024 * 10 / 1024)) "$limit_kib" "$verdict"
}
size_line build/mingw32/bin/tessarim.dll 128
size_line build/mingw32/bin/UTessarim.exe 32
echo
echo "tessarim.dll by section (bytes in memory):"
i686-w64-mingw32-objdump -h build/mingw32/bin/tessarim.dll |
  while read -r index name size _; do
    if [[ $index =~ ^[0-9]+$ ]]; then printf '  %-10s %6d\n' "$name" $((16#$size)); fi
  done
echo "tessarim.dll imports:"
i686-w64-mingw32-objdump -p build/mingw32/bin/tessarim.dll | awk '/DLL Name:/ { print "  " $3 }'
