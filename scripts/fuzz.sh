#!/usr/bin/env bash
# The longer fuzzing run: each libFuzzer target for SECONDS (default 600),
# one after the other, from the seed corpus and what earlier runs found
# (kept in build/fuzz/tests/fuzz/work/). Prints each target's executions and
# stops at the first failure, whose reproducer lands in that work folder.
# The targets and their options are the fuzz preset's CTest tests
# (tests/fuzz/CMakeLists.txt), run here with a longer time.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
. "$(dirname "$0")/common.sh"

seconds=${1:-600}
[ $# -gt 0 ] && shift

scripts/install-deps.sh test
build_preset fuzz fuzzers

# One line per target: its name, its work folder and its command as CTest
# runs it, shell-quoted, with SECONDS in place of the test run's time.
declare -A work_of command_of
order=()
while IFS=$'\t' read -r name work command; do
  order+=("$name")
  work_of[$name]=$work
  command_of[$name]=$command
done < <(ctest --preset fuzz -L fuzz --show-only=json-v1 | python3 -c '
import json, os, shlex, sys
for test in json.load(sys.stdin)["tests"]:
    command = [("-max_total_time=" + sys.argv[1]) if a.startswith("-max_total_time=") else a
               for a in test["command"]]
    artifacts = next(a for a in command if a.startswith("-artifact_prefix="))
    work = os.path.dirname(artifacts.split("=", 1)[1].rstrip("/"))
    print(test["name"], work, shlex.join(command), sep="\t")
' "$seconds")

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${order[@]}")

summary=()
for target in "${targets[@]}"; do
  [ -n "${command_of[$target]:-}" ] || { echo "no fuzz target $target (there are: ${order[*]})" >&2; exit 2; }
  work=${work_of[$target]}
  eval "command=(${command_of[$target]})"
  echo "=== $target, $seconds s ==="
  log=$work/last-run.log
  if ! "${command[@]}" >"$log" 2>&1; then
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
