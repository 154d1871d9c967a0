# Installs the chart library from the build tree into a scratch prefix, then
# configures, builds and runs the consumer program against that prefix.
# Then builds the chart's examples the same way, from the package alone.
# Variables: BUILD_DIR, SOURCE_DIR, EXAMPLES_DIR, WORK_DIR, GENERATOR, CXX,
# LINK_FLAGS.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${command}")
  endif()
endfunction()

foreach(component TrendScope TrendScopeDev)
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component ${component} --prefix "${prefix}")
endforeach()
file(GLOB_RECURSE packages "${prefix}/*/TrendScopeConfig.cmake")
if(NOT packages)
  message(FATAL_ERROR "no TrendScopeConfig.cmake under ${prefix}")
endif()
file(GLOB_RECURSE private_headers "${prefix}/*/NumberText.h" "${prefix}/*/TraceStore.h"
     "${prefix}/*/TracePainter.h" "${prefix}/*/ChartMenu.h")
if(private_headers)
  message(FATAL_ERROR "internal headers installed: ${private_headers}")
endif()

run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/consumer")

run("${CMAKE_COMMAND}" -S "${EXAMPLES_DIR}" -B "${WORK_DIR}/examples" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/examples")
