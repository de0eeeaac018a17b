#!/usr/bin/env bash
# Signs a release with osslsigncode: tessarim.dll, UTessarim.exe and
# tessarim-check.dll from a Windows build, then an installer made around
# those signed copies, so that what it installs carries the signatures.
# Usage: sign-release.sh BUILD OUT
#   BUILD  a Windows build folder (build/mingw32); its files stay unsigned
#   OUT    gets the four signed files
# Environment:
#   TESSARIM_SIGN_PKCS12         the certificate with its private key (PKCS#12)
#   TESSARIM_SIGN_PASSWORD_FILE  a file holding that file's password; the
#                                password is never on a command line
#   TESSARIM_SIGN_TIMESTAMP      optional: an RFC 3161 timestamp server's URL,
#                                so that the signatures outlive the certificate
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD OUT" >&2; exit 2; }
build=$1
out=$2
: "${TESSARIM_SIGN_PKCS12:?names no PKCS#12 file}" "${TESSARIM_SIGN_PASSWORD_FILE:?names no password file}"

sign() {
  local timestamp=()
  [ -z "${TESSARIM_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$TESSARIM_SIGN_TIMESTAMP")
  rm -f "$2"
  osslsigncode sign -pkcs12 "$TESSARIM_SIGN_PKCS12" -readpass "$TESSARIM_SIGN_PASSWORD_FILE" \
    -h sha256 -n Tessarim "${timestamp[@]}" -in "$1" -out "$2" >/dev/null
}

mkdir -p "$out"
for file in tessarim.dll UTessarim.exe tessarim-check.dll; do
  sign "$build/bin/$file" "$out/$file"
done
unsigned_setup=$out/tessarim-setup.unsigned.exe
"$(dirname "$0")/../installer/make-setup.sh" "$unsigned_setup" "$out/tessarim.dll" "$out/UTessarim.exe" \
  "$out/tessarim-check.dll" "$build/installer/setup.ico"
sign "$unsigned_setup" "$out/tessarim-setup.exe"
rm -f "$unsigned_setup"
