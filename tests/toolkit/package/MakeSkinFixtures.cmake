# Builds the archives and files the skin tests read, with the real zip tool.
#   cmake -DOUT=<folder> -DZIP=<zip program> -P MakeSkinFixtures.cmake
file(REMOVE_RECURSE ${OUT})
set(src ${OUT}/src)
file(MAKE_DIRECTORY ${src}/Images/Nested)

file(WRITE ${src}/GameLoader.xml
  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"960,620\">\n  <Label name=\"tip\" text=\"fixture\"/>\n</Window>\n")
string(REPEAT "an entry two folders down\n" 20 deep)
file(WRITE ${src}/Images/Nested/Deep.txt "${deep}")
file(WRITE ${src}/empty.txt "")

# A markup file of exactly 4 MiB, and one a byte longer.
set(head "<Window>")
set(tail "</Window>")
math(EXPR padding "4194304 - 8 - 9")
string(REPEAT "x" ${padding} pad)
file(WRITE ${src}/exact.xml "${head}${pad}${tail}")
file(WRITE ${src}/over.xml "${head}${pad}x${tail}")
file(WRITE ${OUT}/empty.bin "")

function(make_zip archive level)
  execute_process(COMMAND ${ZIP} -X -q ${level} -r ${OUT}/${archive} ${ARGN} WORKING_DIRECTORY ${src} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "zip failed for ${archive} (${rc})")
  endif()
endfunction()
make_zip(stored.zip -0 GameLoader.xml Images empty.txt)
make_zip(deflated.zip -9 GameLoader.xml Images empty.txt)
make_zip(big.zip -9 exact.xml over.xml)
file(COPY ${src}/exact.xml ${src}/over.xml DESTINATION ${OUT})
