#!/usr/bin/env bash
# Builds Tessal for this Linux machine and installs it: PREFIX/bin/Tessal, the README and the usage
# text in PREFIX/share/doc/Tessal. Usage: scripts/install.sh [PREFIX] (default /usr/local)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-/usr/local}
dir=${TESSAL_BUILD_DIR:-build/program}
scripts/bootstrap.sh build >&2
scripts/configure.sh program "$dir"
cmake --build "$dir" --target Tessal -j"${TESSAL_JOBS:-$(nproc)}"
cmake --install "$dir" --prefix "$prefix" --strip
