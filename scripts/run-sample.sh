#!/usr/bin/env bash
# Builds Tessal and runs it on the sample log that ships with the project.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v cmake >/dev/null || ! command -v ninja >/dev/null || ! command -v g++ >/dev/null; then
  {
    apt-get update || echo "apt-get update failed; installing from the lists at hand"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends cmake ninja-build g++
  } >&2
fi
scripts/configure.sh program
# Quiet, and on standard error: standard output is the report alone. A failing build still shows
# its errors.
cmake --build --preset program -j"$(nproc)" -- --quiet >&2
# A relative log name is looked for beside the executable, so name the sample by its full path.
exec build/program/Tessal "$PWD/samples/DhcpSrvLog-Wed.log" "$@"
