#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the given private prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Creates the prefix on first use (under a lock, since CTest runs tests in
# parallel) and gives the program an X display: the one in DISPLAY, or a
# private Xvfb when there is none.
set -euo pipefail
prefix=$1; shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# One locale for every Wine run, so that the code pages are known: Wine
# takes C.UTF-8 for US English, ANSI code page 1252 and OEM code page 437
# (the uninstaller's tests check both), and keeps file names on the Linux
# side in UTF-8, so that any Windows name can be stored. C.UTF-8 is on every
# Debian; a locale that glibc lacks would give Wine another file-name code.
export LC_ALL=C.UTF-8

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  ) 9>"$prefix.lock"
fi

# The Wine server outlives the program that starts it. Started by the
# program, it would keep the program's standard output open, and CTest
# waits for a test's pipes to close: a test that happened to start the
# server would hang until every other Wine program of the prefix ended.
# Started here without standard handles, it holds nobody's pipe; it stays
# five seconds after its last client, long enough for the program below.
wineserver -p5 </dev/null >/dev/null 2>&1 || true

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
