# Builds other projects against gen_vkey, the way its users do, and runs what they build.
#   cmake -DCASE=<case> -DSOURCE_DIR=<gen_vkey source> -DBUILD_DIR=<its build>
#         -DCONFIG=<its configuration> -DGEN_VKEY=<its generator> -DWORK=<folder> [toolchain: -DGENERATOR= -DC_COMPILER= -DCXX_COMPILER=
#         -DC_FLAGS= -DCXX_FLAGS= -DLINKER_FLAGS=] -P consumer.cmake
# The cases:
#   in_tree            the example, with gen_vkey by add_subdirectory(); a rebuilt
#                      generator writes the table again
#   installed          the example and a C++ program, against a freshly installed gen_vkey
#   host_generator     the example in-tree with GEN_VKEY_EXECUTABLE, so that no generator is built

cmake_minimum_required(VERSION 3.25)

set(examples "${SOURCE_DIR}/examples")
# The consumers are built in Release; a multi-config generator puts the programs in a
# folder of that name.
set(programs "")
if(GENERATOR MATCHES "Multi-Config")
  set(programs "Release/")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Configures the project in source into build, with the toolchain of gen_vkey's own build.
function(configure source build)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${GENERATOR}" -DCMAKE_BUILD_TYPE=Release
            "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
            "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
            "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}" ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring ${source} failed:\n${out}")
  endif()
endfunction()

# Builds build; sets <outcome> to the build's exit status and output.
function(build build outcome)
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --config Release
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${outcome} "${result}" PARENT_SCOPE)
  set(${outcome}_output "${out}" PARENT_SCOPE)
endfunction()

# Builds build and fails unless the build succeeds.
function(build_ok build)
  build("${build}" outcome)
  if(NOT outcome EQUAL 0)
    message(FATAL_ERROR "building ${build} failed:\n${outcome_output}")
  endif()
endfunction()

# Runs program with its arguments and fails unless it exits with status and prints expected.
function(expect_run status expected program)
  execute_process(COMMAND "${program}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out)
  if(NOT result STREQUAL status OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${program} ${ARGN}: exit ${result}, wanted ${status}; printed\n"
                        "${out}\nwanted\n${expected}")
  endif()
endfunction()

# Runs both builds of the example, on a text with a character that no key types and on one without.
function(expect_example build)
  foreach(program IN ITEMS type_text type_text_own_header)
    expect_run(1 "'H': row 7, column 0\n'i': row 6, column 3, shift\n'!': row 3, column 4, shift\n'b': no key types this character\n"
               "${build}/${programs}${program}" "Hi!b")
    expect_run(0 "space: row 4, column 4\n'@': row 5, column 4, shift\n'\\': row 4, column 5, shift\n"
               "${build}/${programs}${program}" " @\\")
  endforeach()
endfunction()

if(CASE STREQUAL "in_tree")
  # From a copy of the generator's sources, so that the test can change them.
  file(COPY "${SOURCE_DIR}/CMakeLists.txt" "${SOURCE_DIR}/gen_vkey.cpp" "${SOURCE_DIR}/vkey.h"
            "${SOURCE_DIR}/cmake" DESTINATION "${WORK}/gen_vkey")
  configure("${examples}" "${WORK}/build" "-DGEN_VKEY_SOURCE_DIR=${WORK}/gen_vkey")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build")
  # A changed generator writes the table again.
  file(TOUCH "${WORK}/gen_vkey/gen_vkey.cpp")
  build("${WORK}/build" outcome)
  string(FIND "${outcome_output}" "Generating generated/vkey.c" regenerated)
  if(NOT outcome EQUAL 0 OR regenerated EQUAL -1)
    message(FATAL_ERROR "the rebuilt generator did not write the table again:\n${outcome_output}")
  endif()

elseif(CASE STREQUAL "installed")
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${WORK}/prefix"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing failed:\n${out}")
  endif()
  foreach(file IN ITEMS bin/gen_vkey include/vkey.h lib/cmake/gen_vkey/gen_vkey-config.cmake
                        lib/cmake/gen_vkey/gen_vkey-config-version.cmake)
    if(NOT EXISTS "${WORK}/prefix/${file}")
      message(FATAL_ERROR "the installed package has no ${file}")
    endif()
  endforeach()
  configure("${examples}" "${WORK}/build" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build")
  configure("${SOURCE_DIR}/tests/cxx_consumer" "${WORK}/cxx" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build_ok("${WORK}/cxx")
  expect_run(0 "1 4 1\n-1 -1 -1\n" "${WORK}/cxx/${programs}cxx_consumer")

elseif(CASE STREQUAL "host_generator")
  configure("${examples}" "${WORK}/build" "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}"
            "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build")
  if(EXISTS "${WORK}/build/gen_vkey/${programs}gen_vkey")
    message(FATAL_ERROR "a generator was built although GEN_VKEY_EXECUTABLE was given")
  endif()

else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
