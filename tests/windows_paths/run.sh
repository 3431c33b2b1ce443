#!/usr/bin/env bash
# Windows paths as administrators meet them, under wine.
# - The log named under C:\Windows\System32 is the one Tessal reads, also when the 32-bit build
#   runs on 64-bit Windows, where a 32-bit process's System32 is SysWOW64 unless it says
#   otherwise. A log goes into the wine prefix's system32 and a different one of the same name
#   into syswow64; every way of naming it must read the system32 one, byte for byte as the native
#   program prints that log. A pattern must find the system32 logs only.
# - A program in a folder deeper than MAX_PATH (260) knows its whole name.
#   run.sh EXE POINTER_BYTES DATA_DIR EXPECTED_DIR EMULATOR...
# TESSAL_VERSION is the version the build was given, for @VERSION@ in the expected outputs.
set -euo pipefail
: "${TESSAL_VERSION:?the version of the build under test}"
exe=$(realpath "$1") pointer_bytes=$2 data=$(realpath "$3") expected=$(realpath "$4")
shift 4
emulator=("$@")
windows=${WINEPREFIX:-$HOME/.wine}/drive_c/windows
if [[ ! -d $windows/syswow64 ]]; then
  echo "SKIPPED: the wine prefix $windows has no syswow64, so it is no 64-bit prefix"
  exit 77
fi

# Names of our own under dhcp\, so that two builds testing at once do not meet.
tag=tessal-wow64-$pointer_bytes-$$
log=DhcpSrvLog-Wed.log
real=$windows/system32/dhcp/$tag
decoy=$windows/syswow64/dhcp/$tag
lone=$windows/system32/dhcp/$tag-lone  # no folder of that name in syswow64
away=$(mktemp -d)
trap 'rm -rf "$real" "$decoy" "$lone" "$away"' EXIT
mkdir -p "$real" "$decoy" "$lone"
cp "$data/audit.log" "$real/$log"
cp "$data/worked.log" "$decoy/$log"  # what a redirected read would show instead
cp "$data/ctrl_z.log" "$decoy/DhcpSrvLog-Tue.log"  # what only a redirected search would find
cp "$data/audit.log" "$lone/$log"
cp "$exe" "$real/Tessal.exe"
cp "$exe" "$lone/Tessal.exe"
sum_before=$(sha256sum "$real/$log")

failed=0
# case | program | log argument | expected output | exit status; the filters pick the records
# that tell the two logs apart.
run_case() {
  local name=$1 program=$2 argument=$3 wanted=$4 status=$5 rc=0
  (cd "$away" && "${emulator[@]}" "$program" "$argument" pc-01 /e:30,31 >"$away/out") || rc=$?
  if [[ $rc != "$status" ]]; then
    echo "FAILED: $name: exit status $rc, wanted $status"
    failed=1
  elif ! cmp -s "$away/out" "$wanted"; then
    echo "FAILED: $name: the output differs from $wanted:"
    tr -d '\r' <"$away/out" | head -n 12
    failed=1
  else
    echo "ok: $name"
  fi
}

sed "s/@VERSION@/$TESSAL_VERSION/" "$expected/two_records.out" >"$away/two_records.out"
two_records=$away/two_records.out
run_case "typed System32 path" "$exe" "C:\\Windows\\System32\\dhcp\\$tag\\$log" "$two_records" 0
run_case "lowercase spelling" "$exe" "c:\\windows\\system32\\DHCP\\$tag\\dhcpsrvlog-wed.log" \
  "$two_records" 0
run_case "relative name beside the program in System32" "C:\\Windows\\System32\\dhcp\\$tag\\Tessal.exe" \
  "$log" "$two_records" 0
run_case "relative name beside the program, no such folder in SysWOW64" \
  "C:\\Windows\\System32\\dhcp\\$tag-lone\\Tessal.exe" "$log" "$two_records" 0
# A pattern reaches the same folder as a single log, relative to the program's folder too; each
# log found is named by the folder it was found in.
{
  head -n 6 "$two_records"
  printf ' Log: %s\r\n\r\n' "C:\\Windows\\System32\\dhcp\\$tag\\$log"
  tail -n +7 "$two_records"
} >"$away/pattern.out"
run_case "a pattern under System32" "$exe" "C:\\Windows\\System32\\dhcp\\$tag\\DhcpSrvLog-*.log" \
  "$away/pattern.out" 0
run_case "a relative pattern beside the program in System32" \
  "C:\\Windows\\System32\\dhcp\\$tag\\Tessal.exe" "DhcpSrvLog-*.log" "$away/pattern.out" 0
sysnative="C:\\Windows\\Sysnative\\dhcp\\$tag\\$log"
if [[ $pointer_bytes == 4 ]]; then
  run_case "Sysnative" "$exe" "$sysnative" "$two_records" 0
  sed "s/System32/Sysnative/" "$away/pattern.out" >"$away/sysnative_pattern.out"
  run_case "a pattern under Sysnative" "$exe" "C:\\Windows\\Sysnative\\dhcp\\$tag\\DhcpSrvLog-*.log" \
    "$away/sysnative_pattern.out" 0
else
  # Sysnative exists for 32-bit programs only: a 64-bit one finds no such folder.
  exe_dir=$("${emulator[@]}" winepath -w "$(dirname "$exe")" 2>/dev/null | tr -d '\r')
  {
    head -n 6 "$two_records"  # the banner and the echo of the same arguments
    printf ' Unable to locate %s\r\n gGlobalSettings.Path="%s\\"\r\n mef32.GetEXEPath="%s\\"\r\nDone\r\n' \
      "$sysnative" "$exe_dir" "$exe_dir"
  } >"$away/missing.out"
  run_case "Sysnative from a 64-bit program" "$exe" "$sysnative" "$away/missing.out" 2
fi

# A program folder of more than 260 characters: the usage names the whole program, and the
# folder the program reports is the whole folder, never a cut one.
deep=$away
for i in $(seq 1 16); do deep=$deep/folder-with-a-long-name-$i; done
mkdir -p "$deep"
cp "$exe" "$deep/Tessal.exe"
# Wine's drive Z: is the root; winepath itself cuts names at 260 characters.
deep_exe="Z:${deep//\//\\}\\Tessal.exe"
deep_dir=${deep_exe%Tessal.exe}
usage=$(cd "$away" && "${emulator[@]}" "$deep/Tessal.exe" | tr -d '\r' | sed -n 3p)
# (It exits 2 for the log it cannot find; the lines are what counts here.)
missing=$(cd "$away" && "${emulator[@]}" "$deep/Tessal.exe" absent.log | tr -d '\r' | sed -n '8,9p') || :
if ((${#deep_exe} <= 260)); then
  echo "FAILED: the deep program's name is only ${#deep_exe} characters"
  failed=1
elif [[ $usage != "$deep_exe {TessalFile} [{Filter1} {Filter2}] {/e:eventid}" ]]; then
  echo "FAILED: usage of a program ${#deep_exe} characters deep: $usage"
  failed=1
elif [[ $missing != *"mef32.GetEXEPath=\"$deep_dir\""* ||
  ! $missing =~ gGlobalSettings\.Path=\"(|${deep_dir//\\/\\\\})\" ]]; then
  # Windows cannot make a folder that deep current, so Path may stay empty; never another folder.
  echo "FAILED: the folder of a program ${#deep_exe} characters deep: $missing"
  failed=1
else
  echo "ok: a program ${#deep_exe} characters deep knows its whole name"
fi

if [[ $(sha256sum "$real/$log") != "$sum_before" ]]; then
  echo "FAILED: the log changed"
  failed=1
fi
exit $failed
