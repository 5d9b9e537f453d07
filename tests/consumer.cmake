# Builds other projects against gen_vkey, the way its users do, and runs what they build.
#   cmake -DCASE=<case> -DSOURCE_DIR=<gen_vkey source> -DBUILD_DIR=<its build>
#         -DCONFIG=<its configuration> -DGEN_VKEY=<its generator> -DWORK=<folder> [toolchain: -DGENERATOR= -DC_COMPILER= -DCXX_COMPILER=
#         -DC_FLAGS= -DCXX_FLAGS= -DLINKER_FLAGS=] -P consumer.cmake
# The cases:
#   in_tree            the example, with gen_vkey by add_subdirectory(); a rebuilt
#                      generator writes the table again
#   installed          the example and a C++ program, against a freshly installed gen_vkey
#   host_generator     the example in-tree with GEN_VKEY_EXECUTABLE, so that no generator is built
#   make               the example's Makefile, against a freshly installed gen_vkey found by
#                      pkg-config; with a failing generator it fails and keeps no vkey.c
#   meson              the example's Meson project, against a freshly installed gen_vkey
# make and meson print "skipped: <tool> is not installed" and stop when a tool is missing.

cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/example_runs.cmake")

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

# Installs gen_vkey from its build into prefix.
function(install_gen_vkey prefix)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${prefix}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing failed:\n${out}")
  endif()
endfunction()

# Sets var to the path of the first program named that is found, or, when none is, ends
# the case as skipped.
macro(need var)
  find_program(${var} NAMES ${ARGN})
  if(NOT ${var})
    message("skipped: ${ARGV1} is not installed")
    return()
  endif()
endmacro()

if(CASE STREQUAL "in_tree")
  # From a copy of the generator's sources, so that the test can change them.
  file(COPY "${SOURCE_DIR}/CMakeLists.txt" "${SOURCE_DIR}/gen_vkey.cpp" "${SOURCE_DIR}/vkey.h"
            "${SOURCE_DIR}/cmake" DESTINATION "${WORK}/gen_vkey")
  configure("${examples}" "${WORK}/build" "-DGEN_VKEY_SOURCE_DIR=${WORK}/gen_vkey")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build/${programs}")
  # A changed generator writes the table again.
  file(TOUCH "${WORK}/gen_vkey/gen_vkey.cpp")
  build("${WORK}/build" outcome)
  string(FIND "${outcome_output}" "Generating generated/vkey.c" regenerated)
  if(NOT outcome EQUAL 0 OR regenerated EQUAL -1)
    message(FATAL_ERROR "the rebuilt generator did not write the table again:\n${outcome_output}")
  endif()

elseif(CASE STREQUAL "installed")
  install_gen_vkey("${WORK}/prefix")
  foreach(file IN ITEMS bin/gen_vkey include/gen_vkey/vkey.h lib/libgen_vkey.a
                        lib/cmake/gen_vkey/gen_vkey-config.cmake
                        lib/cmake/gen_vkey/gen_vkey-config-version.cmake lib/pkgconfig/gen_vkey.pc
                        share/man/man1/gen_vkey.1 share/doc/gen_vkey/LICENSE
                        share/doc/gen_vkey/README.md)
    if(NOT EXISTS "${WORK}/prefix/${file}")
      message(FATAL_ERROR "the installed package has no ${file}")
    endif()
  endforeach()
  # Names that would clash with another project's.
  foreach(file IN ITEMS include/vkey.h lib/libvkey.a)
    if(EXISTS "${WORK}/prefix/${file}")
      message(FATAL_ERROR "the installed package has ${file}")
    endif()
  endforeach()
  configure("${examples}" "${WORK}/build" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build/${programs}")
  configure("${SOURCE_DIR}/tests/cxx_consumer" "${WORK}/cxx" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build_ok("${WORK}/cxx")
  expect_run(0 "1 4 1\n-1 -1 -1\n" "${WORK}/cxx/${programs}cxx_consumer")

elseif(CASE STREQUAL "host_generator")
  configure("${examples}" "${WORK}/build" "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}"
            "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
  build_ok("${WORK}/build")
  expect_example("${WORK}/build/${programs}")
  if(EXISTS "${WORK}/build/gen_vkey/${programs}gen_vkey")
    message(FATAL_ERROR "a generator was built although GEN_VKEY_EXECUTABLE was given")
  endif()

elseif(CASE STREQUAL "make")
  need(MAKE make)
  need(PKG_CONFIG pkg-config pkgconf)
  need(FAILING false)
  install_gen_vkey("${WORK}/prefix")
  set(make_example
      "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${WORK}/prefix/lib/pkgconfig"
      "${MAKE}" -f "${examples}/make/Makefile" "PKG_CONFIG=${PKG_CONFIG}" "CC=${C_COMPILER}"
      "CFLAGS=${C_FLAGS}" "LDFLAGS=${LINKER_FLAGS}")
  # A generator that fails: make fails and keeps no vkey.c, whole or in part.
  execute_process(COMMAND ${make_example} "GEN_VKEY=${FAILING}" WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  file(GLOB left "${WORK}/vkey.c*")
  if(result EQUAL 0 OR left)
    message(FATAL_ERROR "make with a failing generator: exit ${result}, left '${left}':\n${out}")
  endif()
  execute_process(COMMAND ${make_example} WORKING_DIRECTORY "${WORK}" COMMAND_ERROR_IS_FATAL ANY)
  expect_example("${WORK}")
  # type_text is built with pkg-config's flags alone: the stock table's vkey['a'].
  expect_run(0 "'a': row 1, column 4, shift\n" "${WORK}/type_text" a)

elseif(CASE STREQUAL "meson")
  need(MESON meson)
  need(NINJA ninja ninja-build)
  need(PKG_CONFIG pkg-config pkgconf)
  install_gen_vkey("${WORK}/prefix")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${WORK}/prefix/lib/pkgconfig"
            "PKG_CONFIG=${PKG_CONFIG}" "CC=${C_COMPILER}" "CFLAGS=${C_FLAGS}" "LDFLAGS=${LINKER_FLAGS}"
            "${MESON}" setup "${WORK}/build" "${examples}/meson"
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${MESON}" compile -C "${WORK}/build" COMMAND_ERROR_IS_FATAL ANY)
  expect_example("${WORK}/build")

else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
