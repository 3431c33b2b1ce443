#!/usr/bin/env bash
# Reads the version resource and the manifest back from a built Tessal.exe and checks them against
# the banner. Usage: check_exe.sh EXE WINDRES [EMULATOR...]
# With an emulator the banner is the one the program prints; without one (tests/release/
# check_packages.sh checks the release so, with no wine needed) it is the one literal of that form
# stored in the file.
set -euo pipefail
exe=$1 windres=$2
shift 2
fail() {
  echo "FAIL ($exe): $*" >&2
  exit 1
}

if (($#)); then
  command -v "$1" >/dev/null || fail "no emulator '$1': scripts/bootstrap.sh test installs wine"
  output=$("$@" "$exe" </dev/null) || fail "the program failed under $1"
  banner=${output%%$'\n'*}
  banner=${banner%$'\r'}
else
  banner=$(strings -a "$exe" | grep -E '^ v[0-9.]+$' | sort -u)
fi
[[ $banner =~ ^\ v([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || fail "banner '$banner'"
version=${banner# v}
binary="${BASH_REMATCH[1]}, ${BASH_REMATCH[2]}, ${BASH_REMATCH[3]}, ${BASH_REMATCH[4]}"

rc=$("$windres" -i "$exe" -O rc) || fail "no resources"
# The numeric versions, then the texts Explorer's Properties shows.
field() { sed -n "s/^ *$1 \(.*\)$/\1/p" <<<"$rc"; }
text() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"$/\1/p" <<<"$rc"; }
while read -r kind name want; do
  got=$("$kind" "$name")
  [[ $got == "$want" ]] || fail "$name is '$got', not '$want'"
done <<END
field FILEVERSION $binary
field PRODUCTVERSION $binary
field FILETYPE 0x1
text FileVersion $version
text ProductVersion $version
text ProductName Tessal
text OriginalFilename Tessal.exe
END
[[ -n $(text FileDescription) ]] || fail "no FileDescription"

# The manifest must be resource 1 of type 24 (RT_MANIFEST), or the loader ignores it. windres
# prints it as quoted C strings; undo that and let xmllint read it, since a manifest that is not
# well-formed XML stops the program from starting at all.
manifest=$(sed -n '/^1 24 /,/^END$/p' <<<"$rc" | sed -n 's/^ *"\(.*\)"$/\1/p' |
  sed 's/""/"/g; s/\\n$//')
[[ -n $manifest ]] || fail "no manifest as resource 1"
xmllint --noout - <<<"$manifest" || fail "manifest is not well-formed"
xpath() { xmllint --xpath "$1" - <<<"$manifest" 2>/dev/null || true; }
level=$(xpath "string(//*[local-name()='requestedExecutionLevel']/@level)")
[[ $level == asInvoker ]] || fail "requestedExecutionLevel is '$level'"
ids=$(xpath "//*[local-name()='compatibility']//*[local-name()='supportedOS']/@Id" |
  grep -o '{[^}]*}' | sort | tr '\n' ' ')
# Vista, 7, 8, 8.1, 10/11
want=$(printf '%s\n' "{e2011457-1546-43c5-a5fe-008deee3d3f0}" "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}" \
  "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}" "{1f676c76-80e1-4239-95bb-83d0f6d0da78}" \
  "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" | sort | tr '\n' ' ')
[[ $ids == "$want" ]] || fail "supportedOS entries are '$ids'"
echo "ok: $exe is version $version, manifest asInvoker with five supportedOS entries"
