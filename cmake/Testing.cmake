enable_testing()

# A GoogleTest binary counts as passed only when scripts/run-test says so:
# exit code 0, its own summary with at least one test passed and none
# failed, and a JSON report that agrees. Under Wine the exit code alone can
# read 0 for a killed or unrunnable process, and natively a leak report or a
# fault in a static destructor prints after the summary. Each Wine test runs
# in a prefix and on a display of its own (scripts/wine-run). COST orders
# the long programs first.
#
# WINE_DPI dpi...: the program runs once per DPI (test NAME_dpiN), each in a
# prefix whose system DPI is N (Windows' per-user "LogPixels") on a display
# as much larger as a panel of that scale is; scripts/wine-run sets both
# up before the program starts (VRK_WINE_DPI).
set(VRK_TEST_REPORT_DIR ${CMAKE_BINARY_DIR}/test-report)
# Test programs' own sources are optimised for a quick build (-Og keeps
# _FORTIFY_SOURCE's checks): most of their build went to optimising long
# test bodies at -O2. What they test (the product's libraries) and the
# benchmarks keep the configuration's level.
set(VRK_TEST_OPTIMIZATION -Og)
function(vrk_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT;COST;SHARDS" "SOURCES;LIBS;WINE_DPI" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_property(TARGET ${name} PROPERTY VRK_GTEST ON)
  target_compile_options(${name} PRIVATE ${VRK_TEST_OPTIMIZATION})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(WIN32)
    # Wine's console: keep the test binary a console program.
    target_link_options(${name} PRIVATE -mconsole)
    set(wine --wine)
  else()
    set(wine)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # SHARDS n: n ctest tests, each running its share of the program's tests
  # (GoogleTest's own sharding), side by side.
  set(tests ${name})
  if(ARG_SHARDS)
    set(tests)
    math(EXPR last "${ARG_SHARDS} - 1")
    foreach(index RANGE ${last})
      list(APPEND tests ${name}_${index})
    endforeach()
  endif()
  if(ARG_WINE_DPI)
    if(ARG_SHARDS OR NOT WIN32)
      message(FATAL_ERROR "${name}: WINE_DPI runs a Windows program whole, once per DPI")
    endif()
    set(tests)
    foreach(dpi ${ARG_WINE_DPI})
      list(APPEND tests ${name}_dpi${dpi})
    endforeach()
  endif()
  set(index 0)
  foreach(test ${tests})
    add_test(NAME ${test}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-test --name ${test} --report ${VRK_TEST_REPORT_DIR} ${wine}
              -- $<TARGET_FILE:${name}>)
    set_tests_properties(${test} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    if(ARG_COST)
      set_tests_properties(${test} PROPERTIES COST ${ARG_COST})
    endif()
    if(ARG_SHARDS)
      set_tests_properties(${test} PROPERTIES
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${index}")
      math(EXPR index "${index} + 1")
    endif()
    if(ARG_WINE_DPI)
      list(GET ARG_WINE_DPI ${index} dpi)
      set_tests_properties(${test} PROPERTIES ENVIRONMENT "VRK_WINE_DPI=${dpi}")
      math(EXPR index "${index} + 1")
    endif()
  endforeach()
endfunction()

# A libFuzzer target: built only with VRK_FUZZ (native clang), run by ctest
# for a bounded time over a copy of its seed corpus; any finding fails it.
function(vrk_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT VRK_FUZZ)
    return()
  endif()
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}> -DSEEDS=${ARG_CORPUS}
            -DWORK=${work} -DSECONDS=${ARG_SECONDS} -P ${CMAKE_SOURCE_DIR}/cmake/RunFuzzer.cmake)
  math(EXPR limit "${ARG_SECONDS} + 120")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit} COST ${ARG_SECONDS})
endfunction()
