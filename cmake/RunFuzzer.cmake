# Runs one fuzzer for SECONDS over a fresh copy of its seeds; fails on any finding.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
if(SEEDS AND EXISTS ${SEEDS})
  file(GLOB seeds ${SEEDS}/*)
  file(COPY ${seeds} DESTINATION ${WORK}/corpus)
endif()
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -artifact_prefix=${WORK}/artifacts/ -print_final_stats=1 ${WORK}/corpus
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "fuzzer ${FUZZER} found a fault (exit ${rc}); see ${WORK}/artifacts")
endif()
