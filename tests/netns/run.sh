#!/usr/bin/env bash
# Posts syslog notices through the real network stack, inside a network namespace this script
# makes for itself: the broadcast address is routed to its loopback, where a receiver listens,
# and nothing can reach the machine's own network. The receivers are a plain one, which shows
# every byte of a datagram, and rsyslogd with a configuration of ours, which shows what a syslog
# server makes of a fault notice.
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
rsyslogd=/usr/sbin/rsyslogd
work=$(mktemp -d)
wine_server_pid=""
rsyslog_pid=""
cleanup() {
  if [[ -n $rsyslog_pid ]]; then kill "$rsyslog_pid" 2>/dev/null || true; fi
  if [[ -n $wine_server_pid ]]; then
    wineserver -k 2>/dev/null || true
    wait "$wine_server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Wine creates a program's sockets in its wine server, so they belong to the server's network
# namespace. A server of the shared prefix may be running outside this namespace (the test
# scripts keep one up for the whole run), so the probe gets a prefix of its own, a linked copy,
# and a server started here; it runs nothing until that server is known to be in here.
if [[ -n $emulator ]]; then
  shared=${WINEPREFIX:-$HOME/.wine}
  export WINEPREFIX=$work/wineprefix
  if [[ -d $shared/drive_c ]]; then
    cp -al "$shared" "$WINEPREFIX"
    # The files wine rewrites where they stand are copied, not linked.
    for file in "$shared"/*.reg "$shared"/.update-timestamp; do
      if [[ -f $file ]]; then cp --remove-destination "$file" "$WINEPREFIX/"; fi
    done
  fi
  wineserver -f -p &
  wine_server_pid=$!
  sleep 0.2
  if ! kill -0 "$wine_server_pid" 2>/dev/null ||
    [[ $(readlink "/proc/$wine_server_pid/ns/net") != "$(readlink /proc/self/ns/net)" ]]; then
    echo "FAILED: no wine server of this namespace's own; nothing was sent"
    exit 1
  fi
fi

hex() { od -An -v -tx1 | tr -d ' \n'; }
run_probe() { $emulator "$probe" "$@" | tr -d '\r'; }
failed=0
check() {  # what, got, wanted
  if [[ $2 == "$3" ]]; then echo "ok: $1"; else echo "FAILED: $1"; echo "  got:    $2"; echo "  wanted: $3"; failed=1; fi
}
wait_for_port_514() {
  for _ in $(seq 200); do
    ss -Huln 'sport = :514' | grep -q . && return
    sleep 0.05
  done
  echo "FAILED: nothing listens on UDP port 514"
  exit 1
}
listen() {  # count: starts the receiver and waits until it is bound
  rm -f "$work/ready"
  "$receiver" "$1" "$work/ready" >"$work/received" &
  receiver_pid=$!
  for _ in $(seq 100); do [[ -e $work/ready ]] && return; sleep 0.05; done
  echo "receiver did not start"; exit 1
}
# The exception file one fault left beside the probe, or a failure.
exception_file() {
  local files=("$probe_dir"/E\!-*.xml)
  if [[ ${#files[@]} == 1 && -f ${files[0]} && $(basename "${files[0]}") =~ ^E!-[0-9]{17}\.xml$ ]]; then
    basename "${files[0]}"
  else
    echo "FAILED: exception file: ${files[*]}" >&2
    return 1
  fi
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
if name=$(exception_file); then
  echo "ok: exception file $name"
  check "fault notice" "$(cat "$work/received")" \
    "$(printf '<0>:00001 EXCEPTION:Func=mef32.PostUDPMessage Trace=200 File="%s" SelfName= Version= H="" (ID=00001)' "$name" | hex)"
  grep -q '<Function>mef32.PostUDPMessage</Function>' "$probe_dir/$name" && echo "ok: file names the routine" || { echo "FAILED: file contents"; failed=1; }
else
  failed=1
fi
rm -f "$probe_dir"/E\!-*.xml

# The same fault, received by rsyslogd: one record, with the fields it parsed from the notice.
if [[ ! -x $rsyslogd ]]; then
  echo "FAILED: $rsyslogd is not installed (scripts/bootstrap.sh test installs the package rsyslog)"
  exit 1
fi
mkdir "$work/rsyslog"
cat >"$work/rsyslog.conf" <<EOF
global(workDirectory="$work/rsyslog")
module(load="imudp")
template(name="fields" type="string" string="pri=%pri% facility=%syslogfacility-text% severity=%syslogseverity-text% tag=%syslogtag% programname=%programname% msg=%msg%\n")
ruleset(name="notices") {
  action(type="omfile" file="$work/syslog.log" template="fields")
}
input(type="imudp" port="514" ruleset="notices")
EOF
"$rsyslogd" -n -f "$work/rsyslog.conf" -i "$work/rsyslogd.pid" >"$work/rsyslogd.out" 2>&1 &
rsyslog_pid=$!
wait_for_port_514
results=$(run_probe fault)
for _ in $(seq 200); do
  [[ -s $work/syslog.log ]] && break
  sleep 0.05
done
sleep 0.2  # a second record, were there one, would be written by now
kill "$rsyslog_pid"
wait "$rsyslog_pid" || true
rsyslog_pid=""
check "result of the failed start, rsyslog listening" "$results" "-2"
if name=$(exception_file); then
  records=$(cat "$work/syslog.log" 2>/dev/null || true)
  check "the record rsyslog wrote" "$records" \
    "pri=0 facility=kern severity=emerg tag=: programname= msg=00001 EXCEPTION:Func=mef32.PostUDPMessage Trace=200 File=\"$name\" SelfName= Version= H=\"\" (ID=00001)"
  echo "  rsyslog wrote: $records"
  if [[ $records != pri=* ]]; then
    echo "  rsyslogd said:"
    sed 's/^/    /' "$work/rsyslogd.out"
  fi
else
  failed=1
fi
rm -f "$probe_dir"/E\!-*.xml

# No route: the send fails, and nothing else happens.
ip route del 255.255.255.255/32 dev lo
results=$(run_probe noroute)
check "result without a route" "$results" "-1"
leftover=("$probe_dir"/E\!-*.xml)
check "no exception file without a route" "${leftover[*]}" "$probe_dir/E!-*.xml"

exit $failed
