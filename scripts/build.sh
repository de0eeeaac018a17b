#!/usr/bin/env bash
# Command 1: builds the add-on for 32-bit Windows into dist/ and shows it
# answering through the stand-in host under Wine. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build

cmake --preset mingw32 >/dev/null
targets=(tessarim quorvant qhost)
[ -f uninstaller/CMakeLists.txt ] && targets+=(UTessarim)
cmake --build --preset mingw32 --target "${targets[@]}" -j2

mkdir -p dist
cp build/mingw32/bin/tessarim.dll dist/
[ -f build/mingw32/bin/UTessarim.exe ] && cp build/mingw32/bin/UTessarim.exe dist/
ls -l dist

prefix=$PWD/build/mingw32/wineprefix
library=$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$PWD/dist/tessarim.dll" 2>/dev/null || echo "Z:${PWD//\//\\}\\dist\\tessarim.dll")
echo
echo "dist/tessarim.dll answering through the stand-in host (NUMERIC DIGITS 9):"
scripts/wine-run.sh "$prefix" build/mingw32/bin/qhost.exe --library "$library" \
  "SIN(1)" "COS(0)" "SQRT(2)" "EXP(1)" "LOG(0)" "SQRT(-1)" "ATAN(1,-1)" "POW(2,10)" \
  "ROUND(2.5)" "FACT(12)" "FACT(20)" "PI"
echo "NUMERIC DIGITS 17:"
scripts/wine-run.sh "$prefix" build/mingw32/bin/qhost.exe --digits 17 --library "$library" "PI" "SIN(1e22)" "EXP(1)"
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
