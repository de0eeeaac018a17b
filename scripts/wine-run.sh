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

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
