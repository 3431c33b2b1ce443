#!/usr/bin/env bash
# Checks what is shipped: the 32-bit release Tessal.exe and its ZIP (as scripts/release.sh leaves
# them in RELEASE_DIR), and a Linux install (as scripts/install.sh leaves it under PREFIX).
# Usage: check_packages.sh RELEASE_DIR PREFIX
# TESSAL_VERSION is the version the builds were given, for @VERSION@ in the expected output.
set -euo pipefail
: "${TESSAL_VERSION:?the version of the build under test}"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
release=$1 prefix=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
lines() { printf '%s\n' "$@"; }
flat() { paste -sd' ' <<<"$1"; }

exe=$release/Tessal.exe
headers=$(i686-w64-mingw32-objdump -p "$exe")
for want in "file format pei-i386" "(PE32)" "(Windows CUI)" "symbols stripped"; do
  grep -qF -- "$want" <<<"$headers" || fail "$exe: not '$want'"
done
i686-w64-mingw32-objdump -t "$exe" | grep -qx "no symbols" || fail "$exe: has symbols"
! i686-w64-mingw32-objdump -h "$exe" | grep -q '\.debug' || fail "$exe: has debug sections"
# Only DLLs every Windows has: the C++ runtime is linked in, and WS2_32.DLL is loaded when the
# first notice is sent, so a machine without it still runs the viewer.
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort)
unexpected=$(comm -23 <(echo "$imports") <(lines ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL))
[[ -z $unexpected ]] || fail "$exe imports $(flat "$unexpected")"
grep -qx KERNEL32.DLL <<<"$imports" || fail "$exe: no import table read"
"$here/check_exe.sh" "$exe" i686-w64-mingw32-windres

zips=("$release"/Tessal-*-win32.zip)
if ((${#zips[@]} != 1)) || [[ ! -f ${zips[0]} ]]; then fail "not one ZIP in $release: ${zips[*]}"; fi
zip=${zips[0]}
version=$(strings -a "$exe" | sed -n 's/^ v\([0-9.]*\)$/\1/p')
[[ $(basename "$zip") == "Tessal-$version-win32.zip" ]] || fail "$zip is not named by version $version"
contents=$(zipinfo -1 "$zip" | sort)
[[ $contents == "$(lines README.md Tessal.exe USAGE.txt)" ]] || fail "$zip holds: $(flat "$contents")"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
cmp "$unpacked/Tessal.exe" "$exe" || fail "the ZIP's Tessal.exe is not the release build"
cmp "$unpacked/README.md" "$root/README.md" || fail "the ZIP's README.md differs"
# Notepad on older Windows shows a file with bare LF as one long line.
usage=$unpacked/USAGE.txt
if [[ ! -s $usage || -n $(tail -c1 "$usage") ]] || grep -qv $'\r$' "$usage"; then
  fail "USAGE.txt has lines not ending in CR LF"
fi
echo "ok: $zip holds $(flat "$contents"); imports $(flat "$imports")"

installed=$(cd "$prefix" && find . -type f | sort)
want=$(lines ./bin/Tessal ./share/doc/Tessal/README.md ./share/doc/Tessal/USAGE.txt)
[[ $installed == "$want" ]] || fail "$prefix holds: $(flat "$installed")"
[[ -x $prefix/bin/Tessal ]] || fail "$prefix/bin/Tessal is not executable"
! nm "$prefix/bin/Tessal" 2>/dev/null | grep -q . || fail "$prefix/bin/Tessal is not stripped"
# The installed program works from there: the sample log, read by its full path.
"$prefix/bin/Tessal" "$root/samples/DhcpSrvLog-Wed.log" |
  cmp - <(sed "s/@VERSION@/$TESSAL_VERSION/" "$root/tests/expected/sample.out") ||
  fail "$prefix/bin/Tessal prints something else for the sample log"
echo "ok: $prefix holds $(flat "$installed")"
