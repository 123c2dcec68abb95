#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native and the
# Windows builds, runs the native suites, then the Windows suites under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

bash "$root/scripts/install-deps.sh" || { echo "dependency install failed"; exit 1; }

status=0
step() { echo; echo "== $*"; }

step "native build"
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
  cmake --build "$build/native" -j"$jobs" || { echo "native build failed"; exit 1; }

step "Windows build (i686-w64-mingw32)"
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
  cmake --build "$build/win32" -j"$jobs" || { echo "Windows build failed"; exit 1; }

step "native suites"
(cd "$build/native" && ctest --output-on-failure) || status=1

step "Windows suites under Wine"
prefix=$(mktemp -d /tmp/wineprefix.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
(cd "$build/win32" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure) || status=1

echo
if [ $status -eq 0 ]; then echo "== all suites passed"; else echo "== some suites FAILED"; fi
exit $status
