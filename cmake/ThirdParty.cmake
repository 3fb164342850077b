# Third-party libraries, built from the sources that scripts/install-deps
# fetched (jsoncpp, TinyXML) or taken from the system (zlib, stb, GoogleTest).
set(VRK_THIRD_PARTY ${CMAKE_SOURCE_DIR}/third_party/src)
if(NOT EXISTS ${VRK_THIRD_PARTY}/jsoncpp/src/lib_json/json_reader.cpp
   OR NOT EXISTS ${VRK_THIRD_PARTY}/tinyxml/tinyxml.cpp)
  message(FATAL_ERROR "third_party/src is incomplete: run scripts/install-deps first")
endif()

file(GLOB JSONCPP_SOURCES ${VRK_THIRD_PARTY}/jsoncpp/src/lib_json/*.cpp)
add_library(jsoncpp STATIC ${JSONCPP_SOURCES})
target_include_directories(jsoncpp SYSTEM PUBLIC ${VRK_THIRD_PARTY}/jsoncpp/include)
target_compile_options(jsoncpp PRIVATE -w)

add_library(tinyxml STATIC
  ${VRK_THIRD_PARTY}/tinyxml/tinyxml.cpp
  ${VRK_THIRD_PARTY}/tinyxml/tinystr.cpp
  ${VRK_THIRD_PARTY}/tinyxml/tinyxmlerror.cpp
  ${VRK_THIRD_PARTY}/tinyxml/tinyxmlparser.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${VRK_THIRD_PARTY}/tinyxml)
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)

# zlib: the static archive explicitly, so nothing pulls in zlib1.dll.
if(WIN32)
  find_path(ZLIB_INCLUDE_DIR zlib.h REQUIRED)
  find_library(ZLIB_STATIC_LIBRARY NAMES libz.a REQUIRED)
  add_library(zlib_static INTERFACE)
  target_include_directories(zlib_static SYSTEM INTERFACE ${ZLIB_INCLUDE_DIR})
  target_link_libraries(zlib_static INTERFACE ${ZLIB_STATIC_LIBRARY})
else()
  find_package(ZLIB REQUIRED)
  add_library(zlib_static INTERFACE)
  target_link_libraries(zlib_static INTERFACE ZLIB::ZLIB)
endif()

# stb_image is header-only; only its own folder goes on the include path.
add_library(stb INTERFACE)
target_include_directories(stb SYSTEM INTERFACE /usr/include/stb)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(VRK_SANITIZE)
  # GoogleTest is not what is under test: without instrumentation it builds
  # in a fifth of the time and runs the instrumented tests the same.
  foreach(target gtest gtest_main gmock gmock_main)
    target_compile_options(${target} PRIVATE -fno-sanitize=all)
  endforeach()
endif()
