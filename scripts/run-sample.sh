#!/usr/bin/env bash
# Builds Tessal and runs it on the sample log that ships with the project.
set -euo pipefail
cd "$(dirname "$0")/.."
# The build tools, when missing; on standard error, as the build is.
scripts/bootstrap.sh build >&2
scripts/configure.sh program
# Quiet, and on standard error: standard output is the report alone. A failing build still shows
# its errors.
cmake --build --preset program -j"$(nproc)" -- --quiet >&2
# A relative log name is looked for beside the executable, so name the sample by its full path.
exec build/program/Tessal "$PWD/samples/DhcpSrvLog-Wed.log" "$@"
