#!/usr/bin/env bash
# A release signed with a throwaway certificate, as scripts/build.sh signs
# one: every signature verifies, the signed installer installs silently
# and what it installs carries the signatures, and neither a changed byte
# nor an unsigned file passes.
# Usage: signed_release_test.sh BUILD PREFIX   (a Windows build; a Wine prefix of the test's own)
set -uo pipefail
build=$(realpath "$1")
prefix=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
folder=$prefix/drive_c/SignedRelease
trap 'rm -rf "$work" "$folder"; WINEPREFIX=$prefix wineserver -k 2>/dev/null' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }
verifies() { osslsigncode verify -CAfile "$work/certificate.pem" -in "$1" >"$work/verify.log" 2>&1; }

echo "throwaway password" >"$work/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Tessarim test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -out "$work/signer.p12" \
    -passout "file:$work/password" || { echo "no throwaway certificate"; exit 1; }
TESSARIM_SIGN_PKCS12=$work/signer.p12 TESSARIM_SIGN_PASSWORD_FILE=$work/password \
  "$root/scripts/sign-release.sh" "$build" "$work/signed" || { echo "signing failed"; exit 1; }

for file in tessarim.dll UTessarim.exe tessarim-check.dll tessarim-setup.exe; do
  verifies "$work/signed/$file" || { cat "$work/verify.log"; fail "the signature of $file does not verify"; }
done
verifies "$build/bin/tessarim.dll" && fail "an unsigned file verifies"
# One bit of the library's middle, inside its code, flipped.
cp "$work/signed/tessarim.dll" "$work/flipped.dll"
offset=$(($(stat -c %s "$work/flipped.dll") / 2))
byte=$(od -An -tu1 -j "$offset" -N1 "$work/flipped.dll")
printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$work/flipped.dll" bs=1 seek="$offset" conv=notrunc 2>/dev/null
cmp -s "$work/signed/tessarim.dll" "$work/flipped.dll" && fail "no byte was flipped"
verifies "$work/flipped.dll" && fail "a file with a flipped byte verifies"

rm -rf "$folder"
"$root/scripts/wine-run.sh" "$prefix" "$work/signed/tessarim-setup.exe" /S '/D=C:\SignedRelease\Tessarim'
code=$?
[ "$code" -eq 0 ] || fail "the signed installer exited with $code"
for file in tessarim.dll UTessarim.exe; do
  cmp -s "$work/signed/$file" "$folder/Tessarim/$file" || fail "the installed $file is not the signed one"
  verifies "$folder/Tessarim/$file" || fail "the installed $file carries no valid signature"
done
exit "$status"
