#!/usr/bin/env bash
# Seeds a Wine prefix once as a demo workstation: the engine's configuration
# file registered (inside the prefix), the "SQL Native Client" ODBC driver
# registered as installed, and one Oracle client home whose NETWORK\ADMIN
# folder holds a tnsnames.ora with entries of several forms, as real files
# have them (the run command puts the client library into the home's BIN);
# and a stand-in SQL Server for the database list.
# Usage: seed-demo.sh PREFIX [WINE [ARCH]]   (WINE: the wine loader, default
# wine; ARCH: i686 or x86_64, the Windows build's, default i686)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${1:?usage: seed-demo.sh PREFIX [WINE [ARCH]]}
wine=${2:-wine}
arch=${3:-i686}

# The stand-in SQL Server: Wine's odbc32 hands connections to unixODBC, which
# finds the wizard's temporary data source in this odbc.ini (the run command
# points ODBCINI here), leading to a SQLite file with a sysdatabases table.
odbc="$prefix/odbc"
mkdir -p "$odbc"
case "$arch" in i686) lib=/usr/lib/i386-linux-gnu ;; *) lib=/usr/lib/x86_64-linux-gnu ;; esac
printf '[TmpVeltraMSSQLDataSource]\nDriver=%s/odbc/libsqlite3odbc.so\nDatabase=%s/serwer.db\n' "$lib" "$odbc" \
  > "$odbc/odbc.ini"
: > "$odbc/odbcinst.ini"
if [ ! -f "$odbc/serwer.db" ]; then
  sqlite3 "$odbc/serwer.db" "create table sysdatabases (NAME varchar(128));
    insert into sysdatabases values ('master'), ('tempdb'), ('model'), ('msdb'),
      ('Rondel'), ('Rondel_Liczniki'), ('Rondel_Archiwum');"
fi

marker="$prefix/.demo-seeded-2"
[ -f "$marker" ] && exit 0

drive="$prefix/drive_c"
mkdir -p "$drive/BDE" "$drive/oracle/product/10.2.0/client_1/NETWORK/ADMIN" "$drive/oracle/product/10.2.0/client_1/BIN"

# The Oracle network file is ANSI text (code page 1250) with CR LF line ends.
printf '%s\r\n' \
  '# tnsnames.ora: demo workstation (Łódź)' \
  '' \
  'VELTRA =' \
  '  (DESCRIPTION =' \
  '    (ADDRESS_LIST =' \
  '      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer-rondel)(PORT = 1521))' \
  '    )' \
  '    (CONNECT_DATA =' \
  '      (SERVICE_NAME = VELTRA)' \
  '    )' \
  '  )' \
  '' \
  'XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))' \
  '    (CONNECT_DATA = (SERVER = DEDICATED)(SERVICE_NAME = XE)))' \
  '' \
  'RONDEL.VELTRA =' \
  '  (DESCRIPTION =' \
  '    # an address written by the client'"'"'s own tools' \
  '    (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521))' \
  '    (CONNECT_DATA = (SID = RONDEL))' \
  '  )' \
  'archiwum=(description=(address_list=(address=(protocol=tcp)(host=archiwum)(port=1521)))(connect_data=(sid=ARCH)))' \
  'IFILE = C:\oracle\product\10.2.0\client_1\NETWORK\ADMIN\inne.ora' \
  | iconv -f UTF-8 -t CP1250 > "$drive/oracle/product/10.2.0/client_1/NETWORK/ADMIN/tnsnames.ora"

cp "$here/seed-demo.reg" "$drive/seed-demo.reg"
WINEPREFIX="$prefix" "$wine" regedit /S 'C:\seed-demo.reg'
WINEPREFIX="$prefix" wineserver -w
rm -f "$drive/seed-demo.reg"
touch "$marker"
