# Builds the probe RIGHT, which must succeed, then WRONG, which must fail
# because HEADER is not found; anything else is a failure of this test.
foreach(var BUILD_DIR RIGHT WRONG HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "probe_build.cmake needs -D ${var}=...")
  endif()
endforeach()

function(build_probe name result_var output_var)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target layer_probe_${name}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

build_probe(${RIGHT} result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the right include did not build:\n${output}")
endif()

build_probe(${WRONG} result output)
if(result EQUAL 0)
  message(FATAL_ERROR "${WRONG}: including ${HEADER} built; it must not")
endif()
string(FIND "${output}" "${HEADER}: No such file or directory" found)
if(found EQUAL -1)
  message(FATAL_ERROR "${WRONG} failed, but not for want of ${HEADER}:\n${output}")
endif()
message(STATUS "${WRONG}: refused, ${HEADER} not found")
