# Builds the core tests with clang and -fsanitize=undefined in BUILD_DIR and runs
# them; any undefined behaviour ends the run with an error.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DCLANGXX=clang++ [-DLAUNCHER=ccache] -P ClangUbsan.cmake
foreach(var SOURCE_DIR BUILD_DIR CLANGXX)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed: ${rc}")
  endif()
endfunction()

if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
  set(launcher)
  if(LAUNCHER)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
  endif()
  # Optimised: the checks stay, the run is quick.
  run("Configuring" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
      -DCMAKE_CXX_COMPILER=${CLANGXX} ${launcher} -DVELO_SANITIZE=ON -DVELO_SANITIZERS=undefined
      -DVELO_BENCH=OFF -DVELO_FUZZ=OFF)
endif()
run("Building" ${CMAKE_COMMAND} --build ${BUILD_DIR} --target core_tests)
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
execute_process(COMMAND ${BUILD_DIR}/tests/core_tests --gtest_brief=1 WORKING_DIRECTORY ${BUILD_DIR}/tests
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The core tests under clang's UBSan failed: ${rc}")
endif()
