# Configures the sources with BUILD_TESTING=OFF while GoogleTest and Google Benchmark are
# hidden from CMake, and checks that the result has the programs and no test or benchmark.
#   cmake -DSOURCE_DIR=... -DWORK=... -P lean_configure.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK} -DBUILD_TESTING=OFF
            -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
    RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(failed)
    message(FATAL_ERROR "configuring without the test frameworks failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK} --target help
                OUTPUT_VARIABLE targets RESULT_VARIABLE failed)
if(failed OR NOT targets MATCHES "\\.\\.\\. tarvo-com\n" OR NOT targets MATCHES "\\.\\.\\. package\n")
    message(FATAL_ERROR "the lean build lacks the programs or the package:\n${targets}")
endif()
if(targets MATCHES "_test\n" OR targets MATCHES "bench_")
    message(FATAL_ERROR "the lean build has tests or benchmarks:\n${targets}")
endif()
file(REMOVE_RECURSE ${WORK})
