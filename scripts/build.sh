#!/usr/bin/env bash
# The build command: builds the add-on for 32-bit Windows into dist/ (the
# library, its uninstaller, the installer and the tessarim-host tool in
# dist/try/), writes dist/SHA256SUMS and shows every function answering
# through tessarim-host under Wine. Installs what is missing. Signs the
# shipped programs and the installer when the environment names a
# certificate (see scripts/sign-release.sh); unsigned otherwise.
set -euo pipefail
. "$(dirname "$0")/common.sh"

scripts/install-deps.sh build
build_preset mingw32 tessarim quorvant tessarim-host UTessarim tessarim-setup

bin=build/mingw32/bin
shipped=(tessarim.dll UTessarim.exe tessarim-setup.exe)
rm -rf dist
mkdir -p dist/try
# Either variable asks for a signed release; the script names one missing.
if [ -n "${TESSARIM_SIGN_PKCS12:-}${TESSARIM_SIGN_PASSWORD_FILE:-}" ]; then
  rm -rf build/mingw32/signed
  scripts/sign-release.sh build/mingw32 build/mingw32/signed
  for file in "${shipped[@]}"; do cp "build/mingw32/signed/$file" dist/; done
  # The unsigned files' sums, which a rebuild of the same commit gives.
  (cd "$bin" && sha256sum "${shipped[@]}") >dist/SHA256SUMS.unsigned
else
  echo "Unsigned build: TESSARIM_SIGN_PKCS12 and TESSARIM_SIGN_PASSWORD_FILE name no certificate."
  for file in "${shipped[@]}"; do cp "$bin/$file" dist/; done
fi
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
