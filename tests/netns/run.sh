#!/usr/bin/env bash
# Posts syslog notices through the real network stack, inside a network namespace this script
# makes for itself: the broadcast address is routed to its loopback, where a receiver listens,
# and nothing can reach the machine's own network.
#   run.sh RECEIVER PROBE [EMULATOR]
set -euo pipefail
if [[ ${1:-} != --inside ]]; then
  if [[ $(id -u) != 0 ]] || ! unshare --net true 2>/dev/null; then
    echo "SKIPPED: no network namespace can be made here (it needs root); nothing was sent"
    exit 77
  fi
  exec unshare --net "$0" --inside "$@"
fi
shift
receiver=$1 probe=$2 emulator=${3:-}
probe_dir=$(dirname "$probe")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

hex() { od -An -v -tx1 | tr -d ' \n'; }
run_probe() { $emulator "$probe" "$@" | tr -d '\r'; }
failed=0
check() {  # what, got, wanted
  if [[ $2 == "$3" ]]; then echo "ok: $1"; else echo "FAILED: $1"; echo "  got:    $2"; echo "  wanted: $3"; failed=1; fi
}
listen() {  # count: starts the receiver and waits until it is bound
  rm -f "$work/ready"
  "$receiver" "$1" "$work/ready" >"$work/received" &
  receiver_pid=$!
  for _ in $(seq 100); do [[ -e $work/ready ]] && return; sleep 0.05; done
  echo "receiver did not start"; exit 1
}

ip link set lo up
ip route add 255.255.255.255/32 dev lo

# Two notices, an empty datagram and a port beyond 16 bits.
listen 4
results=$(run_probe notices)
wait "$receiver_pid"
mapfile -t got <"$work/received"
notice='EXCEPTION:Func=mef32.GetEXEPath Trace=100 File="E!AuditView-20221102140840127.xml" SelfName=AuditView Version=2.4.1.7'
check "results of the empty and the 66050 send" "$results" "0 0"
check "first notice" "${got[0]:-}" "$(printf '<0>AuditView:00001 %s H="WS042" (ID=00001)' "$notice" | hex)"
check "second notice" "${got[1]:-}" "$(printf '<0>AuditView:00002 %s H="WS042" (ID=00001)' "$notice" | hex)"
check "empty payload" "${got[2]-missing}" ""
check "port 66050 arrives at 514" "${got[3]:-}" "$(printf 'port' | hex)"

# A fault: the exception file beside the program, and one datagram.
rm -f "$probe_dir"/E\!-*.xml
listen 1
results=$(run_probe fault)
wait "$receiver_pid"
check "result of the failed start" "$results" "-2"
files=("$probe_dir"/E\!-*.xml)
if [[ ${#files[@]} == 1 && -f ${files[0]} && $(basename "${files[0]}") =~ ^E!-[0-9]{17}\.xml$ ]]; then
  echo "ok: exception file $(basename "${files[0]}")"
  name=$(basename "${files[0]}")
  check "fault notice" "$(cat "$work/received")" \
    "$(printf '<0>:00001 EXCEPTION:Func=mef32.PostUDPMessage Trace=200 File="%s" SelfName= Version= H="" (ID=00001)' "$name" | hex)"
  grep -q '<Function>mef32.PostUDPMessage</Function>' "${files[0]}" && echo "ok: file names the routine" || { echo "FAILED: file contents"; failed=1; }
else
  echo "FAILED: exception file: ${files[*]}"; failed=1
fi
rm -f "$probe_dir"/E\!-*.xml

# No route: the send fails, and nothing else happens.
ip route del 255.255.255.255/32 dev lo
results=$(run_probe noroute)
check "result without a route" "$results" "-1"
leftover=("$probe_dir"/E\!-*.xml)
check "no exception file without a route" "${leftover[*]}" "$probe_dir/E!-*.xml"

exit $failed
