#!/usr/bin/env bash
# Times whole runs of Tessal as users run it, on a generated log, each against `cat` of the same
# bytes to the same place: the cost of just moving them.
#   bench/run.sh [SIZE_MB] [RUNS]     defaults: 100 MB, 5 runs; medians are reported
#   bench/run.sh --smoke              a few MB, once: that the benchmark itself still works
#   bench/run.sh --follow             the figures of following with /f only
#   TESSAL=path/to/Tessal bench/run.sh   times that program instead, say an older build
# Cases: no filter, a filter that keeps about 2% of the lines and an exclusion list, to /dev/null
# (against cat of the log and the report there); no filter to a file and to a pipe (against cat of
# the report to the same place). Then the peak memory for the log and for one 64 MiB line, and,
# where the Windows builds and wine are there, the shipped 32-bit exe against the 64-bit build.
# Following a log with /f: the time from a line's end being written to its block reaching a pipe
# (median and worst of 100 appends at random moments), the CPU time a minute of waiting costs,
# and the peak resident memory before and after a million records are appended.
set -euo pipefail
shopt -s inherit_errexit  # a run that fails inside $(...) stops the benchmark too
cd "$(dirname "$0")/.."
root=$PWD
size=${1:-100} runs=${2:-5} smoke=0
follow_only=0
if [[ ${1:-} == --smoke ]]; then size=4 runs=1 smoke=1; fi
if [[ ${1:-} == --follow ]]; then size=1 runs=1 follow_only=1; fi

scripts/bootstrap.sh bench
build=$root/build/bench
scripts/configure.sh bench "$build"
cmake --build "$build" -j"$(nproc)" -- --quiet
tessal=${TESSAL:-$build/Tessal}
# The host bench/genlog.cc names in a known share of its events (kFilterPercent there).
filter=printer-7
exclusion=/e:30,32

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Following with /f: latency, idle CPU and memory over a million appended records.
follow_figures() {
  follow_log=$work/follow.log
  record() { # host: one record, its line end included
    printf '11,12/11/26,08:03:10,Renew,192.168.10.47,%s,0A5E31C70707,,7,0,,,,,,,,,0\r\n' "$1"
  }
  cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # user and system time of a process
  follow_pid=
  stop_following() {
    if [[ -n $follow_pid ]]; then
      kill -INT "$follow_pid" 2>/dev/null || true
      wait "$follow_pid" 2>/dev/null || true
    fi
    follow_pid=
  }
  trap 'stop_following; rm -rf "$work"' EXIT

  # Latency: each record is appended at a random moment; the time runs from the write of its line
  # end to its block's host line read from the pipe the program writes to.
  appends=$((smoke ? 10 : 100))
  : >"$follow_log"
  mkfifo "$work/follow.pipe"
  env --default-signal=INT "$tessal" "$follow_log" /f >"$work/follow.pipe" &
  follow_pid=$!
  exec 8<"$work/follow.pipe"
  # Reads the program's output up to a line that begins with the text; false at its end, or when
  # nothing comes for 30 seconds.
  read_until() {
    local line
    while IFS= read -r -t 30 line <&8; do [[ $line == "$1"* ]] && return 0; done
    return 1
  }
  read_until " Waiting" || { echo "following: the program does not follow (no /f?)"; exit 1; }
  latencies=()
  for ((i = 1; i <= appends; i++)); do
    sleep "0.$(printf '%03d' $((RANDOM % 400)))"
    start=$EPOCHREALTIME
    record "HOST-$i" >>"$follow_log"
    read_until "Host Name: HOST-$i"$'\r' || { echo "following: HOST-$i never came"; exit 1; }
    latencies+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
  done
  printf '%s\n' "${latencies[@]}" | sort -n | awk -v n="$appends" '{ v[NR] = $1 } END {
    printf "following: line end to its block in a pipe, %d appends: median %.1f ms, worst %.1f ms (target: under 1000)\n",
      n, v[int((NR + 1) / 2)], v[NR] }'

  # Idle: the CPU time of the process while nothing is written, scaled to a minute when the wait
  # measured is shorter.
  idle=$((smoke ? 3 : 60))
  before=$(cpu_ticks "$follow_pid")
  sleep "$idle"
  after=$(cpu_ticks "$follow_pid")
  awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$idle" -v smoke="$smoke" 'BEGIN {
    ms = t * 1000 / hz * 60 / s
    printf "following: CPU time while waiting: %.0f ms per minute (%.3f%% of a core; measured over %d s%s; target: under 600 ms, 1%%)%s\n",
      ms, ms / 600, s, s == 60 ? "" : ", scaled to a minute", smoke ? " (a smoke run: too short to judge)" : "" }'
  exec 8<&-
  stop_following

  # Memory: a million records appended while the program follows, in 100 writes; the peak
  # resident memory (VmHWM) once it has read the first write (its read block and output buffer
  # are then in use) and once it has read them all.
  records_appended=$((smoke ? 20000 : 1000000))
  : >"$follow_log"
  for ((i = 0; i < 10000; i++)); do record "PC-$((i % 500))"; done >"$work/chunk.log"
  env --default-signal=INT "$tessal" "$follow_log" /f >/dev/null &
  follow_pid=$!
  hwm() { awk '/^VmHWM:/ { print $2 }' "/proc/$follow_pid/status"; }
  log_position() { # how far the program has read the log
    local fd
    for fd in /proc/"$follow_pid"/fd/*; do
      if [[ $(readlink "$fd") == "$follow_log" ]]; then
        awk '/^pos:/ { print $2 }' "/proc/$follow_pid/fdinfo/${fd##*/}"
        return
      fi
    done
    echo -1
  }
  caught_up() { # waits until the program has read the whole log
    local size
    size=$(stat -c %s "$follow_log")
    until (($(log_position) == size)); do sleep 0.05; done
  }
  caught_up
  cat "$work/chunk.log" >>"$follow_log"
  caught_up
  hwm_first=$(hwm)
  for ((i = 1; i < records_appended / 10000; i++)); do cat "$work/chunk.log" >>"$follow_log"; done
  caught_up
  printf 'following: peak resident memory %s KiB after 10000 records appended, %s KiB after %s (%s MB)\n' \
    "$hwm_first" "$(hwm)" "$records_appended" "$(($(stat -c %s "$follow_log") / 1000000))"
  stop_following
  rm -f "$follow_log" "$work/chunk.log"
}
if ((follow_only)); then
  follow_figures
  exit 0
fi
log=$work/log-$size.log out=$work/out-$size.txt
"$build/genlog" "$size" >"$log"
"$tessal" "$log" >"$out"

# Wall time of a command, in milliseconds.
ms_of() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) * 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The medians of a case and of its reference, run in turns so that a busy moment of the machine
# falls on both.
paired_medians() {  # case, reference
  local a=() b=()
  for ((i = 0; i < runs; i++)); do
    a+=("$(ms_of "$1")")
    b+=("$(ms_of "$2")")
  done
  echo "$(printf '%s\n' "${a[@]}" | median) $(printf '%s\n' "${b[@]}" | median)"
}
floor_null() { cat "$log" "$out" >/dev/null; }
plain_null() { "$tessal" "$log" >/dev/null; }
filter_null() { "$tessal" "$log" "$filter" >/dev/null; }
exclusion_null() { "$tessal" "$log" "$exclusion" >/dev/null; }
floor_file() { cat "$out" >"$work/file-out.txt"; }
# cat copies a file to a file inside the kernel (copy_file_range); a program that makes its output
# reads and writes, as dd does: the second reference.
dd_file() { dd if="$out" of="$work/file-out.txt" bs=256K status=none; }
plain_file() { "$tessal" "$log" >"$work/file-out.txt"; }
floor_pipe() { cat "$out" | cat >/dev/null; }
plain_pipe() { "$tessal" "$log" | cat >/dev/null; }

floor_null  # warm the page cache
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
kept "filter $filter" "$("$tessal" "$log" "$filter" | blocks)"
kept "exclusion $exclusion" "$("$tessal" "$log" "$exclusion" | blocks)"

printf '%-36s %9s %9s %7s %s\n' case ms "cat ms" ratio target
row() {  # case, floor case, target ratio
  local ms floor ratio verdict
  read -r ms floor <<<"$(paired_medians "$1" "$2")"
  ratio=$(awk -v a="$ms" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')
  verdict=$(awk -v r="$ratio" -v t="$3" 'BEGIN { print (r <= t) ? "ok" : "OVER" }')
  ((smoke)) && verdict="(a smoke run: too small to judge)"
  printf '%-36s %9s %9s %7s <= %s %s\n' "$4" "$ms" "$floor" "$ratio" "$3" "$verdict"
}
row plain_null floor_null 1.8 "no filter, to /dev/null"
row filter_null floor_null 0.4 "filter $filter, to /dev/null"
row exclusion_null floor_null 1.8 "exclusion $exclusion, to /dev/null"
row plain_file floor_file 1.1 "no filter, to a file"
row plain_file dd_file 1.1 "no filter, to a file, against dd"
row plain_pipe floor_pipe 1.1 "no filter, to a pipe"
rm -f "$work/file-out.txt"

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
printf 'peak resident memory, %s MB log: %s KiB (target: under 8192)\n' "$size" "$(peak "$tessal" "$log")"
line_mb=$((smoke ? 4 : 64))
{ printf '11,'; head -c $((line_mb * 1024 * 1024)) /dev/zero | tr '\0' x; printf ',x\r\n'; } >"$work/line.log"
printf 'peak resident memory, one line of %s MiB: %s KiB (target: under %s)\n' "$line_mb" \
  "$(peak "$tessal" "$work/line.log")" "$((3 * line_mb * 1024))"
rm -f "$work/line.log"

# The shipped 32-bit exe against the 64-bit Windows build, both under wine on the same smaller
# log: a ratio, since wine's own cost is in both.
shipped=$root/build/release/Tessal.exe win64=$root/build/win64/Tessal.exe
if /usr/lib/wine/wine --version >/dev/null 2>&1 && [[ -x /usr/lib/wine/wine64 && -f $shipped && -f $win64 ]]; then
  export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
  small=$work/small.log
  head -c $((smoke ? 1000000 : 20000000)) "$log" >"$small"
  small_windows="Z:${small//\//\\}"
  exe32() { /usr/lib/wine/wine "$shipped" "$small_windows" >/dev/null; }
  exe64() { /usr/lib/wine/wine64 "$win64" "$small_windows" >/dev/null; }
  exe32  # the first start of a wine server and its prefix is not the program's cost
  read -r ms32 ms64 <<<"$(paired_medians exe32 exe64)"
  awk -v a="$ms32" -v b="$ms64" -v mb="$((smoke ? 1 : 20))" -v smoke="$smoke" 'BEGIN {
    printf "under wine, %s MB: shipped 32-bit exe %s ms, 64-bit build %s ms: %.2f x (target: at most 1.3)%s\n",
      mb, a, b, a / b, smoke ? " (a smoke run: too small to judge)" : "" }'
else
  echo "under wine: skipped (needs wine, a 32-bit wine that starts, build/release/Tessal.exe and build/win64/Tessal.exe)"
fi

follow_figures

if ((smoke)); then
  "$build/micro_bench" --benchmark_min_time=0.01 --benchmark_counters_tabular=true "$log" "$filter"
else
  "$build/micro_bench" --benchmark_counters_tabular=true "$log" "$filter"
fi
