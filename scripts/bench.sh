#!/usr/bin/env bash
# The benchmarks (not part of the test command): the engine and the wizard on
# the fakes, the start-up of the program against a bare window under Wine,
# and the shipped executable's size. Each prints its figures and its target.
# Usage: bench.sh [RUNS]   (start-up runs of each program, default 9)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-9}
jobs=$(nproc 2>/dev/null || echo 2)
. "$root/scripts/flavour.sh"
status=0

if [ -z "${DEPS_READY:-}" ]; then
  bash "$root/scripts/install-deps.sh" >/dev/null || { echo "dependency install failed"; exit 1; }
  # A fresh shell sees a locale the install has just added (scripts/test.sh).
  DEPS_READY=1 exec bash "$0" "$@"
fi
build_targets() {  # folder, targets, cmake arguments...
  local dir=$1 targets=$2; shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
    cmake --build "$dir" -j"$jobs" --target $targets >/dev/null
}

echo "== silnik i kreator na atrapach"
build_targets "$build/native" "engine_bench wizard_bench" || { echo "native build failed"; exit 1; }
"$build/native/engine_bench" || status=1
"$build/native/wizard_bench" || status=1

echo "== plik wykonywalny"
build_targets "$build/win32" KonfiguracjaBDE -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" ||
  { echo "Windows build failed"; exit 1; }
bash "$root/scripts/check-size.sh" "$build/win32/KonfiguracjaBDE.exe" || status=1

choose_flavour
out=$build/win32
[ "$arch" = i686 ] || out=$build/win64
echo "== start programu pod Wine ($arch), $runs przebiegów każdego"
build_targets "$out" "KonfiguracjaBDE bare_window start_bench" -DCMAKE_TOOLCHAIN_FILE="$toolchain" ||
  { echo "Windows build failed"; exit 1; }
prefix=$(mktemp -d /tmp/wineprefix-bench.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8 WINEPREFIX=$prefix
prepare_prefix "$prefix"
# The demo workstation, so that the program starts as it does there.
bash "$root/scripts/seed-demo.sh" "$prefix" "$wine" "$arch" >/dev/null
win() { echo "Z:${1//\//\\}"; }
xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$out/start_bench.exe" "$runs" \
  "$(win "$out/KonfiguracjaBDE.exe")" KonfiguracjaBDE.Form "$(win "$out/bare_window.exe")" BareWindow.Form || status=1
exit $status
