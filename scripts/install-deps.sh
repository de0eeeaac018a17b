#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, only when
# something is missing, so that running it twice costs nothing. Packages come
# from the machine's own apt sources; nothing is left configured afterwards
# that was not there before, except the packages themselves and, where the
# kernel cannot run 32-bit programs, one binfmt_misc entry of our own.
# Usage: scripts/install-deps.sh [build|test]
set -euo pipefail

want=${1:-test}

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
add_pkg() { have_pkg "$1" || need+=("$1"); }

add_pkg cmake
add_pkg ninja-build
add_pkg g++
add_pkg clang-format
add_pkg g++-mingw-w64-i686
add_pkg binutils-mingw-w64-i686
add_pkg googletest
add_pkg libgtest-dev
add_pkg wine
add_pkg wine32:i386
add_pkg wine64
add_pkg xvfb
add_pkg xauth
add_pkg nsis
add_pkg python3
add_pkg python3-mpmath
# Signs a release when a certificate is given (scripts/sign-release.sh).
add_pkg osslsigncode
if [ "$want" = test ]; then
  add_pkg clang
  add_pkg clang-tidy
  add_pkg libclang-rt-14-dev
  add_pkg libbenchmark-dev
  add_pkg imagemagick
  add_pkg x11-utils
  add_pkg xdotool
  # The signing test's throwaway certificate.
  add_pkg openssl
  # The Japanese locale, from which Wine takes code page 932 for a test.
  add_pkg locales
  # 7z lists and extracts an NSIS installer's payload, to compare builds.
  add_pkg p7zip-full
fi

as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "$1; run this script as root" >&2
    exit 1
  fi
}

codename() { . /etc/os-release && echo "${VERSION_CODENAME:?}"; }

# Prints "URI KEYRING" of the machine's own source for its release: the
# first deb entry whose suites name the codename, from deb822 files or from
# one-line lists. The keyring may be empty (apt's default trust then holds).
own_debian_source() {
  local release
  release=$(codename)
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v rel="$release" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " rel " ") && uri != "") {
          print uri, key; found = 1; exit
        }
        types = suites = uri = key = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      tolower($1) == "types:"     { $1 = ""; types = $0 }
      tolower($1) == "suites:"    { $1 = ""; suites = $0 }
      tolower($1) == "uris:"      { uri = $2 }
      tolower($1) == "signed-by:" { key = $2 }
      END { if (!found) flush() }
    ' "$f" | head -n 1 | grep . && return 0
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v rel="$release" '
      $1 != "deb" { next }
      {
        key = ""; i = 2
        if ($2 ~ /^\[/) {
          for (; i <= NF; i++) {
            if ($i ~ /signed-by=/) { key = $i; sub(/.*signed-by=/, "", key); sub(/\]$/, "", key) }
            if ($i ~ /\]$/) { i++; break }
          }
        }
        if ($(i + 1) == rel) { print $i, key; exit }
      }
    ' "$f" | head -n 1 | grep . && return 0
  done
  return 1
}

# The emulator's major version that apt would install from the release.
candidate_qemu_major() {
  apt-cache policy qemu-user-static 2>/dev/null |
    sed -n 's/^ *Candidate: *\(1:\)\{0,1\}\([0-9]*\).*/\2/p'
}

# Installs qemu-user-static recent enough to start Wine in about a second
# (bookworm's 7.2 needs about 50 s a process). Where the release's own is
# older than 9, the release's backports are added from the machine's own
# source for this one install and removed afterwards.
install_recent_qemu() {
  local installed
  installed=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
  if [[ $installed =~ ^(1:)?([0-9]+) ]] && [ "${BASH_REMATCH[2]}" -ge 9 ]; then return 0; fi
  apt-get update -q
  local major
  major=$(candidate_qemu_major)
  if [ -n "$major" ] && [ "$major" -ge 9 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static
    return 0
  fi
  local source uri key release
  source=$(own_debian_source) || { echo "no Debian source for $(codename) in the apt configuration" >&2; exit 1; }
  read -r uri key <<<"$source"
  release=$(codename)
  local list=/etc/apt/sources.list.d/tessarim-temporary-backports.sources
  trap 'rm -f "$list"; apt-get update -q >/dev/null 2>&1 || true' EXIT
  {
    echo "Types: deb"
    echo "URIs: $uri"
    echo "Suites: $release-backports"
    echo "Components: main"
    [ -n "$key" ] && echo "Signed-By: $key"
  } >"$list"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t "$release-backports" qemu-user-static
  rm -f "$list"
  apt-get update -q >/dev/null 2>&1 || true
  trap - EXIT
}

# True when 32-bit programs start here in reasonable time: natively, or
# through whatever binfmt_misc entry the machine already has.
i386_runs() { timeout 20 "$1" --version >/dev/null 2>&1; }

# 32-bit Wine needs the kernel to run 32-bit Linux programs. Where it does
# not, a user-mode i386 emulator is registered under our own entry name;
# entries of others are left as they are (the newest entry is tried first).
ensure_i386_runs() {
  local loader=/usr/lib/wine/wine
  [ -x "$loader" ] || return 0
  i386_runs "$loader" && return 0
  as_root "this kernel cannot run 32-bit programs in reasonable time"
  install_recent_qemu
  local misc=/proc/sys/fs/binfmt_misc
  [ -f "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
  i386_runs "$loader" && return 0
  # Ours may be stale (an F entry keeps the emulator binary it was given).
  [ -f "$misc/tessarim-i386" ] && echo -1 >"$misc/tessarim-i386"
  printf '%s' ':tessarim-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$misc/register"
  i386_runs "$loader" || { echo "32-bit programs still do not start through the i386 emulator" >&2; exit 1; }
}

if [ ${#need[@]} -gt 0 ]; then
  as_root "missing packages: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi
ensure_i386_runs

# Wine takes code page 932 (ANSI and OEM) from LC_ALL=ja_JP.UTF-8 once glibc
# has that locale; the install test runs one case under it.
if [ "$want" = test ] && ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  as_root "the locale ja_JP.UTF-8 is missing"
  if ! grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  fi
  locale-gen
fi
