# Runs GENERATOR and moves its standard output to OUTPUT only when it exits 0, so
# that a failed run never leaves a truncated file where a build would compile it.
#   cmake -DGENERATOR=<program> -DOUTPUT=<file> -P gen_vkey_run.cmake

cmake_path(GET OUTPUT PARENT_PATH dir)
file(MAKE_DIRECTORY "${dir}")
set(partial "${OUTPUT}.partial")
execute_process(COMMAND "${GENERATOR}" OUTPUT_FILE "${partial}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "${GENERATOR} failed (${result}); ${OUTPUT} left unchanged")
endif()
file(RENAME "${partial}" "${OUTPUT}")
