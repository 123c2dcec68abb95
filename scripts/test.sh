#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native build and
# the Windows executable, runs the native suites, then the Windows suites
# under Wine and Xvfb in a throwaway prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)
. "$root/scripts/flavour.sh"

if [ -z "${DEPS_READY:-}" ]; then
  bash "$root/scripts/install-deps.sh" || { echo "dependency install failed"; exit 1; }
  # This shell's C library read the locale archive at its start, before the
  # install may have added the Polish locale, and would refuse that locale
  # below for good: go on in a fresh shell.
  DEPS_READY=1 exec bash "$0" "$@"
fi

status=0
step() { echo; echo "== $*"; }
configure_and_build() {  # folder, cmake arguments...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
    cmake --build "$dir" -j"$jobs" -- --no-print-directory | grep -E 'warning|error|Error' ; return "${PIPESTATUS[0]}"
}

step "native build"
configure_and_build "$build/native" || { echo "native build failed"; exit 1; }

step "Windows executable (i686)"
configure_and_build "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" ||
  { echo "Windows build failed"; exit 1; }

step "shipped executable's size"
bash "$root/scripts/check-size.sh" "$build/win32/KonfiguracjaBDE.exe" || status=1

step "native suites"
(cd "$build/native" && ctest --output-on-failure) || status=1

step "fuzzer smoke runs (seeds, regression inputs, then ${FUZZ_SECONDS:-20} s each)"
BUILD_DIR=$build bash "$root/scripts/fuzz.sh" || status=1

choose_flavour
windows_build=$build/win32
if [ "$arch" != i686 ]; then
  step "Windows suites, x86-64 build (this kernel runs no 32-bit programs natively)"
  windows_build=$build/win64
  configure_and_build "$windows_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" || { echo "x86-64 build failed"; exit 1; }
fi

step "Windows suites under Wine ($arch)"
prefix=$(mktemp -d /tmp/wineprefix.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8
prepare_prefix "$prefix"
(cd "$windows_build" && WINEPREFIX=$prefix xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure) || status=1

echo
if [ $status -eq 0 ]; then echo "== all suites passed"; else echo "== some suites FAILED"; fi
exit $status
