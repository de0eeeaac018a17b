#!/usr/bin/env bash
# Command 1: builds the add-on for 32-bit Windows into dist/ (the library,
# its uninstaller, the installer and the tessarim-host tool in dist/try/)
# and shows every function answering through tessarim-host under Wine.
# Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build

cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 --target tessarim quorvant tessarim-host UTessarim tessarim-setup -j2

bin=build/mingw32/bin
rm -rf dist
mkdir -p dist/try
cp "$bin/tessarim.dll" "$bin/UTessarim.exe" "$bin/tessarim-setup.exe" dist/
# The tool with its own stand-in host; the installer never installs these.
cp "$bin/tessarim-host.exe" "$bin/quorvant.dll" dist/try/
ls -l dist dist/try

prefix=$PWD/build/mingw32/wineprefix
echo
echo "Every function of dist/tessarim.dll through dist/try/tessarim-host.exe:"
scripts/wine-run.sh "$prefix" dist/try/tessarim-host.exe --library dist/tessarim.dll \
  -f examples/all-functions.rexxcalls
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
