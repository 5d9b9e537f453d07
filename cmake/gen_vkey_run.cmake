# The build step of gen_vkey_generate(): runs the generator, checks that it wrote a whole
# table, and only then puts the text in place, so that OUTPUT is at every moment absent,
# the earlier whole table or the new one.
#   cmake -DGENERATOR=<program;args...> -DOUTPUT=<file> -DSTAMP=<file> -P gen_vkey_run.cmake
#
# The text is held in memory while the generator runs, so an interrupted run leaves no
# file behind; execute_process() hands it over with CRLF line ends made LF, so the file is
# the same whichever platform's generator wrote it. A text equal to OUTPUT's leaves OUTPUT
# untouched, timestamp and all, so that nothing compiled from it is rebuilt; STAMP records
# that the step ran.

cmake_minimum_required(VERSION 3.25)

# Fails the build step with a message that says what went wrong; OUTPUT stays as it was.
function(fail what)
  message(FATAL_ERROR "gen_vkey_generate: ${what}; ${OUTPUT} left as it was")
endfunction()

list(JOIN GENERATOR " " shown)
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE text RESULT_VARIABLE result)
if(NOT result STREQUAL "0")
  fail("${shown} failed (${result})")
endif()

# The text is whole when it opens with the include, closes with the table's last line
# and holds all 259 lines.
string(LENGTH "${text}" size)
string(REGEX MATCHALL "\n" line_ends "${text}")
list(LENGTH line_ends lines)
if(NOT text MATCHES "^#include \"vkey.h\"\n" OR NOT text MATCHES "\n};\n$" OR NOT lines EQUAL 259)
  fail("${shown} exited 0 but wrote no whole table (${size} bytes, ${lines} lines)")
endif()

if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" earlier)
  if(earlier STREQUAL text)
    file(TOUCH "${STAMP}")
    return()
  endif()
endif()

# Written under a name of this run's own in OUTPUT's folder, then renamed over OUTPUT in
# one step, so that runs at the same time never see each other's half-written file. The
# first write is a copy, because file(COPY_FILE) reports the system's reason where
# file(MAKE_DIRECTORY) and file(WRITE) do not.
cmake_path(GET OUTPUT PARENT_PATH dir)
cmake_path(GET OUTPUT FILENAME name)
execute_process(COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}" OUTPUT_QUIET ERROR_QUIET)
string(RANDOM LENGTH 16 run_id)
set(temporary "${dir}/.${name}.${run_id}.tmp")
file(COPY_FILE "${CMAKE_CURRENT_LIST_FILE}" "${temporary}" RESULT reason)
if(reason)
  fail("cannot write in ${dir}: ${reason}")
endif()
file(WRITE "${temporary}" "${text}")
file(RENAME "${temporary}" "${OUTPUT}" RESULT reason)
if(reason)
  file(REMOVE "${temporary}")
  fail("cannot replace ${OUTPUT}: ${reason}")
endif()
file(TOUCH "${STAMP}")
