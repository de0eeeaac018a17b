#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, only when
# something is missing, so that running it twice costs nothing.
# Usage: scripts/install-deps.sh [build|test]
set -euo pipefail

want=${1:-test}

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

add_pkg() { have_pkg "$1" || need+=("$1"); }

add_pkg cmake
add_pkg g++
add_pkg g++-mingw-w64-i686
add_pkg binutils-mingw-w64-i686
add_pkg googletest
add_pkg libgtest-dev
add_pkg wine
add_pkg wine32:i386
add_pkg wine64
add_pkg xvfb
add_pkg xauth
add_pkg python3
if [ "$want" = test ]; then
  add_pkg clang
  add_pkg libclang-rt-14-dev
  add_pkg libbenchmark-dev
  add_pkg imagemagick
  add_pkg x11-utils
fi

# 32-bit Wine needs the kernel to run 32-bit Linux programs. Where the
# kernel has that switched off, a user-mode i386 emulator serves instead;
# the one in bookworm-backports starts Wine in about a second.
ensure_i386_runs() {
  local loader=/usr/lib/wine/wine
  [ -x "$loader" ] || return 0
  if "$loader" --version >/dev/null 2>&1; then return 0; fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "this kernel cannot run 32-bit programs; run this script as root to set up the i386 emulator" >&2
    exit 1
  fi
  if ! dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null | grep -q '^1:\(9\|1[0-9]\)'; then
    cat > /etc/apt/sources.list.d/tessarim-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -t bookworm-backports qemu-user-static
  fi
  local misc=/proc/sys/fs/binfmt_misc
  [ -f "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
  # An entry registered with F keeps the emulator binary it was given; a
  # stale one from an older emulator is replaced.
  [ -f "$misc/tessarim-i386" ] && echo -1 > "$misc/tessarim-i386"
  [ -f "$misc/qemu-i386" ] && echo -1 > "$misc/qemu-i386"
  printf '%s' ':tessarim-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > "$misc/register"
  "$loader" --version >/dev/null
}

if [ ${#need[@]} -eq 0 ]; then
  ensure_i386_runs
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]}; run this script as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${need[@]}"
ensure_i386_runs
