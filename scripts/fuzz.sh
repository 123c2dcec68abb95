#!/usr/bin/env bash
# Builds the fuzzers (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build/fuzz and runs every target: its regression inputs and seeds
# first, then new inputs for FUZZ_SECONDS (20) each; FUZZ_RUNS=N runs N
# executions instead. Targets run one after another, one process each.
# Usage: bash scripts/fuzz.sh [target...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}/fuzz
seconds=${FUZZ_SECONDS:-20}
runs=${FUZZ_RUNS:-}

# The test command has installed them already.
[ -n "${DEPS_READY:-}" ] || bash "$root/scripts/install-deps.sh" || { echo "dependency install failed"; exit 1; }
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" -- --no-print-directory | grep -E 'warning|error|Error'
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzzer build failed"; exit 1; }

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(NetServiceNamesFuzz SqlNetFuzz AliasFileFuzz SqlServerListsFuzz)
limit=(-max_total_time="$seconds")
[ -n "$runs" ] && limit=(-runs="$runs")

status=0
for t in "${targets[@]}"; do
  work=$build/work/$t
  mkdir -p "$work" "$build/crashes" "$build/logs"
  log=$build/logs/$t.log
  inputs=("$root/fuzz/corpus/$t")
  [ -d "$root/fuzz/regressions/$t" ] && inputs+=("$root/fuzz/regressions/$t")
  # New inputs go to the work folder; the seeds in the tree stay as they are.
  if "$build/$t" -runs=0 "${inputs[@]}" >"$log" 2>&1 &&
     "$build/$t" "${limit[@]}" -max_len=1024 -print_final_stats=1 -artifact_prefix="$build/crashes/$t-" \
       "$work" "${inputs[@]}" >>"$log" 2>&1; then
    result=passed
  else
    result=FAILED; status=1
    grep -E 'invariant broken|ERROR:|runtime error|SUMMARY|Test unit written' "$log" | head -5
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  echo "$t: $result, ${executions:-?} executions, ${rate:-?} exec/s (log: $log)"
done
exit $status
