# Test programs: GoogleTest natively (Debian's package) and, for the Windows
# builds, GoogleTest compiled from the sources Debian ships in /usr/src/googletest.
# Cross-built test programs run through CMAKE_CROSSCOMPILING_EMULATOR
# (tests/wine/wine-run), which gives every run its own time limit.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/wine-run CACHE FILEPATH "" FORCE)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# tov_add_gtest(NAME SOURCES... LIBS ... [LABELS ...]): one test program.
# Natively each test case is its own ctest entry, carrying the LABELS (the
# label "threads" marks the programs that the ThreadSanitizer preset runs); a
# cross-built program is one entry, run under Wine for x86_64 and only built
# for i686.
function(tov_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(NOT CMAKE_CROSSCOMPILING)
    set(properties TIMEOUT 300)
    if(T_LABELS)
      list(APPEND properties LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()
