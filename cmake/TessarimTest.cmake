# tessarim_add_test(NAME SOURCES ... [LIBS ...] [ARGS ...] [TIMEOUT s])
# One helper for every GoogleTest suite. Natively each case is its own CTest
# test; in the Windows build the whole program runs under Wine (through the
# cross-compiling emulator), one CTest test per program, because every Wine
# start costs about a second.
if(WIN32)
  # GoogleTest built from Debian's sources with the cross compiler.
  if(NOT TARGET gtest)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(TESSARIM_GTEST gtest gtest_main)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix
      CACHE STRING "Runs Windows test programs under 32-bit Wine" FORCE)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(TESSARIM_GTEST GTest::gtest GTest::gtest_main)
endif()

function(tessarim_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${TESSARIM_GTEST})
  tessarim_warnings(${name})
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}> FIXTURES_REQUIRED wine_prefix)
    if(T_TIMEOUT)
      set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
  else()
    gtest_discover_tests(${name} EXTRA_ARGS ${T_ARGS} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
