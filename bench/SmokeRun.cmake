# Runs a benchmark program once as a smoke run: every benchmark one short pass
# (no timing is judged), which must end well. A benchmark that stops with an
# error does not change the program's exit code, so its report is looked for too.
#   cmake -DPROGRAM=<benchmark program> -P SmokeRun.cmake
execute_process(COMMAND ${PROGRAM} --benchmark_min_time=0.000001 --benchmark_color=false
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${result}")
endif()
if(output MATCHES "ERROR OCCURRED")
  message(FATAL_ERROR "a benchmark of ${PROGRAM} stopped with an error")
endif()
