#!/usr/bin/env bash
# The longer fuzzing run: each libFuzzer target for SECONDS (default 600),
# one after the other, from the seed corpus and what earlier runs found
# (kept in build/fuzz/tests/fuzz/work/). Prints each target's executions and
# stops at the first failure, whose reproducer lands in that work folder.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(text_to_number_fuzz number_to_text_fuzz handler_fuzz fact_fuzz script_text_fuzz call_line_fuzz)

scripts/install-deps.sh test
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzzers -j2

summary=()
for target in "${targets[@]}"; do
  work=build/fuzz/tests/fuzz/work/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  echo "=== $target, $seconds s ==="
  log=$work/last-run.log
  if ! build/fuzz/tests/fuzz/$target -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "tests/fuzz/corpus/$target" \
      >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$target FAILED; reproducer in $work/artifacts/"
    exit 1
  fi
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  summary+=("$(printf '%-22s %12s executions  %8s per second  corpus %s files' "$target" "$units" "$rate" \
    "$(ls "$work/corpus" | wc -l)")")
  echo "${summary[-1]}"
done
echo
echo "all targets passed, $seconds s each:"
printf '  %s\n' "${summary[@]}"
