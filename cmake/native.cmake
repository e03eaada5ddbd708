# Native Linux tree: the portable core, its unit tests, mksetup, fuzz targets
# and the end-to-end harness that drives the Windows builds under Wine.
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(CLI11 CONFIG QUIET)
include(GoogleTest)
enable_testing()

add_library(core STATIC ${CORE_SRC} ${POSIX_SRC})
target_include_directories(core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(core PUBLIC ZLIB::ZLIB)
project_warnings(core)

add_executable(unit_tests ${UNIT_TEST_SRC})
target_link_libraries(unit_tests PRIVATE core GTest::gtest_main GTest::gmock)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 30 TEST_PREFIX "unit.")

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/mksetup/CMakeLists.txt)
  add_subdirectory(tools/mksetup)
endif()

# libFuzzer targets need clang; each runs for a bounded time as a test.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB FUZZ_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  set(FUZZ_SECONDS 10 CACHE STRING "Seconds each fuzz target runs in the test command")
  add_library(core_fuzz STATIC ${CORE_SRC} ${POSIX_SRC})
  target_include_directories(core_fuzz PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(core_fuzz PUBLIC -fsanitize=fuzzer-no-link,address,undefined -g)
  target_link_libraries(core_fuzz PUBLIC ZLIB::ZLIB)
  foreach(src ${FUZZ_SRC})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE core_fuzz)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    set(corpus ${CMAKE_BINARY_DIR}/fuzz_corpus/${name})
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME fuzz.${name}
             COMMAND ${name} -max_total_time=${FUZZ_SECONDS} -malloc_limit_mb=256
                     -rss_limit_mb=1024 -timeout=10 -print_final_stats=0 ${corpus})
  endforeach()
endif()

# Windows programs run under Wine (see scripts/wine-run.sh); the end-to-end
# harness finds them in the x86_64 Windows tree.
set(WIN64_BUILD_DIR "" CACHE PATH "Build folder of the x86_64 Windows tree")
set(WIN32_BUILD_DIR "" CACHE PATH "Build folder of the i686 Windows tree")
if(WIN64_BUILD_DIR)
  set(wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
  set(wine_env BUILD_ROOT=${CMAKE_BINARY_DIR}/..)
  add_test(NAME windows.unit COMMAND ${wine_run} ${WIN64_BUILD_DIR}/win_tests.exe)
  set_tests_properties(windows.unit PROPERTIES ENVIRONMENT "${wine_env}"
                       RESOURCE_LOCK wine TIMEOUT 600)
  file(GLOB E2E_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  if(E2E_SRC)
    add_executable(e2e_tests ${E2E_SRC})
    target_link_libraries(e2e_tests PRIVATE core GTest::gtest_main)
    target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(e2e_tests PRIVATE
      SOURCE_DIR="${CMAKE_SOURCE_DIR}" BUILD_ROOT="${CMAKE_BINARY_DIR}/.."
      WIN64_DIR="${WIN64_BUILD_DIR}" WIN32_DIR="${WIN32_BUILD_DIR}"
      NATIVE_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME e2e COMMAND e2e_tests)
    set_tests_properties(e2e PROPERTIES ENVIRONMENT "${wine_env}"
                         RESOURCE_LOCK wine TIMEOUT 1200)
  endif()
endif()
if(WIN32_BUILD_DIR)
  add_test(NAME stub.image
           COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/check_stub_image.py
                   ${WIN32_BUILD_DIR}/stub.exe)
endif()

# Benchmark helper: native zlib inflate of a setup file's chunks, the baseline
# bench/extract_bench.sh sets the stub's extraction time against.
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/inflate_chunks.cpp)
  add_executable(inflate_chunks ${CMAKE_SOURCE_DIR}/bench/inflate_chunks.cpp)
  target_link_libraries(inflate_chunks PRIVATE core)
  project_warnings(inflate_chunks)
endif()
