#!/usr/bin/env bash
# Builds the release: build-release/Tessal.exe (32-bit Windows, static, stripped) and the ZIP
# beside it, Tessal-<version>-win32.zip. Usage: scripts/release.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-release}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DTESSAL_WERROR=ON \
  -DTESSAL_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-w64-mingw32.cmake >/dev/null
cmake --build "$dir" -j"${TESSAL_JOBS:-$(nproc)}"
cmake --build "$dir" --target package
