#!/usr/bin/env bash
# Installs what the build and the suites need on Debian 12; quick when all is there.
set -euo pipefail

packages=(
  cmake g++ make googletest
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 xvfb xauth fonts-wine locales
  wine64 g++-mingw-w64-x86-64
  unixodbc unixodbc-dev libsqliteodbc sqlite3
  # 32-bit Wine hands ODBC connections to the 32-bit unixODBC and its drivers.
  libodbc2:i386 libodbcinst2:i386 libsqliteodbc:i386
  imagemagick x11-utils
  # The fuzzers: clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
)

sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"

ensure_polish_locale() {
  # Wine takes its ANSI code page (1250) and message language from it. Listed
  # in /etc/locale.gen: the locales package rebuilds the archive from that list
  # alone (on its install, upgrade or reconfiguration) and would drop it.
  if ! grep -qx 'pl_PL.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'pl_PL.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$' || $sudo locale-gen --keep-existing >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then ensure_polish_locale; exit 0; fi

echo "Installing: ${missing[*]}"
$sudo dpkg --add-architecture i386
# A mirror in mid-sync may serve a bad index for a while (the i386 one then
# lags the amd64 one and the install cannot resolve): try again later.
# When it never does, the 64-bit packages alone let the suites run in the
# x86-64 flavour (scripts/flavour.sh).
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
installed=""
for attempt in 1 2 3; do
  $sudo apt-get update -qq || echo "apt-get update reported errors (attempt $attempt)"
  if install "${missing[@]}"; then installed=1; break; fi
  [ "$attempt" -lt 3 ] && sleep $((attempt * 60))
done
if [ -z "$installed" ]; then
  amd64=()
  for p in "${missing[@]}"; do [[ $p == *:i386 ]] || amd64+=("$p"); done
  echo "The 32-bit packages cannot be installed now; installing the 64-bit ones only"
  install "${amd64[@]}" || exit 1
fi
ensure_polish_locale
