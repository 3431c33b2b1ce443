#!/usr/bin/env bash
# Installs what is missing (scripts/bootstrap.sh), then builds and runs every test: natively (also
# under the sanitizers and with the scalar code paths only), and the 64-bit and 32-bit Windows
# builds under wine. The release (the 32-bit Windows build and its ZIP) and a Linux install are made
# and checked too.
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

# What the tests need, installed when missing (scripts/bootstrap.sh says what it changes).
scripts/bootstrap.sh test
# Without a 32-bit loader that runs, the 32-bit Windows build's tests cannot run; the rest can.
# Installed is not enough: a kernel without 32-bit support refuses to start it.
wine32=/usr/lib/wine/wine
wine32_runs=0
if [[ ! -x $wine32 ]]; then
  closing+=("32-BIT WINE COULD NOT BE INSTALLED: the 32-bit Windows build's tests did NOT run")
elif ! why=$("$wine32" --version 2>&1); then
  closing+=("32-BIT PROGRAMS DO NOT RUN ON THIS MACHINE ($wine32: ${why##*$'\n'}):"
    "   the 32-bit Windows build was built but its tests did NOT run (tests/emulated_i386.sh runs them, slowly)")
else
  wine32_runs=1
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
# The version the builds were given, from project(), for the expected outputs checked from here.
TESSAL_VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
export TESSAL_VERSION
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
# A prefix with 32-bit support where the 32-bit loader runs, else a 64-bit one.
if ((wine32_runs)); then "$wine32" wineboot -i; else /usr/lib/wine/wine64 wineboot -i; fi \
  </dev/null >/dev/null 2>&1 || true
suite win64

if ((wine32_runs)); then
  leg "32-bit Windows build and tests under wine"
  suite win32
  # What is shipped is the release build: the paths an administrator types, once more on it.
  echo "== the release's Tessal.exe and the paths under System32"
  tests/windows_paths/run.sh build/release/Tessal.exe 4 tests/data tests/expected "$wine32"
  echo "== the release's Tessal.exe following a log with /f"
  tests/follow/run.sh build/release/Tessal.exe build/release/follow "$wine32"
else
  leg "32-bit Windows build (its tests cannot run here)"
  scripts/configure.sh win32
  cmake --build --preset win32 -j"$jobs"
fi

leg "benchmark smoke (a few MB, that the benchmark still runs)"
bench/run.sh --smoke

leg "done"
unset 'legs[-1]'
echo "== seconds per leg"
printf '  %s\n' "${legs[@]}"
for line in "${closing[@]}"; do echo "!! $line"; done
