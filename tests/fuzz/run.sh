#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while on a copy of its seed corpus,
# two at a time. Exit status 1 when any target finds a crash; the crashing input is kept in
# build/fuzz/crashes/<target>/.
#   tests/fuzz/run.sh [SECONDS]     default 30; for a real search give 600 or more
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../.."
seconds=${1:-30}
build=build/fuzz
scripts/bootstrap.sh fuzz
scripts/configure.sh fuzz "$build"
cmake --build "$build" -j"$(nproc)" -- --quiet
targets=(report linereader integer cmdline text)
status=0
run() {
  local target=$1 corpus=$build/corpus/$1 crashes=$build/crashes/$1
  mkdir -p "$corpus" "$crashes"
  "$build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "tests/fuzz/corpus/$target" >"$build/fuzz_$target.log" 2>&1
}
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for target in "${targets[@]:i:2}"; do
    run "$target" &
    pids+=("$!:$target")
  done
  for entry in "${pids[@]}"; do
    if ! wait "${entry%%:*}"; then
      echo "FAILED: fuzz_${entry#*:} (see $build/fuzz_${entry#*:}.log)"
      tail -n 30 "$build/fuzz_${entry#*:}.log"
      status=1
    fi
  done
done
for target in "${targets[@]}"; do
  log=$build/fuzz_$target.log
  printf 'fuzz_%-11s %s, %s\n' "$target" "$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') runs" \
    "coverage $(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
done
exit $status
