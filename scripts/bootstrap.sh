#!/usr/bin/env bash
# Sets this machine up for the project's scripts: installs with apt-get the Debian packages that a
# set of them needs, only those that are missing. With everything there it changes nothing and runs
# no apt-get update; any number of runs leave the machine as one does.
#   scripts/bootstrap.sh [SET...]    no SET: all of them (the set test)
#     build    cmake, Ninja, g++                          scripts/run-sample.sh, scripts/install.sh
#     bench    build, GNU time, Google Benchmark           bench/run.sh
#     fuzz     build, clang and its libFuzzer runtime     tests/fuzz/run.sh
#     release  build, mingw-w64 for 32-bit Windows        scripts/release.sh
#     test     all of these, and wine, 32-bit wine, rsyslog and the rest of what scripts/test.sh uses
#     emulate  qemu's user-mode emulator, for tests/emulated_i386.sh (not part of test)
# Beyond packages it changes the machine in two ways, and says so when it does:
# - the set test adds the foreign architecture i386 to dpkg, for 32-bit wine (wine32:i386); it stays;
# - while apt-get installs, a /usr/sbin/policy-rc.d that lets no service start keeps rsyslog's
#   package from starting a daemon outside the tests' own network namespace; it is removed when the
#   install ends. One that was there already is used as it is and left alone.
# 32-bit wine that cannot be had is said loudly but is no failure: scripts/test.sh runs the rest.
set -euo pipefail

# What each set needs, as "WHAT PACKAGE": WHAT is a command, a path (a glob is fine) or a function
# below that says whether it is there.
build=("cmake cmake" "ninja ninja-build" "g++ g++")
bench=("/usr/bin/time time" "/usr/lib/*/cmake/benchmark/benchmarkConfig.cmake libbenchmark-dev")
fuzz=("clang++ clang" "fuzzer_runtime libclang-rt-dev")
release=("i686-w64-mingw32-g++-posix g++-mingw-w64-i686" "i686-w64-mingw32-windres binutils-mingw-w64-i686")
emulate=("/usr/bin/qemu-i386-static qemu-user-static")
test=(
  "clang-format clang-format"
  "/usr/src/googletest/CMakeLists.txt googletest"
  "x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64"
  "/usr/lib/wine/wine64 wine64"
  "winepath wine"
  "zipinfo unzip"
  "xmllint libxml2-utils"
  "/usr/sbin/rsyslogd rsyslog"
  "/usr/bin/ss iproute2"
  "xvfb-run xvfb"
)
# libFuzzer's runtime, found through the installed clang, whatever its version.
fuzzer_runtime() {
  local name path
  command -v clang++ >/dev/null || return 1
  for name in "libclang_rt.fuzzer-$(uname -m).a" libclang_rt.fuzzer.a; do
    path=$(clang++ -print-file-name="$name")
    [[ $path == /* && -e $path ]] && return 0
  done
  return 1
}
there() {
  if declare -F "$1" >/dev/null; then "$1"; elif [[ $1 == /* ]]; then compgen -G "$1" >/dev/null
  else command -v "$1" >/dev/null; fi
}

sets=("$@")
((${#sets[@]})) || sets=(test)
entries=("${build[@]}")
wine32=0
for set in "${sets[@]}"; do
  case $set in
    build) ;;
    bench) entries+=("${bench[@]}") ;;
    fuzz) entries+=("${fuzz[@]}") ;;
    release) entries+=("${release[@]}") ;;
    emulate) entries+=("${emulate[@]}") ;;
    test) entries+=("${bench[@]}" "${fuzz[@]}" "${release[@]}" "${test[@]}") wine32=1 ;;
    *) echo "usage: scripts/bootstrap.sh [build|bench|fuzz|release|test|emulate]..." >&2; exit 2 ;;
  esac
done
missing=()
for entry in "${entries[@]}"; do
  read -r what package <<<"$entry"
  there "$what" || [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package")
done
# The 32-bit loader, for the 32-bit Windows build's tests.
((wine32)) && [[ -x /usr/lib/wine/wine ]] && wine32=0
wanted=("${missing[@]}")
((wine32)) && wanted+=(wine32:i386)
if ((!${#wanted[@]})); then
  echo "bootstrap (${sets[*]}): everything is installed"
  exit 0
fi
if ((EUID)); then
  echo "bootstrap: ${wanted[*]} missing; run as root: scripts/bootstrap.sh ${sets[*]}" >&2
  exit 1
fi

if ((wine32)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: adding the foreign architecture i386 to dpkg, for wine32:i386 (it stays)"
  dpkg --add-architecture i386 || true
fi
policy=/usr/sbin/policy-rc.d
if [[ ! -e $policy ]]; then
  echo "bootstrap: writing $policy for the install, so that no service starts; removed afterwards"
  trap 'rm -f "$policy"' EXIT
  trap 'exit 130' INT TERM
  printf '#!/bin/sh\n# scripts/bootstrap.sh of Tessal: no service starts during its install.\nexit 101\n' >"$policy"
  chmod +x "$policy"
fi
# Another apt-get on this machine may hold the lock for a while: wait for it.
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"; }
# A failing index update must not stop the install: the lists already here may do.
apt_get update || echo "bootstrap: apt-get update failed; installing from the lists at hand"
if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  apt_get install -y --no-install-recommends "${missing[@]}"
fi
if ((wine32)); then
  echo "bootstrap: installing 32-bit wine (wine32:i386)"
  if ! apt_get install -y --no-install-recommends wine32:i386 || [[ ! -x /usr/lib/wine/wine ]]; then
    echo "!! bootstrap: 32-BIT WINE COULD NOT BE INSTALLED: the 32-bit Windows build's tests cannot run"
  fi
fi
