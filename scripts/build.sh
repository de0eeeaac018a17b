#!/usr/bin/env bash
# The build command: builds the add-on for 32-bit Windows into dist/ (the
# library, its uninstaller, the installer and the tessarim-host tool in
# dist/try/), writes dist/SHA256SUMS and shows every function answering
# through tessarim-host under Wine. Installs what is missing.
set -euo pipefail
. "$(dirname "$0")/common.sh"

scripts/install-deps.sh build
build_preset mingw32 tessarim quorvant tessarim-host UTessarim tessarim-setup

bin=build/mingw32/bin
rm -rf dist
mkdir -p dist/try
cp "$bin/tessarim.dll" "$bin/UTessarim.exe" "$bin/tessarim-setup.exe" dist/
# The tool with its own stand-in host; the installer never installs these.
cp "$bin/tessarim-host.exe" "$bin/quorvant.dll" dist/try/
# Checksums of every file, named relative to dist/ in a fixed order, so
# that `sha256sum -c SHA256SUMS` run there checks a download.
(cd dist && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS)
ls -l dist dist/try

echo
echo "Every function of dist/tessarim.dll through dist/try/tessarim-host.exe:"
run_wine "$mingw32_prefix" dist/try/tessarim-host.exe --library dist/tessarim.dll \
  -f examples/all-functions.rexxcalls
