# Packs the layout files and the drawn images at the top level of one zip,
# made anew each time so that no stale entry survives a rename.
#   cmake -DZIP=<zip> -DOUT=<skin.zip> -DFILES=<file;file;...> -P PackSkin.cmake
file(REMOVE ${OUT})
execute_process(COMMAND ${ZIP} -X -q -j -9 ${OUT} ${FILES} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "zip failed (${rc})")
endif()
