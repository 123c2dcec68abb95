# The same sources built for x86-64, only to run the Windows suites under
# 64-bit Wine where the kernel cannot run 32-bit programs. Never shipped.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
