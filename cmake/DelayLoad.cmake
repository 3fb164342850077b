# Delay-loaded system DLLs: a DLL that start-up does not need is loaded at
# the first call of one of its functions instead of when the process starts
# (under Wine each DLL costs milliseconds; comctl32 also starts the display
# driver and the theme engine). The game-exit path and the start of the game
# need none of these.
#
# vrk_delay_load(<target> <dll>...) gives the target a library folder of its
# own, searched before the toolchain's, holding lib<dll>.a delay-import
# libraries made by dlltool: every -l<dll> of the target's link, the
# libraries' it links included, takes the delay-import library instead.
function(vrk_delay_load target)
  if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "dlltool is needed to delay-load DLLs")
  endif()
  set(dir "${CMAKE_BINARY_DIR}/delayload")
  set(kill_at OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at ON)
  endif()
  set(outputs "")
  foreach(dll IN LISTS ARGN)
    execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=lib${dll}.a
                    OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${import_lib}")
      message(FATAL_ERROR "no import library for ${dll}")
    endif()
    set(out "${dir}/lib${dll}.a")
    add_custom_command(OUTPUT "${out}"
      COMMAND "${CMAKE_COMMAND}" -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIB=${import_lib}
              -DDLL=${dll}.dll -DDEF=${dir}/${dll}.def -DOUT=${out} -DKILL_AT=${kill_at}
              -P "${CMAKE_SOURCE_DIR}/cmake/MakeDelayLib.cmake"
      DEPENDS "${import_lib}" "${CMAKE_SOURCE_DIR}/cmake/MakeDelayLib.cmake"
      COMMENT "Delay-import library of ${dll}.dll")
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${target}_delay_libs DEPENDS ${outputs})
  add_dependencies(${target} ${target}_delay_libs)
  target_link_directories(${target} BEFORE PRIVATE "${dir}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${outputs})
endfunction()
