# Sourced: which Windows build runs here, and under which Wine.
# The shipped program is the i686 build. 32-bit Wine needs a kernel that runs
# 32-bit programs itself; where they go through an emulator (binfmt
# qemu-i386) or do not run at all, Wine is unusable, so the same sources are
# built for x86-64 and run under 64-bit Wine instead.
native_32bit() {
  if [ -r /proc/sys/fs/binfmt_misc/qemu-i386 ] && head -1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -q enabled; then
    return 1
  fi
  [ -x /usr/lib/wine/wine ] && timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Sets: arch, toolchain, wine, WINEARCH. $1: the build folder's parent.
choose_flavour() {
  local root; root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  if native_32bit; then
    arch=i686
    toolchain=$root/cmake/mingw-i686.cmake
    wine=wine
    export WINEARCH=win32
  else
    arch=x86_64
    toolchain=$root/cmake/mingw-x86_64.cmake
    wine=/usr/lib/wine/wine64
    export WINEARCH=win64
  fi
}

# A fresh prefix made usable for the suites and the program: Wine's own
# fonts (Tahoma with the Polish letters; this Wine does not search its font
# folder), and no window-manager waits under Xvfb.
prepare_prefix() {
  local prefix=$1
  mkdir -p "$prefix"
  WINEPREFIX=$prefix "$wine" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -w
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -u /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  WINEPREFIX=$prefix "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -w
}
