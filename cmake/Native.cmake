# Native build: portable libraries, fakes, unit suites, benchmark.
folder_library(fakes tests/fakes)
folder_link(fakes wizard engine ui core ${CMAKE_DL_LIBS})
# Also reaches tests/contract: the cases the Wine suites run on the real system.
target_include_directories(fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)

file(GLOB OCI_STANDIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ocistandin/*.cpp)
if(OCI_STANDIN_SOURCES)
  add_library(ocistandin SHARED ${OCI_STANDIN_SOURCES})
  target_compile_options(ocistandin PRIVATE ${WARNINGS})
endif()

# The installed engine's library, for the alias backend's suites.
file(GLOB IDAPI_STANDIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/idapistandin/*.cpp)
if(IDAPI_STANDIN_SOURCES)
  add_library(idapistandin SHARED ${IDAPI_STANDIN_SOURCES})
  target_include_directories(idapistandin PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(idapistandin PRIVATE ${WARNINGS})
endif()

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
target_compile_options(unit_tests PRIVATE ${WARNINGS})
target_link_libraries(unit_tests PRIVATE fakes unattended gtest_main gmock)
if(TARGET ocistandin)
  add_dependencies(unit_tests ocistandin)
  target_compile_definitions(unit_tests PRIVATE OCI_STANDIN_PATH="$<TARGET_FILE:ocistandin>")
endif()
if(TARGET idapistandin)
  add_dependencies(unit_tests idapistandin)
  target_compile_definitions(unit_tests PRIVATE IDAPI_STANDIN_PATH="$<TARGET_FILE:idapistandin>")
endif()
add_test(NAME unit_tests COMMAND unit_tests)

# One benchmark per file: bench/EngineBench.cpp builds engine_bench.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(source ${BENCH_SOURCES})
  get_filename_component(stem ${source} NAME_WE)
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" bench ${stem})
  string(TOLOWER ${bench} bench)
  add_executable(${bench} ${source})
  target_compile_options(${bench} PRIVATE ${WARNINGS})
  target_link_libraries(${bench} PRIVATE fakes)
endforeach()
