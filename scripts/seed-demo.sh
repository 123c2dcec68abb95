#!/usr/bin/env bash
# Seeds a Wine prefix once as a demo workstation: the engine's configuration
# file registered (inside the prefix), the "SQL Native Client" ODBC driver
# registered as installed, and one Oracle client home whose NETWORK\ADMIN
# folder holds a small tnsnames.ora.
# Usage: seed-demo.sh PREFIX [WINE]   (WINE: the wine loader to use, default wine)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${1:?usage: seed-demo.sh PREFIX [WINE]}
wine=${2:-wine}
marker="$prefix/.demo-seeded"
[ -f "$marker" ] && exit 0

drive="$prefix/drive_c"
mkdir -p "$drive/BDE" "$drive/oracle/product/10.2.0/client_1/NETWORK/ADMIN"

# The Oracle network file is ANSI text with CR LF line ends.
printf '%s\r\n' \
  '# tnsnames.ora: demo workstation' \
  '' \
  'XE.SERWER =' \
  '  (DESCRIPTION =' \
  '    (ADDRESS_LIST =' \
  '      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521))' \
  '    )' \
  '    (CONNECT_DATA =' \
  '      (SERVICE_NAME = XE)' \
  '    )' \
  '  )' \
  '' \
  'RONDEL.VELTRA =' \
  '  (DESCRIPTION =' \
  '    (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521))' \
  '    (CONNECT_DATA = (SID = RONDEL))' \
  '  )' \
  > "$drive/oracle/product/10.2.0/client_1/NETWORK/ADMIN/tnsnames.ora"

cp "$here/seed-demo.reg" "$drive/seed-demo.reg"
WINEPREFIX="$prefix" "$wine" regedit /S 'C:\seed-demo.reg'
WINEPREFIX="$prefix" wineserver -w
rm -f "$drive/seed-demo.reg"
touch "$marker"
