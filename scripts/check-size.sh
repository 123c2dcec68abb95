#!/usr/bin/env bash
# The shipped executable's size against its limit: prints both, fails above it.
# Usage: check-size.sh [EXE]   (default: build/win32/KonfiguracjaBDE.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-${BUILD_DIR:-$root/build}/win32/KonfiguracjaBDE.exe}
limit=2000000  # 2 MB
[ -f "$exe" ] || { echo "no executable at $exe"; exit 1; }
size=$(stat -c %s "$exe")
if [ "$size" -lt "$limit" ]; then verdict=spełniony; else verdict=NIESPEŁNIONY; fi
printf 'Rozmiar %s: %d bajtów (%s MB)   cel: < 2 MB -> %s\n' "$(basename "$exe")" "$size" \
  "$(awk -v s="$size" 'BEGIN { printf "%.2f", s / 1000000 }')" "$verdict"
[ "$size" -lt "$limit" ]
