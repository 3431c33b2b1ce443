#!/usr/bin/env bash
# Times whole runs of Tessal on a generated log against the cost of just moving its bytes.
#   bench/run.sh [SIZE_MB] [RUNS]     defaults: 200 MB, 5 runs; medians are reported
#   bench/run.sh --smoke              a few MB, once: that the benchmark itself still works
set -euo pipefail
shopt -s inherit_errexit  # a run that fails inside $(...) stops the benchmark too
cd "$(dirname "$0")/.."
root=$PWD
size=${1:-200} runs=${2:-5} smoke=0
if [[ ${1:-} == --smoke ]]; then size=4 runs=1 smoke=1; fi

if ! command -v /usr/bin/time >/dev/null || [[ ! -e /usr/lib/x86_64-linux-gnu/cmake/benchmark ]]; then
  apt-get update || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends time libbenchmark-dev
fi
build=$root/build/bench
scripts/configure.sh bench "$build"
cmake --build "$build" -j"$(nproc)" -- --quiet
tessal=$build/Tessal
# The host bench/genlog.cc names in a known share of its events (kFilterPercent there).
filter=printer-7

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log-$size.log out=$work/out-$size.txt
"$build/genlog" "$size" >"$log"
"$tessal" "$log" >"$out"

# Median wall time of a command, in milliseconds.
median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start=$EPOCHREALTIME
    "$@"
    local end=$EPOCHREALTIME
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
floor_run() { cat "$log" "$out" >/dev/null; }
plain_null() { "$tessal" "$log" >/dev/null; }
plain_file() { "$tessal" "$log" >"$work/file-out.txt"; }
filter_host() { "$tessal" "$log" "$filter" >/dev/null; }
exclusion() { "$tessal" "$log" /e:30,32 >/dev/null; }

floor_run  # warm the page cache
floor=$(median_ms floor_run)
lines=$(wc -l <"$log")
printf 'log %s MB, %s lines in, %s bytes out, output md5 %s\n' "$size" "$lines" \
  "$(wc -c <"$out")" "$(md5sum <"$out" | cut -d' ' -f1)"
# What the filter and the exclusion keep, counted in blocks (one event line each).
blocks() { grep -c '^Event: ' || true; }
kept() {  # what, blocks kept
  awk -v what="$1" -v n="$2" -v r="$records" -v l="$lines" 'BEGIN {
    printf "%s keeps %d of %d records (%.2f%%; %.2f%% of the lines)\n", what, n, r, 100 * n / r, 100 * n / l }'
}
records=$(blocks <"$out")
filtered=$("$tessal" "$log" "$filter" | blocks)
excluded=$("$tessal" "$log" /e:30,32 | blocks)
kept "filter $filter" "$filtered"
kept "exclusion /e:30,32" "$excluded"
printf '%-34s %10s %8s\n' case "ms" "x floor"
printf '%-34s %10s %8s\n' "floor: cat log and output" "$floor" "1.00"
for case in plain_null plain_file filter_host exclusion; do
  ms=$(median_ms $case)
  ratio=$(awk -v a="$ms" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')
  printf '%-34s %10s %8s\n' "$case" "$ms" "$ratio"
done
rm -f "$work/file-out.txt"

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
kib=$(peak "$tessal" "$log")
printf 'peak resident memory, %s MB log: %s KiB\n' "$size" "$kib"
line_mb=$((smoke ? 4 : 64))
{ printf '11,'; head -c $((line_mb * 1024 * 1024)) /dev/zero | tr '\0' x; printf ',x\r\n'; } >"$work/line.log"
kib=$(peak "$tessal" "$work/line.log")
printf 'peak resident memory, one line of %s MiB: %s KiB\n' "$line_mb" "$kib"
rm -f "$work/line.log"

if ((smoke)); then
  "$build/micro_bench" --benchmark_min_time=0.01 --benchmark_counters_tabular=true "$log" "$filter"
else
  "$build/micro_bench" --benchmark_counters_tabular=true "$log" "$filter"
fi
