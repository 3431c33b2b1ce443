#!/usr/bin/env bash
# Builds the release: build/release/Tessal.exe (32-bit Windows, static, stripped) and the ZIP
# beside it, Tessal-<version>-win32.zip. Usage: scripts/release.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/release}
scripts/bootstrap.sh release
scripts/configure.sh release "$dir"
cmake --build "$dir" -j"${TESSAL_JOBS:-$(nproc)}"
cmake --build "$dir" --target package
