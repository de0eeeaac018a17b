# What the build, test, benchmark, accuracy and screenshot commands share,
# sourced by each: building a preset, a private X display, Windows programs
# under Wine in a build's prefix, and one exit path that ends every Wine
# server they used before the display, so that no program is left running
# and no client reports the display's end. Leaves the current directory at
# the tree's root.
#   . "$(dirname "$0")/common.sh"

cd "$(dirname "${BASH_SOURCE[0]}")/.."
tessarim_root=$PWD
# The Windows build's prefix, which its CTest tests use too.
mingw32_prefix=$tessarim_root/build/mingw32/wineprefix

tessarim_exit_steps=()
tessarim_wine_prefixes=()
tessarim_wine_folders=()
tessarim_display_pid=
tessarim_display_dir=

# Runs CMD (one shell command line) on exit, after the steps added before it.
at_exit() { tessarim_exit_steps+=("$1"); }

tessarim_exit() {
  local step folder prefix
  # Each step may fail (a server already gone): the script's status stands.
  for step in "${tessarim_exit_steps[@]}"; do eval "$step" || true; done
  for folder in "${tessarim_wine_folders[@]}"; do
    for prefix in "$folder"/*/; do
      [ ! -f "$prefix/system.reg" ] || tessarim_wine_prefixes+=("${prefix%/}")
    done
  done
  # The servers first: their programs are clients of the display.
  for prefix in "${tessarim_wine_prefixes[@]}"; do
    [ -f "$prefix/system.reg" ] || continue
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  done
  if [ -n "$tessarim_display_pid" ]; then
    kill "$tessarim_display_pid" 2>/dev/null || true
    wait "$tessarim_display_pid" 2>/dev/null || true
  fi
  [ -z "$tessarim_display_dir" ] || rm -rf "$tessarim_display_dir"
}
trap tessarim_exit EXIT
trap 'exit 130' INT TERM

# Configures PRESET and builds it: everything, or the TARGETs named. The
# configure step is quiet; the build prints what it does.
build_preset() {
  local preset=$1
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 "${targets[@]}"
}

# Starts a private Xvfb screen (default 1024x768x24) and exports DISPLAY
# and XAUTHORITY: only clients holding the cookie in its own authority
# file may connect. Ended on every exit path.
start_display() {
  local screen=${1:-1024x768x24}
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  tessarim_display_dir=$(mktemp -d)
  export XAUTHORITY=$tessarim_display_dir/Xauthority
  touch "$XAUTHORITY"
  xauth -q -f "$XAUTHORITY" add ":$n" . "$(mcookie)"
  Xvfb ":$n" -auth "$XAUTHORITY" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
  tessarim_display_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  echo "the X server on :$n did not start" >&2
  return 1
}

# Ends the Wine server of PREFIX (and so its programs) on exit.
uses_wine_prefix() {
  local prefix
  for prefix in "$@"; do tessarim_wine_prefixes+=("$(realpath -m "$prefix")"); done
}

# Ends on exit the Wine servers of every prefix in FOLDER, those made
# after this call included (a build folder whose tests make their own).
uses_wine_prefixes_in() { tessarim_wine_folders+=("$(realpath -m "$1")"); }

# Runs PROGRAM ARGS... under 32-bit Wine in PREFIX, which is made on first
# use and kept for later runs; the program's windows go to the display
# (a private one, started here when there is none). Call it from the
# script's own shell, not a subshell, so that the exit path knows both.
run_wine() {
  local prefix
  prefix=$(realpath -m "$1")
  shift
  uses_wine_prefix "$prefix"
  [ -n "${DISPLAY:-}" ] || start_display
  "$tessarim_root/scripts/wine-run.sh" "$prefix" "$@"
}
