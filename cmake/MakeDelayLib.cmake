# Makes a delay-import library of a system DLL from the toolchain's import
# library, run as a script at build time:
#   cmake -DNM=<nm> -DDLLTOOL=<dlltool> -DIMPORT_LIB=<lib....a> -DDLL=<name.dll>
#         -DDEF=<out.def> -DOUT=<lib....a> -DKILL_AT=<ON|OFF> -P MakeDelayLib.cmake
# Every function of the import library (its thunk symbols; data imports
# have none and cannot be delay-loaded) goes into the definition file.
# i686 names carry their stdcall decoration (_Name@N); the DLL exports them
# without it, hence --kill-at there.
execute_process(COMMAND "${NM}" -g --defined-only "${IMPORT_LIB}" OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the symbols of ${IMPORT_LIB}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exports "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]+ T (.+)$")
    set(name "${CMAKE_MATCH_1}")
    if(KILL_AT)
      string(REGEX REPLACE "^_" "" name "${name}")  # the i686 C prefix
    endif()
    string(APPEND exports "  ${name}\n")
  endif()
endforeach()
if(exports STREQUAL "")
  message(FATAL_ERROR "no functions in ${IMPORT_LIB}")
endif()
file(WRITE "${DEF}" "LIBRARY ${DLL}\nEXPORTS\n${exports}")
set(kill "")
if(KILL_AT)
  set(kill --kill-at)
endif()
execute_process(COMMAND "${DLLTOOL}" ${kill} --input-def "${DEF}" --dllname "${DLL}" --output-delaylib "${OUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()
