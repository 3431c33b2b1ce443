#!/usr/bin/env bash
# A wildcard in argument 1: whole runs over folders of logs whose write times are not in the
# order of their names, natively and under wine. Each case compares the whole standard output,
# byte for byte, with a file of EXPECTED_DIR in which @DIR@ stands for the folder as the run
# names it, @PATTERN@ for argument 1 as typed, @EXEDIR@ for the program's folder as it spells
# it and @VERSION@ for the version the build was given (TESSAL_VERSION); and the exit status, and
# standard error.
#   run.sh EXE EXPECTED_DIR WEEK_DIR WORK_DIR HOLDER EMULATOR...
# WEEK_DIR holds the week's logs. WORK_DIR, beside the program, is where the folders are made,
# so that a relative pattern reaches them. HOLDER is the program that holds a log open under
# wine ("-" natively, where this shell holds it).
set -euo pipefail
: "${TESSAL_VERSION:?the version of the build under test}"
exe=$1 expected=$2 week=$3 work=$4 holder=$5
shift 5
emulator=("$@")

work=$(cd "$work" && pwd -P)
exe_dir=$(cd "$(dirname "$exe")" && pwd -P)
[[ $work == "$exe_dir"/* ]] || {
  echo "FAILED: $work is not below the program's folder $exe_dir"
  exit 1
}
if ((${#emulator[@]})); then
  windows=1 sep=\\ module='Tessal\.exe'
  # Names as the Windows program spells them: wine's drive Z: is the root.
  spelt() {
    local name="Z:$1"
    printf '%s' "${name//\//\\}"
  }
else
  windows=0 sep=/ module=Tessal
  spelt() { printf '%s' "$1"; }
fi
exedir_text=$(spelt "$exe_dir/")
beside_program() { ls -A "$exe_dir"; }
before=$(beside_program)
away=$(mktemp -d)  # where the program is started: not its own folder
holder_pid=
release() {
  exec 7>&- 2>/dev/null || true
  if [[ -n $holder_pid ]]; then
    wait "$holder_pid" || true
    holder_pid=
  fi
}
trap 'release; chmod -R u+rwX "$work"; rm -rf "$away" "${work:?}"/*' EXIT
rm -rf "${work:?}"/*

# A folder of the week's logs, each last written on the evening of its day, except Fri and Sat,
# restored from a backup at one time. The name order (Fri Mon Sat Thu Tue Wed) is none of that.
declare -A written=(
  [Mon]="2022-10-31 23:59:58" [Tue]="2022-11-01 23:59:58" [Wed]="2022-11-02 23:59:58"
  [Thu]="2022-11-03 23:59:58" [Fri]="2022-11-05 06:00:00" [Sat]="2022-11-05 06:00:00"
)
make_folder() {  # folder day...
  local folder=$work/$1 day
  shift
  mkdir -p "$folder"
  for day in "$@"; do
    cp "$week/DhcpSrvLog-$day.log" "$folder/"
    touch -d "${written[$day]} UTC" "$folder/DhcpSrvLog-$day.log"
  done
}

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# case | expected file | exit status | standard error (a regular expression; "" for none) |
# folder for @DIR@ | argument 1 | further arguments...
run_as=()
run_case() {
  local name=$1 wanted=$2 status=$3 stderr=$4 dir=$5 pattern=$6 rc=0 text err
  shift 6
  (cd "$away" && "${run_as[@]}" "${emulator[@]}" "$exe" "$pattern" "$@" >"$away/out" 2>"$away/err") ||
    rc=$?
  IFS= read -r -d '' text <"$expected/$wanted" || true
  text=${text//@DIR@/"$dir"}
  text=${text//@PATTERN@/"$pattern"}
  text=${text//@EXEDIR@/"$exedir_text"}
  text=${text//@VERSION@/"$TESSAL_VERSION"}
  printf '%s' "$text" >"$away/wanted"
  IFS= read -r -d '' err <"$away/err" || true
  if [[ $rc != "$status" ]]; then
    fail "$name: exit status $rc, wanted $status"
  elif ! cmp -s "$away/out" "$away/wanted"; then
    fail "$name: the output differs from $wanted (line ends shown as LF):"
    diff <(tr -d '\r' <"$away/wanted") <(tr -d '\r' <"$away/out") | head -n 20 || true
  elif [[ -z $stderr && -n $err ]] || ! [[ $err =~ ^$stderr$ ]]; then
    fail "$name: standard error: $err"
  else
    echo "ok: $name"
  fi
}

# The superuser reads every file and lists every folder: the next runs are then nobody's.
as_ordinary_user() {
  if ((EUID == 0)); then run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --); fi
}

# Holds a log open from another process while a case runs: for writing, or (lock) against
# everyone. Natively this shell holds it for writing, and a lock is a log the user may not read.
hold() {  # write FILE LINE | lock FILE
  if ((windows)); then
    mkfifo "$away/hold_in"
    "${emulator[@]}" "$holder" "$1" "$(spelt "$2")" "${@:3}" <"$away/hold_in" >"$away/held" &
    holder_pid=$!
    exec 7>"$away/hold_in"
    rm "$away/hold_in"
    for _ in $(seq 600); do
      grep -q held "$away/held" 2>/dev/null && return
      sleep 0.1
    done
    fail "the holder did not take $2"
  elif [[ $1 == write ]]; then
    exec 7>>"$2"
    printf '%s\r\n' "$3" >&7
  else
    chmod 000 "$2"
    as_ordinary_user
  fi
}

make_folder week Mon Tue Wed Thu Fri Sat
week_dir=$(spelt "$work/week/")
# Matched by the pattern, but a folder: passed over, though it is the oldest entry.
mkdir "$work/week/DhcpSrvLog-Dir.log"
touch -d "2022-10-01 UTC" "$work/week/DhcpSrvLog-Dir.log"
printf 'not a log\r\n' >"$work/week/notes.txt"

run_case "a week, oldest first; Ctrl-Z ends one log only" wildcard_week.out 0 "" "$week_dir" \
  "${week_dir}DhcpSrvLog-*.log"
run_case "question marks, relative to the program's folder, with a filter" wildcard_nack.out 0 "" \
  "$week_dir" "wildcard${sep}week${sep}DhcpSrvLog-T??.log" NACK
run_case "no match" wildcard_none.out 2 "" "$week_dir" "${week_dir}DhcpSrvLog-*.txt" NACK
run_case "only a folder matches" wildcard_none.out 2 "" "$week_dir" "${week_dir}DhcpSrvLog-D*" NACK
run_case "a folder that is not there" wildcard_none.out 2 "" "$week_dir" \
  "${week_dir}absent${sep}DhcpSrvLog-*.log" NACK
if ((windows)); then
  # Found in any letter case, and named as the folder spells them.
  run_case "letter case" wildcard_nack.out 0 "" "$week_dir" "${week_dir}dhcpsrvlog-t??.LOG" nack
else
  run_case "letter case" wildcard_none.out 2 "" "$week_dir" "${week_dir}dhcpsrvlog-t??.LOG" nack
fi

# Both logs of a server that also serves IPv6, each decoded as its kind: Monday's DHCPv6 log by
# its header, Tuesday's, which has none, by its name. Each was last written a moment after the
# IPv4 log of its day.
make_folder both Mon Tue
for day in Mon Tue; do
  cp "$week/DhcpV6SrvLog-$day.log" "$work/both/"
  touch -d "${written[$day]} UTC + 1 second" "$work/both/DhcpV6SrvLog-$day.log"
done
both_dir=$(spelt "$work/both/")
run_case "both logs of each day" wildcard_both.out 0 "" "$both_dir" "${both_dir}Dhcp*SrvLog-*.log"

# Today's log, held open for writing by the server, which has just written one more line.
make_folder live Mon Wed Fri
live_dir=$(spelt "$work/live/")
hold write "$work/live/DhcpSrvLog-Fri.log" \
  "12,11/05/22,10:30:00,Release,192.168.10.26,PC-LIVE,02A4C1D20106,,107,0,,,,,,,,,0"
run_case "the live log among the matches" wildcard_live.out 0 "" "$live_dir" \
  "${live_dir}DhcpSrvLog-*.log"
release

# The second log cannot be read: the first is written in full, the run ends there.
make_folder locked Mon Tue Wed
locked_dir=$(spelt "$work/locked/")
hold lock "$work/locked/DhcpSrvLog-Tue.log"
if ((windows)); then message="I/O error 32"; else message="File access denied"; fi
run_case "a second log that cannot be read" wildcard_locked.out 1 \
  "Exception EInOutError in module $module at [0-9A-F]+\\."$'\r\n'"$message\\."$'\r\n\r\n' \
  "$locked_dir" "${locked_dir}DhcpSrvLog-*.log"
release
run_as=()

if ((!windows)); then
  # A folder the user may not list fails as a log the user may not read, not as a missing one.
  make_folder closed Mon
  chmod 000 "$work/closed"
  as_ordinary_user
  run_case "a folder that may not be listed" wildcard_closed.out 1 \
    "Exception EInOutError in module $module at [0-9A-F]+\\."$'\r\nFile access denied\\.\r\n\r\n' \
    "$work/closed/" "$work/closed/DhcpSrvLog-*.log"
  run_as=()
  chmod 755 "$work/closed"

  # A log whose name really holds the star is that one log, printed as any single log.
  make_folder literal Mon
  cp "$week/DhcpSrvLog-Tue.log" "$work/literal/DhcpSrvLog-*.log"
  run_case "a file named with a star" wildcard_literal.out 0 "" "$work/literal/" \
    "$work/literal/DhcpSrvLog-*.log"
fi

if ((!windows)); then
  # Thousands of logs: each is let go of once it is read, so that a few handles do, and no more
  # than names and times is kept, so that they need hardly more memory than one. The filter
  # keeps the output to the lines that name the logs.
  record="11,11/02/22,14:08:40,Renew,192.168.10.25,PC-01,A1B2C3D4E5F6,,123,0,,,,,,,,,0"$'\r\n'
  printf -v contents '%s' "$record"{1..50}
  peak_of() {  # logs: the peak resident memory in KiB of a run over that many (1: named alone)
    local folder=$work/many-$1 i rc=0 logs=-1 argument
    mkdir "$folder"
    for i in $(seq -w 1 "$1"); do printf '%s' "$contents" >"$folder/DhcpSrvLog-$i.log"; done
    argument="$folder/DhcpSrvLog-*.log"
    if (($1 == 1)); then argument=$folder/DhcpSrvLog-1.log; fi
    (ulimit -n 16 && /usr/bin/time -f %M -o "$away/peak" "$exe" "$argument" \
      no-such-host >"$away/out" 2>"$away/err") || rc=$?
    if (($1 > 1)); then logs=$(grep -c '^ Log: ' "$away/out" || true); fi
    if ((rc != 0 || (logs != $1 && $1 > 1))); then
      fail "$1 logs: exit status $rc, $logs logs read: $(head -c 300 "$away/err")"
    fi
    rm -rf "$folder"
    peak=$(<"$away/peak")
  }
  peak_of 1 && one=$peak
  peak_of 200 && few=$peak
  peak_of 2000 && many=$peak
  if [[ -n ${TESSAL_NO_PEAKS:-} ]]; then
    # The sanitizers keep freed memory in quarantine: there a peak tells nothing.
    echo "ok: 2000 logs with 16 handles (peak memory not compared in this build)"
  elif ((few > one + 1024 || many > one + 1024)); then
    fail "peak memory of one log $one KiB, of 200 logs $few KiB, of 2000 logs $many KiB"
  else
    echo "ok: 2000 logs with 16 handles; peak memory of one log $one KiB, of 200 $few, of 2000 $many"
  fi
fi

if [[ $(beside_program) != "$before" ]]; then fail "the runs left files beside the program"; fi
exit $failed
