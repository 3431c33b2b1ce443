#!/usr/bin/env bash
# Following a log with /f: whole runs of the program while this script plays the DHCP server,
# natively and under wine. The script's steps are its clock: after each write it waits for the
# output that write must bring (or, for what must not show, for a later write's output), with a
# generous deadline, never for a fixed time that a slow machine could outrun.
#   run.sh EXE WORK_DIR EMULATOR...
# WORK_DIR is a folder of the test's own; EMULATOR is empty natively. TESSAL_VERSION is the
# version the build was given.
set -euo pipefail
: "${TESSAL_VERSION:?the version of the build under test}"
exe=$1 work=$2
shift 2
emulator=("$@")

mkdir -p "$work"
work=$(cd "$work" && pwd -P)
if ((${#emulator[@]})); then
  windows=1
  spelt() { # a name as the Windows program spells it: wine's drive Z: is the root
    local name="Z:$1"
    printf '%s' "${name//\//\\}"
  }
else
  windows=0
  spelt() { printf '%s' "$1"; }
fi
deadline=${TESSAL_FOLLOW_DEADLINE:-60} # seconds for any one expected output to appear
pid=
cleanup() {
  if [[ -n $pid ]]; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -rf "${work:?}"/*
}
trap cleanup EXIT
rm -rf "${work:?}"/*

failed=0
fail() {
  echo "FAILED: $case: $*"
  failed=1
}

record() { # host [id]: one record, its line end included
  printf '%s,12/11/26,08:03:%02d,Renew,192.168.10.47,%s,0A5E31C70707,,7,0,,,,,,,,,0\r\n' \
    "${2:-11}" "$((RANDOM % 60))" "$1"
}

# Starts the program on the arguments, its output into $work/out (or what $out names), with
# the stop signals as a user's shell leaves them: a background job of a script would ignore
# SIGINT.
out=
start() {
  out=${out:-$work/out}
  env --default-signal=INT,TERM,HUP "${emulator[@]}" "$exe" "$@" >"$out" 2>"$work/err" &
  pid=$!
}
# Waits until the output holds the text (a fixed string) count times (default once).
wait_for() { # text [count]
  local text=$1 count=${2:-1} end=$((SECONDS + deadline)) n
  while ((SECONDS < end)); do
    n=$(grep -acF -- "$text" "$out" 2>/dev/null || true)
    ((n >= count)) && return 0
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  fail "waited in vain for '$text' (${count}x); the output was:"
  tr -d '\r' <"$out" | tail -n 30
  return 1
}
ends_with_done() { tail -c 6 "$out" | cmp -s - <(printf 'Done\r\n'); }
# Ends the run with the signal and checks that it ended as a normal end: "Done", status 0.
stop() { # signal
  local rc=0
  kill -"$1" "$pid"
  wait "$pid" || rc=$?
  pid=
  if ((rc != 0)); then fail "exit status $rc after SIG$1, wanted 0; standard error: $(head -c 300 "$work/err")"; fi
  if ! ends_with_done; then fail "no Done at the end after SIG$1"; fi
  if [[ -s $work/err ]]; then fail "standard error: $(head -c 300 "$work/err")"; fi
}
# The blocks that a run without /f prints for a log: its output without the banner, the
# settings and "Done".
blocks_of() { # log [arguments...]
  local log=$1
  shift
  "${emulator[@]}" "$exe" "$(spelt "$log")" "$@" | tail -n +7 | head -n -1
}
finish() {
  if ((!failed)); then echo "ok: $case"; fi
  all_failed=$((all_failed | failed))
  failed=0
  out=
}
all_failed=0
waiting=" Waiting for new records; press Ctrl+C to stop."

# --- Whole records appended, byte for byte what a run without /f prints for them; /f among the
# other arguments takes no position.
case="whole records appended, with a filter and /e:"
log=$work/DhcpSrvLog-Wed.log
{ record PC-01; record LAPTOP-7; record PC-01 30; } >"$log"
first_size=$(stat -c %s "$log")
start "$(spelt "$log")" pc-01 /f /e:30
wait_for "$waiting"
record PC-01 >>"$log"
wait_for "Host Name: PC-01" 2
{ record LAPTOP-7; record PC-01 12; record PC-01 30; } >>"$log"
wait_for "Transaction ID: " 3
stop INT
head -c "$first_size" "$log" >"$work/first.log"
tail -c +$((first_size + 1)) "$log" >"$work/added.log"
{
  printf ' v%s\r\n\r\n Filter1: PC-01\r\n Filter2: \r\n Exclude IDs: 30\r\n\r\n' "$TESSAL_VERSION"
  blocks_of "$work/first.log" pc-01 /e:30
  printf '%s\r\n' "$waiting"
  blocks_of "$work/added.log" pc-01 /e:30
  printf 'Done\r\n'
} >"$work/wanted"
if ! cmp -s "$out" "$work/wanted"; then
  fail "the output differs from what a run without /f prints (line ends shown as LF):"
  diff <(tr -d '\r' <"$work/wanted") <(tr -d '\r' <"$out") | head -n 20 || true
fi
finish

# --- A record written in two pieces a second apart appears once, whole, when its end comes.
case="a record in two writes a second apart"
log=$work/split.log
line=$(record PC-SPLIT && printf x) # kept whole, its LF included
line=${line%x}
: >"$log"
start "$(spelt "$log")" /f
wait_for "$waiting"
printf '%s' "${line:0:40}" >>"$log"
sleep 1
if grep -aq "Event:" "$out"; then fail "half a record was shown"; fi
printf '%s' "${line:40}" >>"$log"
wait_for "Host Name: PC-SPLIT"
record PC-AFTER >>"$log"
wait_for "Host Name: PC-AFTER"
stop INT
if (($(grep -ac '^Event:' "$out") != 2)); then fail "$(grep -ac '^Event:' "$out") blocks, wanted 2"; fi
# The split record's block is the one a run without /f prints for its line.
printf '%s' "$line" >"$work/split.one"
blocks_of "$work/split.one" >"$work/split.wanted"
if ! cmp -s <(grep -a -B5 -A13 -F "Host Name: PC-SPLIT" "$out") "$work/split.wanted"; then
  fail "the split record's block is not the one a run without /f prints:"
  diff <(tr -d '\r' <"$work/split.wanted") <(grep -a -B5 -A13 -F "Host Name: PC-SPLIT" "$out" | tr -d '\r') || true
fi
finish

# --- The log started afresh: a " Log: " line, an empty line, then its records from the start.
case="a truncation"
log=$work/DhcpSrvLog-Mon.log
{ record PC-OLD-1; record PC-OLD-2; } >"$log"
start "$(spelt "$log")" /f
wait_for "$waiting"
record PC-NEW >"$log"
wait_for "Host Name: PC-NEW"
record PC-NEWER >>"$log"
wait_for "Host Name: PC-NEWER"
stop INT
if ! tr -d '\r' <"$out" | grep -qxF " Log: $(spelt "$log")"; then fail "no ' Log: ' line naming the log"; fi
if [[ $(tr -d '\r' <"$out" | grep -A1 -F " Log: " | tail -n 1) != "" ]]; then fail "no empty line after ' Log: '"; fi
finish

# --- Midnight: the next weekday's log, planted a week old, is never shown until the server
# writes it; then the rest of today's, " Log: " with tomorrow's full name, and tomorrow's.
case="the midnight switch, Sunday to Monday, past a week-old copy"
mkdir -p "$work/dhcp"
log=$work/dhcp/DhcpSrvLog-Sun.log next=$work/dhcp/DhcpSrvLog-Mon.log
record PC-SUN >"$log"
record PC-LAST-WEEK >"$next"
touch -d "7 days ago" "$next"
start "$(spelt "$log")" /f
wait_for "$waiting"
record PC-SUN-2 >>"$log"
wait_for "Host Name: PC-SUN-2"
record PC-SUN-LATE >>"$log"
record PC-MON >"$next"
wait_for "Host Name: PC-MON"
record PC-MON-2 >>"$next"
wait_for "Host Name: PC-MON-2"
stop INT
if grep -aq "PC-LAST-WEEK" "$out"; then fail "the week-old copy was shown"; fi
tr -d '\r' <"$out" | grep -E '^( Log: |Host Name: )' >"$work/order"
printf '%s\n' "Host Name: PC-SUN" "Host Name: PC-SUN-2" "Host Name: PC-SUN-LATE" \
  " Log: $(spelt "$next")" "Host Name: PC-MON" "Host Name: PC-MON-2" >"$work/order.wanted"
if ! cmp -s "$work/order" "$work/order.wanted"; then
  fail "records and Log: lines out of order:"
  diff "$work/order.wanted" "$work/order" || true
fi
finish

# --- A pipe on standard output sees each record as it comes, not when a buffer fills.
case="a pipe on standard output"
log=$work/pipe.log
record PC-P1 >"$log"
mkfifo "$work/fifo"
cat "$work/fifo" >"$work/piped" &
reader=$!
out=$work/fifo start "$(spelt "$log")" /f
out=$work/piped
wait_for "$waiting"
record PC-P2 >>"$log"
wait_for "Host Name: PC-P2"
stop INT
wait "$reader" || true
finish

# --- A pattern reads every log, oldest first, then follows the newest.
case="a pattern, then the newest followed"
mkdir -p "$work/week"
record PC-TUE >"$work/week/DhcpSrvLog-Tue.log"
record PC-THU >"$work/week/DhcpSrvLog-Thu.log"
touch -d "2 days ago" "$work/week/DhcpSrvLog-Tue.log"
touch -d "1 day ago" "$work/week/DhcpSrvLog-Thu.log"
start "$(spelt "$work/week/")DhcpSrvLog-*.log" /F
wait_for "$waiting"
record PC-THU-2 >>"$work/week/DhcpSrvLog-Thu.log"
wait_for "Host Name: PC-THU-2"
stop INT
if [[ $(tr -d '\r' <"$out" | grep -E '^( Log: |Host Name: |Done)' | tr '\n' '|') != \
  " Log: $(spelt "$work/week/DhcpSrvLog-Tue.log")|Host Name: PC-TUE| Log: $(spelt "$work/week/DhcpSrvLog-Thu.log")|Host Name: PC-THU|Host Name: PC-THU-2|Done|" ]]; then
  fail "not each log in turn, then the newest followed: $(tr -d '\r' <"$out" | grep -E '^( Log: |Host Name: )' | tr '\n' '|')"
fi
finish

# --- A Ctrl-Z that begins a line ends the input, and with it the following.
case="a Ctrl-Z at the start of a line ends the following"
log=$work/ctrlz.log
record PC-Z1 >"$log"
start "$(spelt "$log")" /f
wait_for "$waiting"
{ record PC-Z2; printf '\x1a'; record PC-Z3; } >>"$log"
rc=0
end=$((SECONDS + deadline))
while kill -0 "$pid" 2>/dev/null && ((SECONDS < end)); do sleep 0.05; done
wait "$pid" || rc=$?
pid=
if ((rc != 0)); then fail "exit status $rc, wanted 0"; fi
if ! ends_with_done || grep -aq PC-Z3 "$out" || ! grep -aq PC-Z2 "$out"; then
  fail "not PC-Z2, then Done"
fi
finish

# --- A missing log with /f: the diagnostic lines and exit status 2 at once, as without it.
case="a missing log"
rc=0
"${emulator[@]}" "$exe" "$(spelt "$work/absent.log")" /f >"$work/out" 2>&1 || rc=$?
if ((rc != 2)) || ! grep -aq "Unable to locate" "$work/out"; then fail "exit status $rc"; fi
finish

if ((!windows)); then
  # --- The other stop signals, and one the user's shell told the program to ignore.
  for signal in TERM HUP; do
    case="SIG$signal ends the following as a normal end"
    log=$work/$signal.log
    record PC-SIG >"$log"
    start "$log" /f
    wait_for "$waiting"
    stop "$signal"
    finish
  done
  case="a signal ignored at the start stays ignored"
  log=$work/ignored.log
  record PC-IGN >"$log"
  out=$work/out
  (trap '' HUP && exec env --default-signal=INT,TERM "$exe" "$log" /f >"$out" 2>"$work/err") &
  pid=$!
  wait_for "$waiting"
  kill -HUP "$pid"
  record PC-IGN-2 >>"$log"
  wait_for "Host Name: PC-IGN-2"
  stop INT
  finish

  # --- A stream that is no file is read to its end: nothing to follow.
  case="a pipe as the log"
  rc=0
  "$exe" /dev/stdin /f < <(record PC-STREAM) >"$work/out" 2>&1 || rc=$?
  if ((rc != 0)) || ! grep -aq PC-STREAM "$work/out" || grep -aqF "$waiting" "$work/out"; then
    fail "exit status $rc: $(tr -d '\r' <"$work/out" | tail -n 3)"
  fi
  finish
fi

exit $all_failed
