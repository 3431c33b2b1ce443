#!/usr/bin/env bash
# Runs the 32-bit Windows build's tests under wine on a machine whose kernel cannot start 32-bit
# programs: qemu's user-mode emulator starts them instead (through binfmt_misc). Every 32-bit wine
# process then needs about a minute to start, too slow for scripts/test.sh, which says when it had
# to leave these tests out; this script runs the ones of the shipped configuration.
#   tests/emulated_i386.sh [CTEST_REGEX]
#     CTEST_REGEX: the win32 suite's tests to run (default: the Win32 layer's own tests and the
#     Windows paths); then, always, the Windows paths and following with /f on the release's
#     Tessal.exe.
# What it changes on the machine beyond packages (scripts/bootstrap.sh emulate), and puts back when
# it ends: it mounts binfmt_misc when it is not mounted, and registers a qemu-i386 entry there
# (removed at the end; one that was there already is enabled for the run and then left as it was).
# The wine prefix build/wineprefix is made anew with 32-bit support when it has none.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tests=${1:-'win32_tests|windows_paths'}
wine32=/usr/lib/wine/wine

scripts/bootstrap.sh test emulate
if ((EUID)); then
  echo "emulated_i386: binfmt_misc needs root" >&2
  exit 1
fi
qemu=/usr/bin/qemu-i386-static

binfmt=/proc/sys/fs/binfmt_misc
mounted=0 registered=0 was_disabled=0
put_back() {
  if ((registered)); then echo -1 >"$binfmt/qemu-i386"; fi
  if ((was_disabled)); then echo 0 >"$binfmt/qemu-i386"; fi
  if ((mounted)); then umount "$binfmt"; fi
  wineserver -k >/dev/null 2>&1 || true
}
trap put_back EXIT
if [[ ! -e $binfmt/register ]]; then
  mount -t binfmt_misc binfmt_misc "$binfmt"
  mounted=1
fi
if "$wine32" --version >/dev/null 2>&1 && [[ ! -e $binfmt/qemu-i386 ]]; then
  echo "emulated_i386: this machine starts 32-bit programs itself: use scripts/test.sh"
  exit 0
fi
if [[ -e $binfmt/qemu-i386 ]]; then
  if [[ $(head -n 1 "$binfmt/qemu-i386") == disabled ]]; then
    echo 1 >"$binfmt/qemu-i386"
    was_disabled=1
  fi
else
  # 32-bit x86 ELF executables and shared objects, as Debian's qemu packages describe them.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:F" >"$binfmt/register"
  registered=1
fi
"$wine32" --version

export WINEDEBUG=-all WINEPREFIX="$root/build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k >/dev/null 2>&1 || true
if [[ ! -d $WINEPREFIX/drive_c/windows/syswow64 ]]; then
  echo "== a wine prefix with 32-bit support (several minutes under the emulator)"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # Its status says little (a service it starts may end oddly): the folder tells.
  "$wine32" wineboot -i </dev/null >/dev/null 2>&1 || true
  [[ -d $WINEPREFIX/drive_c/windows/syswow64 ]] || {
    echo "emulated_i386: the prefix got no 32-bit part" >&2
    exit 1
  }
fi
wineserver -p

echo "== the win32 suite: $tests"
scripts/configure.sh win32
cmake --build --preset win32 -j"$(nproc)"
failed=0
TESSAL_FOLLOW_DEADLINE=900 ctest --preset win32 -R "$tests" -E syslog_in_namespace --output-on-failure \
  --timeout 7200 || failed=1

echo "== the release's Tessal.exe"
scripts/release.sh >/dev/null
TESSAL_VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
export TESSAL_VERSION
tests/windows_paths/run.sh build/release/Tessal.exe 4 tests/data tests/expected "$wine32" || failed=1
echo "== the release's Tessal.exe following a log with /f"
TESSAL_FOLLOW_DEADLINE=900 tests/follow/run.sh build/release/Tessal.exe build/release/follow "$wine32" ||
  failed=1
exit $failed
