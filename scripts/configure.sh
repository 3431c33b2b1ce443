#!/usr/bin/env bash
# Configures one preset of CMakePresets.json in its folder, build/PRESET (or DIR). A folder that
# CMake cannot configure again (made by another generator, for another source tree or folder, or
# with another toolchain file) holds only build output: it is removed and made afresh.
#   scripts/configure.sh PRESET [DIR] [-DNAME=VALUE...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
shift
dir=build/$preset
if [[ $# -gt 0 && $1 != -* ]]; then
  dir=$1
  shift
fi

cache=$dir/CMakeCache.txt
if [[ -f $cache ]]; then
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache"; }
  # Every preset takes its generator from the hidden preset "base".
  wanted_toolchain=$(cmake --preset "$preset" -N | sed -n 's/^  CMAKE_TOOLCHAIN_FILE:FILEPATH="\(.*\)"$/\1/p')
  stale=""
  if [[ $(cached CMAKE_GENERATOR) != Ninja ]]; then
    stale="made by the generator '$(cached CMAKE_GENERATOR)'"
  elif [[ ! $(cached CMAKE_HOME_DIRECTORY) -ef . ]]; then
    stale="made for the sources in $(cached CMAKE_HOME_DIRECTORY)"
  elif [[ ! $(cached CMAKE_CACHEFILE_DIR) -ef $dir ]]; then
    stale="made in $(cached CMAKE_CACHEFILE_DIR)"
  elif [[ $(cached CMAKE_TOOLCHAIN_FILE) != "$wanted_toolchain" ]]; then
    stale="made with the toolchain file '$(cached CMAKE_TOOLCHAIN_FILE)'"
  fi
  if [[ -n $stale ]]; then
    echo "== $dir was $stale: removing it and configuring afresh" >&2
    rm -rf "$dir"
  fi
fi
cmake --preset "$preset" -B "$dir" "$@" >/dev/null
