#!/usr/bin/env bash
# The run command: installs what is missing, builds the Windows executable,
# and starts the wizard under Wine in a prefix kept in the build folder,
# seeded once as a demo workstation (scripts/seed-demo.sh).
#
# The demo's Oracle home carries the stand-in client library (built for
# Windows as oci.dll) in its BIN folder, which is on PATH: the schema-user
# lists come from it.
#
# With a display ($DISPLAY set) the window opens there. Without one (or with
# --screenshots) the wizard runs under Xvfb: the real buttons walk the Oracle
# path, edit the service's host, open a schema-user list and press "Wykonaj";
# a second start walks the SQL Server path, fills in the server, opens the
# stand-in server's database list and presses "Wykonaj" there. A
# screenshot of every page goes to build/screenshots/, and the script prints
# where they are and the Oracle files the run wrote.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)
export WINEDEBUG=${WINEDEBUG:--all}
if [ "${1:-}" != "--inside-xvfb" ] && [ -z "${DEPS_READY:-}" ]; then
  bash "$root/scripts/install-deps.sh"
  # A fresh shell sees a locale the install has just added (scripts/test.sh).
  DEPS_READY=1 exec bash "$0" "$@"
fi
# Polish Windows: the ANSI code page 1250 for the registry and the Oracle files.
export LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8

. "$root/scripts/flavour.sh"
choose_flavour
if [ "$arch" = i686 ]; then out=$build/win32; else out=$build/win64; fi
prefix=${WINEPREFIX_RUN:-$build/wineprefix-$arch}
exe=$out/KonfiguracjaBDE.exe
driver=$out/demo_driver.exe

if [ "${1:-}" != "--inside-xvfb" ]; then
  if [ "$arch" = x86_64 ]; then
    echo "Note: this kernel does not run 32-bit programs natively; showing a 64-bit build under 64-bit Wine."
  fi
  echo "== building the $arch executable into $out"
  cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  cmake --build "$out" -j"$jobs" --target KonfiguracjaBDE demo_driver ocistandin >/dev/null
fi

export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${1:-}" != "--inside-xvfb" ] && [ ! -f "$prefix/system.reg" ]; then
  echo "== creating the Wine prefix $prefix (once)"
  prepare_prefix "$prefix"
fi
oracle_home=$prefix/drive_c/oracle/product/10.2.0/client_1
if [ "${1:-}" != "--inside-xvfb" ]; then
  bash "$root/scripts/seed-demo.sh" "$prefix" "$wine" "$arch"
  cp "$out/oci.dll" "$oracle_home/BIN/oci.dll"
fi
# Wine puts WINEPATH in front of the program's PATH, as the Oracle installer
# puts the home's BIN folder there on Windows.
export WINEPATH='C:\oracle\product\10.2.0\client_1\BIN'
# unixODBC's files of the stand-in SQL Server (seed-demo.sh).
export ODBCINI=$prefix/odbc/odbc.ini ODBCSYSINI=$prefix/odbc

if [ -n "${DISPLAY:-}" ] && [ -z "${1:-}" ]; then
  # The desktop's window manager frames the window.
  "$wine" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "== starting the wizard on $DISPLAY"
  exec "$wine" "$exe"
fi

# ---- no display: photograph every page under Xvfb

shots=$build/screenshots
if [ "${1:-}" != "--inside-xvfb" ]; then
  rm -rf "$shots"
  mkdir -p "$shots"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside-xvfb
  echo "== screenshots of every page: $shots"
  ls -1 "$shots"
  for file in sqlnet.ora tnsnames.ora; do
    echo "== $file of the demo Oracle home after the run (code page 1250 shown as UTF-8)"
    iconv -f CP1250 -t UTF-8 "$oracle_home/NETWORK/ADMIN/$file" | tr -d '\r'
  done
  exit 0
fi

# No window manager here: Wine draws the frame and caption itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
wineserver -w

step=0
shot() {
  step=$((step + 1))
  sleep 1
  local name
  name=$("$wine" "$driver" page | tr -d '\r')
  import -window root -crop "$geometry" +repage "$shots/$(printf '%02d' $step)-${1:-$name}.png"
}
# A click; a message box it opens is photographed and closed.
press() {
  "$wine" "$driver" click "$1" || return 0
  if "$wine" "$driver" dialog >/dev/null 2>&1; then
    step=$((step + 1))
    sleep 1
    import -window root "$shots/$(printf '%02d' $step)-komunikat.png"
    "$wine" "$driver" dismiss
  fi
}
start() {
  "$wine" "$exe" &
  program=$!
  trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
  geometry=$("$wine" "$driver" wait 300 | tr -d '\r')
}
# "Wykonaj" on the last page: the status page and "OK", or the message that stops it.
finish() {
  press "Wykonaj"
  if [ "$("$wine" "$driver" page | tr -d '\r')" = "TabSheet5" ]; then
    shot
    press "OK"
  else
    "$wine" "$driver" close
  fi
  wait $program || true
  trap - EXIT
}

# Oracle, version 10: pages 0, 2, 4 (the service's host edited), 6 (a
# schema-user list opened), then the apply.
start
shot
press "Oracle Server"
press "10 (X)"
shot TabSheet0-Oracle
press "Dalej >"; shot
press "Dalej >"
"$wine" "$driver" edit 2 serwer-rondel.veltra.local
shot
press "Dalej >"
"$wine" "$driver" dropdown 1
shot TabSheet3Oracle-lista
"$wine" "$driver" closeup 1
shot
finish

# SQL Server, version 9 (its aliases have their own prefix): pages 0, 1, 3
# (the server filled in), 5 (the stand-in server's database list opened),
# then the apply.
start
press "Microsoft SQL Server"
press "9 (II)"
shot TabSheet0-SqlServer
press "Dalej >"; shot
press "Dalej >"
"$wine" "$driver" type 0 'SERWER\RONDEL'
shot
press "Dalej >"
"$wine" "$driver" dropdown 0
shot TabSheet3-lista-baz
"$wine" "$driver" closeup 0
"$wine" "$driver" type 0 Rondel
"$wine" "$driver" type 1 Rondel_Liczniki
shot
finish
wineserver -k 2>/dev/null || true
