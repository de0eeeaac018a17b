#!/usr/bin/env bash
# Makes tessarim-setup.exe around the given files: the build's installer
# from the files it builds, a signed release's from their signed copies.
# Usage: make-setup.sh OUTFILE LIBRARY UNINSTALLER CHECKER ICON
# Files keep their names in the installer, so each is named as installed;
# the sizes it checks after copying are taken from the files given.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: $0 OUTFILE LIBRARY UNINSTALLER CHECKER ICON" >&2; exit 2; }
here=$(dirname "$0")
# makensis works in the script's folder: every path goes to it whole.
paths=()
for path in "$@" "$here/tessarim.nsi"; do paths+=("$(realpath -m "$path")"); done
sizes=$(mktemp --suffix=.nsh)
trap 'rm -f "$sizes"' EXIT
"${CMAKE:-cmake}" -DLIBRARY="${paths[1]}" -DUNINSTALLER="${paths[2]}" -DOUT="$sizes" -P "$here/payload_sizes.cmake"
# A warning of makensis fails the build (-WX), as the compilers' warnings do.
"${MAKENSIS:-makensis}" -V2 -WX -DOUTFILE="${paths[0]}" -DLIBRARY="${paths[1]}" -DUNINSTALLER="${paths[2]}" \
  -DCHECKER="${paths[3]}" -DICON="${paths[4]}" -DPAYLOAD_SIZES="$sizes" "${paths[5]}"
