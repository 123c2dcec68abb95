# Cross build: the real platform layer, the window, the executable, the Win32 suites.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
folder_library(platform_win32 src/platform/win32)
folder_link(platform_win32 core advapi32 kernel32)
# core's code page conversions (Ansi/Oem <-> Utf8) are defined in platform_win32 on
# this build: the cycle lets the linker see both, whatever the link order.
folder_link(core platform_win32)
folder_library(ui_win32 src/ui/win32)
folder_link(ui_win32 ui core user32 gdi32 comctl32)
# The window layer converts text at the wide APIs (WideText.h).
folder_link(ui_win32 platform_win32)
# The program image (icon, manifest, version) is a resource script.
enable_language(RC)

file(GLOB APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp ${CMAKE_SOURCE_DIR}/src/app/*.rc)
if(APP_SOURCES)
  add_executable(KonfiguracjaBDE WIN32 ${APP_SOURCES})
  target_compile_options(KonfiguracjaBDE PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${WARNINGS}>)
  target_link_libraries(KonfiguracjaBDE PRIVATE unattended wizard ui_win32 platform_win32 engine ui core shell32)
  # The shipped file carries no debug information.
  target_link_options(KonfiguracjaBDE PRIVATE -s)
endif()

# A stand-in for the installed engine's library, registered in the suites'
# prefix. Not shipped. Its entry points keep their plain names, as the real
# library's do.
file(GLOB IDAPI_STANDIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/idapistandin/*.cpp)
if(IDAPI_STANDIN_SOURCES)
  add_library(idapistandin SHARED ${IDAPI_STANDIN_SOURCES})
  set_target_properties(idapistandin PROPERTIES PREFIX "" OUTPUT_NAME idapistandin)
  target_include_directories(idapistandin PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(idapistandin PRIVATE ${WARNINGS})
  # Marked exports keep the statically linked runtime's own symbols out of the export table.
  target_compile_definitions(idapistandin PRIVATE "IDAPI_EXPORT=__declspec(dllexport)")
  target_link_options(idapistandin PRIVATE -static-libgcc -static-libstdc++ -static -Wl,--kill-at)
endif()

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(WIN32_TEST_SOURCES)
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  if(TARGET idapistandin)
    add_dependencies(win32_tests idapistandin)
    target_compile_definitions(win32_tests PRIVATE IDAPI_STANDIN_DLL="$<TARGET_FILE_NAME:idapistandin>")
  endif()
  target_compile_options(win32_tests PRIVATE ${WARNINGS})
  target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(win32_tests PRIVATE wizard ui_win32 platform_win32 engine ui core gtest_main gmock)
  add_test(NAME win32_tests COMMAND win32_tests)
endif()

# The platform layer's own suites: only platform_win32 and core, so they build
# and run whatever state the window and wizard code is in.
file(GLOB WIN32_PLATFORM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/platform/*.cpp)
if(WIN32_PLATFORM_TEST_SOURCES)
  # A tiny library for the loader suite to find along PATH.
  add_library(platformprobe SHARED ${CMAKE_SOURCE_DIR}/tests/win32/platform/probe/PlatformProbe.c)
  set_target_properties(platformprobe PROPERTIES PREFIX "" OUTPUT_NAME platformprobe)
  target_link_options(platformprobe PRIVATE -static-libgcc)

  add_executable(win32_platform_tests ${WIN32_PLATFORM_TEST_SOURCES})
  target_compile_options(win32_platform_tests PRIVATE ${WARNINGS})
  target_link_libraries(win32_platform_tests PRIVATE platform_win32 core gtest user32 gdi32)
  # tests/contract: the cases the fakes pass natively, run here on the real system.
  target_include_directories(win32_platform_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(win32_platform_tests platformprobe)
  target_compile_definitions(win32_platform_tests PRIVATE PLATFORM_PROBE_DLL="$<TARGET_FILE_NAME:platformprobe>")
  add_test(NAME win32_platform_tests COMMAND win32_platform_tests)
  # Polish locale: Wine takes its ANSI code page (1250) and its message
  # language from it.
  set_tests_properties(win32_platform_tests PROPERTIES ENVIRONMENT "LC_ALL=pl_PL.UTF-8;LANG=pl_PL.UTF-8")

  # A writer the crash suite kills in the middle of its writes. Not shipped.
  add_executable(crash_writer ${CMAKE_SOURCE_DIR}/tests/win32/platform/crashwriter/CrashWriter.cpp)
  target_compile_options(crash_writer PRIVATE ${WARNINGS})
  target_link_libraries(crash_writer PRIVATE platform_win32 core shell32)
  add_dependencies(win32_platform_tests crash_writer)
  target_compile_definitions(win32_platform_tests PRIVATE CRASH_WRITER_EXE="$<TARGET_FILE_NAME:crash_writer>")
endif()

# The program image's resources, and the files the resource script names.
if(TARGET KonfiguracjaBDE)
  target_include_directories(KonfiguracjaBDE PRIVATE ${CMAKE_SOURCE_DIR}/src/app)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/KonfiguracjaBDE.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/app/KonfiguracjaBDE.ico;${CMAKE_SOURCE_DIR}/src/app/KonfiguracjaBDE.manifest")
endif()
# The window suites also read the built executable's resources.
if(TARGET KonfiguracjaBDE AND TARGET win32_tests)
  add_dependencies(win32_tests KonfiguracjaBDE)
  target_compile_definitions(win32_tests PRIVATE PROGRAM_EXE="$<TARGET_FILE:KonfiguracjaBDE>")
  target_link_libraries(win32_tests PRIVATE version)
endif()

# The run script's driver: presses the running wizard's buttons from outside
# to photograph every page, with the window suites' program driver. Not shipped.
if(TARGET KonfiguracjaBDE AND EXISTS ${CMAKE_SOURCE_DIR}/tests/win32/demo/DemoDriverMain.cpp)
  add_executable(demo_driver ${CMAKE_SOURCE_DIR}/tests/win32/demo/DemoDriverMain.cpp)
  target_compile_options(demo_driver PRIVATE ${WARNINGS})
  target_include_directories(demo_driver PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(demo_driver PRIVATE PROGRAM_EXE="$<TARGET_FILE:KonfiguracjaBDE>")
  target_link_libraries(demo_driver PRIVATE platform_win32 core user32 shell32)
endif()

# The SQL Server suite's unixODBC configuration: Wine's odbc32 hands
# connections to unixODBC, which reads these files.
if(TARGET win32_tests)
  set_tests_properties(win32_tests PROPERTIES ENVIRONMENT
    "ODBCINI=${CMAKE_BINARY_DIR}/wine-odbc/odbc.ini;ODBCSYSINI=${CMAKE_BINARY_DIR}/wine-odbc")
endif()

# The stand-in Oracle client built as the Windows client library "oci.dll":
# the demo workstation's Oracle home carries it in its BIN folder, found
# through PATH like the real client. Not shipped.
file(GLOB OCI_STANDIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ocistandin/*.cpp)
if(OCI_STANDIN_SOURCES)
  add_library(ocistandin SHARED ${OCI_STANDIN_SOURCES})
  set_target_properties(ocistandin PROPERTIES PREFIX "" OUTPUT_NAME oci)
  target_compile_options(ocistandin PRIVATE ${WARNINGS})
  target_link_options(ocistandin PRIVATE -static -static-libgcc -static-libstdc++)
endif()

# The start-up benchmark (scripts/bench.sh): a bare window built like the
# program, and the starter that times both under Wine. Not shipped.
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win32/StartBench.cpp)
  add_executable(bare_window WIN32 ${CMAKE_SOURCE_DIR}/bench/win32/BareWindow.cpp)
  target_link_options(bare_window PRIVATE -s)
  add_executable(start_bench ${CMAKE_SOURCE_DIR}/bench/win32/StartBench.cpp)
  target_compile_options(start_bench PRIVATE ${WARNINGS} -municode)
  target_link_options(start_bench PRIVATE -municode)
  target_include_directories(start_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(start_bench PRIVATE user32)
endif()
