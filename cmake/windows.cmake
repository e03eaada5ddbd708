# Windows trees (mingw-w64): stub.exe, the Windows tests and the test tools.
# Everything is linked statically: Wine has no libstdc++/libgcc/winpthread DLLs.
enable_language(RC)
set(ZLIB_STATIC ${CMAKE_FIND_ROOT_PATH}/lib/libz.a)
set(win_libs ${ZLIB_STATIC} version shlwapi advapi32 user32 gdi32 comctl32 shell32 ole32)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# The stub is built without exceptions, RTTI or unwind tables (see
# src/stub/noexcept_runtime_main.cpp); its core is the same code the native
# unit tests run.
# -fno-threadsafe-statics: the stub runs on one thread; the guards would pull
# in the whole winpthread library.
set(NX_FLAGS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-threadsafe-statics
             -Os -ffunction-sections -fdata-sections)
add_library(core_nx STATIC ${CORE_SRC} ${WIN32_SRC})
target_include_directories(core_nx PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(core_nx PRIVATE ${NX_FLAGS})
target_link_libraries(core_nx PUBLIC ${win_libs})
project_warnings(core_nx)

add_executable(stub WIN32
  ${CMAKE_SOURCE_DIR}/src/stub/winmain_main_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/stub/noexcept_runtime_main.cpp
  ${CMAKE_SOURCE_DIR}/src/res/stub.rc)
target_compile_options(stub PRIVATE ${NX_FLAGS})
target_link_libraries(stub PRIVATE core_nx)
target_link_options(stub PRIVATE -static -s -Wl,--gc-sections -mwindows)
add_custom_command(TARGET stub POST_BUILD
  COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/pe_header_to_0x100.py $<TARGET_FILE:stub>
  COMMENT "Moving the PE header of stub.exe to 0x100")

# GoogleTest from Debian's sources, cross-built.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
add_executable(win_tests ${UNIT_TEST_SRC} ${WIN_TEST_SRC})
target_link_libraries(win_tests PRIVATE core_nx gtest_main gmock)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_options(win_tests PRIVATE -static)

# Test tools: small Windows programs the end-to-end tests start under Wine.
file(GLOB tool_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/win_*)
foreach(dir ${tool_dirs})
  get_filename_component(tool ${dir} NAME)
  string(REGEX REPLACE "^win_" "" tool ${tool})
  file(GLOB tool_src ${dir}/*.cpp)
  add_executable(${tool} WIN32 ${tool_src})
  target_link_libraries(${tool} PRIVATE core_nx)
  target_link_options(${tool} PRIVATE -static)
endforeach()

# ---- Library-search test (tests/windows/dll_search_win_test.cpp) ----
# A small DLL that reports its own path; the test copies it beside
# win_tests.exe and into the system folder under one name and checks which
# copy gets loaded.
add_library(search_probe SHARED ${CMAKE_SOURCE_DIR}/tests/windows/search_probe/search_probe.cpp)
set_target_properties(search_probe PROPERTIES PREFIX "")
target_link_options(search_probe PRIVATE -static)
add_dependencies(win_tests search_probe)

# ---- mksetup.exe (i686 tree only) ---------------------------------------------
# The builder runs on Windows too. Unlike the stub it uses exceptions (CLI11,
# nlohmann/json), so it links its own variant of the core built with them.
# The two header-only libraries come from the Debian packages; they are copied
# into the tree rather than adding /usr/include to the cross compiler's path.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(mksetup_headers ${CMAKE_BINARY_DIR}/mksetup_headers)
  file(COPY /usr/include/CLI /usr/include/nlohmann DESTINATION ${mksetup_headers})
  add_library(core_ex STATIC ${CORE_SRC} ${WIN32_SRC})
  target_include_directories(core_ex PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(core_ex PRIVATE -O2)
  target_link_libraries(core_ex PUBLIC ${win_libs})
  project_warnings(core_ex)
  file(GLOB MKSETUP_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/mksetup/*.cpp)
  list(FILTER MKSETUP_SRC EXCLUDE REGEX "_test\\.cpp$")
  add_executable(mksetup ${MKSETUP_SRC})
  target_include_directories(mksetup SYSTEM PRIVATE ${mksetup_headers})
  target_compile_options(mksetup PRIVATE -O2)
  target_link_libraries(mksetup PRIVATE core_ex)
  target_link_options(mksetup PRIVATE -static -s)
  project_warnings(mksetup)
endif()
