#!/usr/bin/env bash
# Builds Tessal and runs it on the sample log that ships with the project.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null; then
  apt-get update || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends cmake g++ make
fi
cmake -S . -B build -DTESSAL_TESTS=OFF >/dev/null
cmake --build build --target Tessal -j"$(nproc)" >/dev/null
# A relative log name is looked for beside the executable, so name the sample by its full path.
exec build/Tessal "$PWD/samples/DhcpSrvLog-Wed.log" "$@"
