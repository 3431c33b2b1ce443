#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: natively (also under the sanitizers
# and with the scalar code paths only), and the 64-bit and 32-bit Windows builds under wine. The
# release (the 32-bit Windows build and its ZIP) and a Linux install are made and checked too.
# Every build is a preset of CMakePresets.json, in build/PRESET.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
# What must still be said when everything else has run: the last lines of the output.
closing=()
legs=()
leg_start=$SECONDS
leg() {
  if ((${#legs[@]})); then legs[-1]+=" $((SECONDS - leg_start)) s"; fi
  leg_start=$SECONDS
  legs+=("$1:")
  echo "== $1"
}

# Services that a package would start outside any test's network namespace (rsyslog) stay down.
no_service_starts() {
  [[ -e /usr/sbin/policy-rc.d ]] && return
  printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
  chmod +x /usr/sbin/policy-rc.d
  policy_made=1
}
policy_made=0
apt_install() {
  no_service_starts
  local status=0
  # Another apt-get on this machine holds the lock for a while: wait for it.
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "$@" || status=$?
  if ((policy_made)); then rm -f /usr/sbin/policy-rc.d; policy_made=0; fi
  return $status
}

# What the build needs, as "file-or-command package".
wanted=(
  "cmake cmake"
  "ninja ninja-build"
  "g++ g++"
  "clang-format clang-format"
  "/usr/src/googletest/CMakeLists.txt googletest"
  "i686-w64-mingw32-g++-posix g++-mingw-w64-i686"
  "x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64"
  "/usr/lib/wine/wine64 wine64"
  "winepath wine"
  "i686-w64-mingw32-windres binutils-mingw-w64-i686"
  "zipinfo unzip"
  "xmllint libxml2-utils"
  "/usr/bin/time time"
  "clang++ clang"
  "/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev"
  "/usr/lib/x86_64-linux-gnu/cmake/benchmark/benchmarkConfig.cmake libbenchmark-dev"
  "/usr/sbin/rsyslogd rsyslog"
  "/usr/bin/ss iproute2"
  "xvfb-run xvfb"
)
missing=()
for entry in "${wanted[@]}"; do
  read -r thing package <<<"$entry"
  if [[ $thing == /* ]]; then [[ -e $thing ]] && continue; else command -v "$thing" >/dev/null && continue; fi
  missing+=("$package")
done
if ((${#missing[@]})); then
  echo "== installing ${missing[*]}"
  # A failing index update must not stop the install: the lists already here may do.
  apt-get update || echo "apt-get update failed; installing from the lists at hand"
  apt_install "${missing[@]}"
fi
# The 32-bit loader, for the i686 build's tests. Without it they cannot run; the rest can.
if [[ ! -x /usr/lib/wine/wine ]]; then
  echo "== installing 32-bit wine (wine32:i386)"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386 || true; fi
  apt-get update || echo "apt-get update failed; installing from the lists at hand"
  if ! apt_install wine32:i386 || [[ ! -x /usr/lib/wine/wine ]]; then
    closing+=("32-BIT WINE COULD NOT BE INSTALLED: the 32-bit Windows build's tests did NOT run")
  fi
fi

leg "format"
git ls-files -- '*.cc' '*.h' | xargs clang-format --dry-run --Werror

# configure, build and (when it has tests) run the suite of a preset; extra arguments go to ctest.
suite() {
  local preset=$1
  shift
  scripts/configure.sh "$preset"
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs" "$@"
}

leg "native build and tests"
suite native
# Four times as many jobs as cores, in a random order: tests that share anything show it here.
echo "== the native suite again: ctest -j8, in random order"
ctest --preset native -j8 --schedule-random

leg "the native suite again, under AddressSanitizer and UndefinedBehaviorSanitizer"
suite sanitizers

leg "the native suite again, with the scalar code paths only"
suite scalar

leg "fuzz smoke: each target for 30 seconds"
tests/fuzz/run.sh 30

leg "release: 32-bit Windows build and ZIP, Linux install"
TESSAL_JOBS=$jobs scripts/release.sh
staging=$root/build/program/staging
rm -rf "$staging"
TESSAL_JOBS=$jobs scripts/install.sh "$staging" >/dev/null
tests/release/check_packages.sh build/release "$staging"

leg "64-bit Windows build and tests under wine"
# The prefix and settings the win64 and win32 presets name; one 64-bit prefix serves both.
export WINEDEBUG=-all WINEPREFIX="$root/build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# One wine server for the whole run, up until the end: starting one per test would cost seconds
# each. The prefix is this checkout's own; a server that an interrupted run left goes first.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i </dev/null >/dev/null 2>&1 || true
suite win64

if [[ -x /usr/lib/wine/wine ]]; then
  leg "32-bit Windows build and tests under wine"
  suite win32
  # What is shipped is the release build: the paths an administrator types, once more on it.
  echo "== the release's Tessal.exe and the paths under System32"
  tests/windows_paths/run.sh build/release/Tessal.exe 4 tests/data tests/expected /usr/lib/wine/wine
  echo "== the release's Tessal.exe following a log with /f"
  tests/follow/run.sh build/release/Tessal.exe build/release/follow /usr/lib/wine/wine
fi

leg "benchmark smoke (a few MB, that the benchmark still runs)"
bench/run.sh --smoke

leg "done"
unset 'legs[-1]'
echo "== seconds per leg"
printf '  %s\n' "${legs[@]}"
for line in "${closing[@]}"; do echo "!! $line"; done
