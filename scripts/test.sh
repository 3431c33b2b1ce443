#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: natively, and the Windows build
# under wine. The release (the 32-bit Windows build and its ZIP) and a Linux install are made and
# checked too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

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
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

echo "== format"
git ls-files -- '*.cc' '*.h' | xargs clang-format --dry-run --Werror

echo "== native build and tests"
cmake -S . -B build -G Ninja -DTESSAL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the native suite again, under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DTESSAL_WERROR=ON -DTESSAL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz smoke: each target for 30 seconds"
tests/fuzz/run.sh 30

echo "== release: 32-bit Windows build and ZIP, Linux install"
TESSAL_JOBS=$jobs scripts/release.sh build-release
staging=$root/build-pkg/staging
rm -rf "$staging"
TESSAL_JOBS=$jobs scripts/install.sh "$staging" >/dev/null
tests/release/check_packages.sh build-release "$staging"

echo "== 64-bit Windows build and tests under wine"
export WINEDEBUG=-all WINEPREFIX="$root/build-win64/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1 || true
# One wine server for the whole run: starting one per test would cost seconds each.
wineserver -p </dev/null >/dev/null 2>&1 || true  # already up after wineboot
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
cmake -S . -B build-win64 -G Ninja -DTESSAL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake >/dev/null
cmake --build build-win64 -j"$jobs"
ctest --test-dir build-win64 --output-on-failure -j"$jobs"

echo "== benchmark smoke (a few MB, that the benchmark still runs)"
TESSAL_WERROR=ON bench/run.sh --smoke
