# Project-wide settings and helper functions.
#
#   ostrel_warnings(target)        our warning flags (errors unless OSTREL_WERROR=OFF)
#   ostrel_add_gtest(name SOURCES ... LIBS ...)
#                                  a GoogleTest program registered with CTest; on
#                                  Windows targets its tests run under Wine (the
#                                  crosscompiling emulator) and are listed at test time
include_guard(GLOBAL)

option(OSTREL_WERROR "Treat compiler warnings as errors" ON)
option(OSTREL_TESTS "Build the test programs" ON)

set(OSTREL_CACHE "${PROJECT_SOURCE_DIR}/.cache" CACHE PATH "Folder of the dependencies built by tools/setup")

if(WIN32)
  # GoogleTest and SQLite built for this target by tools/setup.
  list(APPEND CMAKE_FIND_ROOT_PATH "${OSTREL_CACHE}/${OSTREL_MINGW_TRIPLE}")
  list(APPEND CMAKE_PREFIX_PATH "${OSTREL_CACHE}/${OSTREL_MINGW_TRIPLE}")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/tools/wine-run")
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
endif()

function(ostrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(OSTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# SQLite: Debian's library natively, the static build from tools/setup on Windows.
function(ostrel_find_sqlite)
  if(TARGET ostrel::sqlite3)
    return()
  endif()
  add_library(ostrel::sqlite3 INTERFACE IMPORTED GLOBAL)
  if(WIN32)
    set(dir "${OSTREL_CACHE}/${OSTREL_MINGW_TRIPLE}")
    if(NOT EXISTS "${dir}/lib/libsqlite3.a")
      message(FATAL_ERROR "SQLite for ${OSTREL_MINGW_TRIPLE} is missing: run tools/setup")
    endif()
    target_include_directories(ostrel::sqlite3 INTERFACE "${dir}/include")
    target_link_libraries(ostrel::sqlite3 INTERFACE "${dir}/lib/libsqlite3.a")
  else()
    find_package(SQLite3 REQUIRED)
    target_link_libraries(ostrel::sqlite3 INTERFACE SQLite::SQLite3)
  endif()
endfunction()

if(OSTREL_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(ostrel_add_gtest name)
  if(NOT OSTREL_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  ostrel_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 300)
endfunction()

# Fuzz targets: built only with -DOSTREL_FUZZ=ON and clang (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer), natively. See tools/fuzz.
option(OSTREL_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(OSTREL_FUZZ)
  set(OSTREL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  # Every library is instrumented for coverage, not only the fuzz targets.
  add_compile_options(${OSTREL_SANITIZE} -fsanitize=fuzzer-no-link -fno-omit-frame-pointer)
  add_link_options(${OSTREL_SANITIZE})
endif()

function(ostrel_add_fuzzer name)
  if(NOT OSTREL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
endfunction()
