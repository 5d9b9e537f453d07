# The build step of gen_vkey_generate(), and the check of a text that the configure-time
# check of GEN_VKEY_EXECUTABLE shares with it.
#
#   cmake -DGENERATOR=<program;args...> -DOUTPUT=<file> -DSTAMP=<file> -P gen_vkey_run.cmake
#
# The step runs the generator, checks that it wrote a whole table, and only then puts the
# text in place: written under a name of its own in OUTPUT's folder and renamed over
# OUTPUT in one step, so that OUTPUT is at every moment absent, the earlier whole table or
# the new one. A text equal to OUTPUT's leaves OUTPUT untouched, timestamp and all, so that
# nothing compiled from it is rebuilt; STAMP records that the step ran. Runs for one OUTPUT
# take turns, holding a lock beside STAMP.
#
# The temporary name is fixed for each OUTPUT, so that a run that was stopped part-way (by
# a signal, or a write error such as a full disk) leaves at most that one file, which the
# next run removes first; a stopped run has not touched STAMP, so the next build runs the
# step again.

# Runs the command (a generator and its arguments) and sets <text_var> to what it wrote on
# standard output, CRLF line ends made LF (as execute_process hands them over), and
# <problem_var> to what is wrong with the run, empty when it wrote a whole table and
# exited 0. The problem quotes, shortened, what the generator said on standard error, and
# on standard output when that is not a whole table.
function(_gen_vkey_run_generator text_var problem_var)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE said RESULT_VARIABLE result)
  string(LENGTH "${text}" size)
  string(REPLACE "\n" "" joined "${text}")
  string(LENGTH "${joined}" lines)
  math(EXPR lines "${size} - ${lines}")
  string(SUBSTRING "${text}" 0 18 head)
  set(tail "")
  if(size GREATER_EQUAL 4)
    math(EXPR end "${size} - 4")
    string(SUBSTRING "${text}" ${end} 4 tail)
  endif()
  set(wrong "")
  if(NOT head STREQUAL "#include \"vkey.h\"\n")
    set(wrong "it does not open with the line #include \"vkey.h\"")
  elseif(NOT tail STREQUAL "\n};\n")
    set(wrong "it does not end with the line };")
  elseif(NOT lines EQUAL 259)
    set(wrong "it has ${lines} lines, not 259")
  endif()

  set(problem "")
  if(NOT result STREQUAL "0")
    set(problem "failed (${result})")
  elseif(wrong)
    set(problem "exited 0 but wrote no whole table (${size} bytes, ${lines} lines: ${wrong})")
  endif()
  if(problem)
    _gen_vkey_quote(said "standard error" "${said}")
    string(APPEND problem "${said}")
    if(wrong)
      _gen_vkey_quote(text "standard output" "${text}")
      string(APPEND problem "${text}")
    endif()
  endif()
  set(${text_var} "${text}" PARENT_SCOPE)
  set(${problem_var} "${problem}" PARENT_SCOPE)
endfunction()

# Sets <var> to "; on <stream> it said: <words>", with the words cut to 300 characters, or
# to nothing when there are none.
function(_gen_vkey_quote var stream words)
  string(STRIP "${words}" words)
  string(LENGTH "${words}" length)
  if(length GREATER 300)
    string(SUBSTRING "${words}" 0 300 words)
    string(APPEND words " [...]")
  endif()
  if(words STREQUAL "")
    set(${var} "" PARENT_SCOPE)
  else()
    set(${var} "; on ${stream} it said: ${words}" PARENT_SCOPE)
  endif()
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  return()  # included for the function above
endif()

cmake_minimum_required(VERSION 3.25)

# Fails the build step with a message that says what went wrong; OUTPUT stays as it was.
function(fail what)
  message(FATAL_ERROR "gen_vkey_generate: ${what}; ${OUTPUT} left as it was")
endfunction()

file(LOCK "${STAMP}.lock" GUARD PROCESS)
cmake_path(GET OUTPUT PARENT_PATH dir)
string(SHA1 key "${OUTPUT}")
string(SUBSTRING "${key}" 0 16 key)
set(temporary "${dir}/.gen_vkey-${key}.tmp")
file(REMOVE "${temporary}")

list(JOIN GENERATOR " " shown)
_gen_vkey_run_generator(text problem ${GENERATOR})
if(problem)
  fail("${shown} ${problem}")
endif()

if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" earlier)
  if(earlier STREQUAL text)
    file(TOUCH "${STAMP}")
    return()
  endif()
endif()

# A write error stops the step with CMake's message, which names the file and the
# system's reason.
if(EXISTS "${dir}" AND NOT IS_DIRECTORY "${dir}")
  fail("cannot write in ${dir}: it is a file")
elseif(NOT EXISTS "${dir}")
  file(MAKE_DIRECTORY "${dir}")
endif()
file(WRITE "${temporary}" "${text}")
file(RENAME "${temporary}" "${OUTPUT}" RESULT reason)
if(reason)
  file(REMOVE "${temporary}")
  fail("cannot replace ${OUTPUT}: ${reason}")
endif()
file(TOUCH "${STAMP}")
