# Builds one test program of the suite once more in BUILD_DIR, with another
# compiler or other sanitizers (none: SANITIZERS empty), and runs it whole; a
# failed test, or any undefined behaviour where it is checked, fails the run.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DCXX=clang++ -DSANITIZERS=undefined -DPROGRAM=core_tests
#         [-DBUILD_TYPE=RelWithDebInfo] [-DLAUNCHER=ccache] -P SideBuild.cmake
foreach(var SOURCE_DIR BUILD_DIR CXX PROGRAM)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(NOT BUILD_TYPE)
  # Optimised: the checks stay, the run is quick.
  set(BUILD_TYPE RelWithDebInfo)
endif()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed: ${rc}")
  endif()
endfunction()

if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
  set(options -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX} -DVELO_BENCH=OFF -DVELO_FUZZ=OFF)
  if(LAUNCHER)
    list(APPEND options -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
  endif()
  if(SANITIZERS)
    list(APPEND options -DVELO_SANITIZE=ON -DVELO_SANITIZERS=${SANITIZERS})
  else()
    list(APPEND options -DVELO_SANITIZE=OFF)
  endif()
  run("Configuring" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja ${options})
endif()
run("Building" ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${PROGRAM})
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
execute_process(COMMAND ${BUILD_DIR}/tests/${PROGRAM} --gtest_brief=1 WORKING_DIRECTORY ${BUILD_DIR}/tests
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} built with ${CXX} (sanitizers: ${SANITIZERS}) failed: ${rc}")
endif()
