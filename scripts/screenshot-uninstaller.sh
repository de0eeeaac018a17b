#!/usr/bin/env bash
# Takes a picture of UTessarim's dialog as it appears under Wine on a
# virtual X screen, for the README.
# Usage: scripts/screenshot-uninstaller.sh [BUILD_DIR] [OUTPUT.png]
# Defaults: build/mingw32 and docs/uninstaller-dialog.png. Needs the
# program built (BUILD_DIR/bin/UTessarim.exe, or dist/UTessarim.exe), Wine,
# Xvfb, ImageMagick and x11-utils.
# Only the screen is looked at: nothing is pressed, and the program is
# ended without having changed anything.
set -euo pipefail
build=$(realpath -m "${1:-$(dirname "$0")/../build/mingw32}")
output=$(realpath -m "${2:-$(dirname "$0")/../docs/uninstaller-dialog.png}")
. "$(dirname "$0")/common.sh"
exe=$build/bin/UTessarim.exe
[ -f "$exe" ] || exe=$tessarim_root/dist/UTessarim.exe
[ -f "$exe" ] || { echo "build the program first: UTessarim.exe is in neither $build/bin nor dist" >&2; exit 1; }

start_display 640x480x24
prefix=$build/wineprefix-screenshot
caption="Uninstall Math Intrinsics Add-on Library"

# Xvfb has no window manager to draw captions and borders; this makes Wine
# draw the window's frame itself, as Windows would.
run_wine "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null

# The program runs from a copy in a scratch folder, so that even a stray
# click could not touch the build's files.
scratch=$(mktemp -d)
at_exit 'rm -rf "$scratch"'
cp "$exe" "$scratch/"
run_wine "$prefix" "$scratch/UTessarim.exe" &

window=
for _ in $(seq 1 120); do
  window=$(xwininfo -root -tree 2>/dev/null | awk -v c="\"$caption\"" 'index($0, c) { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 2  # let Wine finish painting
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
