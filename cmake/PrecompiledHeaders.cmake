# Precompiled headers. Parsing <windows.h> and GoogleTest took about 5 of
# the 5.5 s a small test source takes to build under MinGW, once per
# source, and made most of a clean build. Each is now compiled once per
# build and reused by every target of ours: on Windows the product's header
# (the system and standard headers) and the tests' (those and GoogleTest);
# natively the tests' alone. Sources still include what they use: the
# native product modules, built without one, keep that honest.
#
# GCC 12 judges standard-library code inlined from a precompiled header as
# it would our own: a std::wstring made from L"" draws a false
# -Warray-bounds at -O3, which the shipped build (warnings as errors) stops
# on; such a string is written std::wstring() instead.
#
# A target whose flags do not match a header's build falls back to parsing
# the text with GCC (-Winvalid-pch says so) and clang refuses it, so every
# target gets the same options as the header targets: those of the
# folders, set before either is defined.

# Every target defined in a folder and below it.
function(vrk_targets_below dir out)
  get_property(found DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    vrk_targets_below(${sub} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The two header targets: defined where the code they serve is defined, so
# their compile options are those of that code. Natively only the tests'
# (the portable modules include little).
function(vrk_define_precompiled_headers)
  set(system <algorithm> <cstdint> <cstring> <functional> <map> <memory> <string> <utility> <vector>)
  if(WIN32)
    list(PREPEND system <windows.h>)
    vrk_header_target(vrk_pch_product ${system})
  endif()
  if(VRK_BUILD_TESTS)
    vrk_header_target(vrk_pch_tests ${system} <gtest/gtest.h> <gmock/gmock.h>)
    target_link_libraries(vrk_pch_tests PRIVATE GTest::gtest GTest::gmock)
    target_compile_options(vrk_pch_tests PRIVATE ${VRK_TEST_OPTIMIZATION})
  endif()
endfunction()

# A library of one empty source whose precompiled header others reuse.
function(vrk_header_target name)
  file(WRITE ${CMAKE_BINARY_DIR}/pch/${name}.cpp "// ${name}'s precompiled header is built with this source.\n")
  add_library(${name} STATIC ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
  target_precompile_headers(${name} PRIVATE ${ARGN})
endfunction()

# Every C++ target below the folders uses one of the two: a test program
# (vrk_add_gtest marks it) the tests' header, any other the product's.
function(vrk_use_precompiled_headers)
  # The folders of ours that this configuration added (not third parties).
  get_property(added DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  set(ours)
  foreach(dir ${ARGN})
    list(APPEND ours ${CMAKE_SOURCE_DIR}/${dir})
  endforeach()
  foreach(dir ${added})
    if(NOT dir IN_LIST ours)
      continue()
    endif()
    vrk_targets_below(${dir} targets)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$"
         OR target MATCHES "^vrk_pch_")
        continue()
      endif()
      get_target_property(sources ${target} SOURCES)
      list(FILTER sources INCLUDE REGEX "\\.(cpp|cc)$")
      if(NOT sources)
        continue()
      endif()
      get_target_property(is_test ${target} VRK_GTEST)
      if(is_test)
        target_precompile_headers(${target} REUSE_FROM vrk_pch_tests)
      elseif(WIN32)
        target_precompile_headers(${target} REUSE_FROM vrk_pch_product)
      endif()
    endforeach()
  endforeach()
endfunction()
