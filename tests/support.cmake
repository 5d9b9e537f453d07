# What the test scripts share: configuring, building and installing other projects the way
# gen_vkey's users do, finding the tools a case needs, and running commands and the
# programs those builds make. A build is of one configuration, Release unless a call names
# another. The CMake scripts (consumer.cmake, cross.cmake, firmware.cmake, rom_table.cmake)
# include it; others (generate_rule.sh) run it as a command, as the end of this file tells.
#
# The including script, or the command, is run with:
#   -DCMAKE_GENERATOR_NAME=<CMake generator>  the CMake generator of gen_vkey's own build
#   -DMULTI_CONFIG=<bool>        that CMake generator's GENERATOR_IS_MULTI_CONFIG property
#   -DC_COMPILER= -DCXX_COMPILER= -DC_FLAGS= -DCXX_FLAGS= -DLINKER_FLAGS=
#                                optional: the native toolchain of gen_vkey's own build
# and may set EMULATOR (a program and its arguments) and EXE_SUFFIX (".exe" for Windows)
# for the programs that expect_run and expect_example run.

cmake_minimum_required(VERSION 3.25)

# configure(<source> <build> [TOOLCHAIN <file>] [CONFIG <configuration>]
#           [OUTPUT <var> | FAILS <var>] [ARGS <arg>...])
# Configures <source> into <build> with CMAKE_GENERATOR_NAME, for the one configuration
# given (Release by default), for the toolchain file given, or else with the native
# toolchain of gen_vkey's own build; ARGS are passed on. Fails with CMake's output unless
# configuring succeeds; with FAILS, the other way round. <var> gets the output, with its
# runs of spaces and line ends made single spaces.
function(configure source build)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "TOOLCHAIN;CONFIG;OUTPUT;FAILS" "ARGS")
  if(NOT arg_CONFIG)
    set(arg_CONFIG Release)
  endif()
  if(arg_TOOLCHAIN)
    set(toolchain --toolchain "${arg_TOOLCHAIN}")
  else()
    set(toolchain "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
        "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
        "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
  endif()
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${CMAKE_GENERATOR_NAME}"
            "-DCMAKE_BUILD_TYPE=${arg_CONFIG}" "-DCMAKE_CONFIGURATION_TYPES=${arg_CONFIG}" ${toolchain}
            ${arg_ARGS}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(arg_FAILS AND result EQUAL 0)
    message(FATAL_ERROR "configuring ${source} succeeded, which it must not:\n${out}")
  elseif(NOT arg_FAILS AND NOT result EQUAL 0)
    message(FATAL_ERROR "configuring ${source} failed:\n${out}")
  endif()
  string(REGEX REPLACE "[ \n]+" " " out "${out}")
  foreach(var IN LISTS arg_OUTPUT arg_FAILS)
    set(${var} "${out}" PARENT_SCOPE)
  endforeach()
endfunction()

# build(<build> [CONFIG <configuration>] [TARGETS <target>...] [OUTPUT <var>])
# Builds the targets named (all by default) of <build>'s configuration (Release by default)
# and fails with the build's output unless it succeeds; with OUTPUT, <var> gets that output.
function(build build)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "CONFIG;OUTPUT" "TARGETS")
  if(NOT arg_CONFIG)
    set(arg_CONFIG Release)
  endif()
  if(arg_TARGETS)
    set(targets --target ${arg_TARGETS})
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --config "${arg_CONFIG}" ${targets}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "building ${build} failed:\n${out}")
  endif()
  if(arg_OUTPUT)
    set(${arg_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

# install_build(<build> <prefix> [CONFIG <configuration>])
# Installs <build>'s configuration (Release unless given) into <prefix>; fails unless it
# succeeds.
function(install_build build prefix)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "CONFIG" "")
  if(NOT arg_CONFIG)
    set(arg_CONFIG Release)
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${build}" --config "${arg_CONFIG}" --prefix "${prefix}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing ${build} failed:\n${out}")
  endif()
endfunction()

# need(<var> <program> [<alternative>...])
# Sets <var> to the path of the first program named that is found (a name, or a full path);
# when none is, prints "skipped: <program> is not installed" and ends the calling script.
macro(need var)
  find_program(${var} NAMES ${ARGN} NO_CACHE)
  if(NOT ${var})
    get_filename_component(need_missing "${ARGV1}" NAME)
    message("skipped: ${need_missing} is not installed")
    return()
  endif()
endmacro()

# run(<var> <command> [<arg>...])
# Runs the command and fails with what it printed unless it exits 0; <var> gets what it
# printed, standard output and standard error together.
function(run var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 120)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command}: exit ${result}\n${out}")
  endif()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()

# programs(<build> <var>)
# Sets <var> to the folder where <build> puts its Release programs: a folder of that name
# under a multi-config CMake generator.
function(programs build var)
  if(MULTI_CONFIG)
    set(${var} "${build}/Release" PARENT_SCOPE)
  else()
    set(${var} "${build}" PARENT_SCOPE)
  endif()
endfunction()

# expect_run(<status> <expected> <program> [<arg>...])
# Runs <program> (under EMULATOR when that is set) and fails unless it exits with <status>
# and prints <expected>, once any CR of a CRLF line end is dropped.
function(expect_run status expected program)
  execute_process(COMMAND ${EMULATOR} "${program}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out)
  string(REPLACE "\r\n" "\n" out "${out}")
  if(NOT result STREQUAL status OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${program} ${ARGN}: exit ${result}, wanted ${status}; printed\n"
                        "${out}\nwanted\n${expected}")
  endif()
endfunction()

# expect_example(<dir>)
# Runs both builds of the example, found in <dir>, on a text with a character that no key
# types and on one without; the keys are the key matrix's.
function(expect_example dir)
  foreach(program IN ITEMS type_text type_text_own_header)
    expect_run(1 "'H': row 7, column 0\n'i': row 6, column 3, shift\n'!': row 3, column 4, shift\n'b': no key types this character\n"
               "${dir}/${program}${EXE_SUFFIX}" "Hi!b")
    expect_run(0 "space: row 4, column 4\n'@': row 5, column 4, shift\n'\\': row 4, column 5, shift\n"
               "${dir}/${program}${EXE_SUFFIX}" " @\\")
  endforeach()
endfunction()

# Run as a command, with the options above:
#   cmake <options> -P support.cmake -- <function> <argument>...
# calls the function with the arguments, under the same contract. Where a function sets
# <var>, the argument STDOUT makes it print the value on standard output instead. A failure
# exits non-zero with the function's message on standard error; need's skip ends it with 0
# and nothing on standard output.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  # The arguments after "--": the function, then its arguments, their semicolons escaped.
  unset(function)
  unset(dashes)
  set(call "")
  math(EXPR last "${CMAKE_ARGC} - 1")
  foreach(i RANGE ${last})
    if(DEFINED function)
      string(REPLACE ";" "\\;" argument "${CMAKE_ARGV${i}}")
      list(APPEND call "${argument}")
    elseif(DEFINED dashes)
      set(function "${CMAKE_ARGV${i}}")
    elseif(CMAKE_ARGV${i} STREQUAL "--")
      set(dashes "")
    endif()
  endforeach()
  if(NOT COMMAND "${function}")
    message(FATAL_ERROR "support.cmake: no function '${function}'; run it as: cmake <options> -P support.cmake -- <function> <argument>...")
  endif()
  cmake_language(CALL "${function}" ${call})
  if(DEFINED STDOUT)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${STDOUT}")
  endif()
endif()
