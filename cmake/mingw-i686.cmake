# Cross build of the 32-bit Windows executable with MinGW-w64.
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
