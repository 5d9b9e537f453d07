# Builds other projects against gen_vkey, the way its users do, and runs what they build.
#   cmake -DCASE=<case> -DSOURCE_DIR=<gen_vkey source> -DBUILD_DIR=<its build>
#         -DCONFIG=<its configuration> -DGEN_VKEY=<its generator> -DWORK=<folder>
#         <the options of support.cmake> -P consumer.cmake
# The cases:
#   in_tree            the example, with gen_vkey by add_subdirectory(); a rebuilt
#                      generator writes the table again
#   installed          the example and a C++ program, against a freshly installed gen_vkey
#   host_generator     the example in-tree with GEN_VKEY_EXECUTABLE, so that no generator is built
#   fetch_content      the example with gen_vkey by FetchContent from a local git repository;
#                      then with an installed copy, which FIND_PACKAGE_ARGS takes instead,
#                      unless FETCHCONTENT_TRY_FIND_PACKAGE_MODE is NEVER
#   make               the example's Makefile, against a freshly installed gen_vkey found by
#                      pkg-config; with a failing generator it fails and keeps no vkey.c
#   meson              the example's Meson project, against a freshly installed gen_vkey
#   no_gtest           gen_vkey configured where GoogleTest is not found: the tests are off,
#                      with a notice; asked for, they stop configuring with the way out
#   install_steps      the README's install: gen_vkey and its manual page found through PATH
#                      and MANPATH, and every installed file removed by its uninstall
#   static             gen_vkey with GEN_VKEY_STATIC: a generator with no dynamic section
#                      that writes the same text
#   man_makefile       the manual page's Makefile rule: it stops when gen_vkey is not on PATH
#                      or fails, leaving no vkey.c, and writes the whole text when it works
#   ccache             the example built under ccache in two build folders: in the second,
#                      the tables' objects miss the cache unless CCACHE_BASEDIR holds the
#                      source and build folders, and with it nothing misses
# A case that needs a missing tool prints "skipped: <tool> is not installed" and stops.

cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/support.cmake")

set(examples "${SOURCE_DIR}/examples")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# A copy of the sources that gen_vkey's build reads, in <dir>.
function(copy_gen_vkey dir)
  file(COPY "${SOURCE_DIR}/CMakeLists.txt" "${SOURCE_DIR}/gen_vkey.cpp" "${SOURCE_DIR}/vkey.h"
            "${SOURCE_DIR}/cmake" DESTINATION "${dir}")
endfunction()

if(CASE STREQUAL "in_tree")
  # From a copy of the generator's sources, so that the test can change them.
  copy_gen_vkey("${WORK}/gen_vkey")
  configure("${examples}" "${WORK}/build" ARGS "-DGEN_VKEY_SOURCE_DIR=${WORK}/gen_vkey")
  build("${WORK}/build")
  programs("${WORK}/build" dir)
  expect_example("${dir}")
  # A changed generator writes the table again.
  file(TOUCH "${WORK}/gen_vkey/gen_vkey.cpp")
  build("${WORK}/build" OUTPUT out)
  string(FIND "${out}" "Generating generated/vkey.c" regenerated)
  if(regenerated EQUAL -1)
    message(FATAL_ERROR "the rebuilt generator did not write the table again:\n${out}")
  endif()

elseif(CASE STREQUAL "installed")
  install_build("${BUILD_DIR}" "${WORK}/prefix" CONFIG "${CONFIG}")
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
  configure("${examples}" "${WORK}/build" ARGS "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build("${WORK}/build")
  programs("${WORK}/build" dir)
  expect_example("${dir}")
  configure("${SOURCE_DIR}/tests/cxx_consumer" "${WORK}/cxx" ARGS "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build("${WORK}/cxx")
  programs("${WORK}/cxx" dir)
  expect_run(0 "1 4 1\n-1 -1 -1\n" "${dir}/cxx_consumer")

elseif(CASE STREQUAL "host_generator")
  configure("${examples}" "${WORK}/build" ARGS "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}"
            "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
  build("${WORK}/build")
  programs("${WORK}/build" dir)
  expect_example("${dir}")
  programs("${WORK}/build/gen_vkey" dir)
  if(EXISTS "${dir}/gen_vkey")
    message(FATAL_ERROR "a generator was built although GEN_VKEY_EXECUTABLE was given")
  endif()

elseif(CASE STREQUAL "fetch_content")
  need(GIT git)
  # A git repository of the sources, as a user's FetchContent_Declare names one.
  copy_gen_vkey("${WORK}/repo")
  foreach(step IN ITEMS "init;-q;-b;main" "add;." "-c;user.name=test;-c;user.email=test@invalid;commit;-q;-m;sources")
    execute_process(COMMAND "${GIT}" ${step} WORKING_DIRECTORY "${WORK}/repo" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  # No installed copy: the repository's sources are fetched and built.
  configure("${examples}" "${WORK}/build" ARGS "-DGEN_VKEY_GIT=file://${WORK}/repo"
            -DCMAKE_DISABLE_FIND_PACKAGE_gen_vkey=ON)
  build("${WORK}/build")
  programs("${WORK}/build" dir)
  expect_example("${dir}")
  programs("${WORK}/build/_deps/gen_vkey-build" dir)
  if(NOT EXISTS "${dir}/gen_vkey")
    message(FATAL_ERROR "no generator was built from the fetched sources in ${dir}")
  endif()
  # An installed copy is taken instead, and nothing is fetched: the repository named is gone.
  install_build("${BUILD_DIR}" "${WORK}/prefix" CONFIG "${CONFIG}")
  configure("${examples}" "${WORK}/installed" ARGS "-DGEN_VKEY_GIT=file://${WORK}/no_such_repo"
            "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  build("${WORK}/installed")
  programs("${WORK}/installed" dir)
  expect_example("${dir}")
  if(EXISTS "${WORK}/installed/_deps/gen_vkey-src")
    message(FATAL_ERROR "gen_vkey was fetched although an installed copy is on CMAKE_PREFIX_PATH")
  endif()
  # With FETCHCONTENT_TRY_FIND_PACKAGE_MODE=NEVER, as the README says, it is fetched all the same.
  configure("${examples}" "${WORK}/fetched" ARGS "-DGEN_VKEY_GIT=file://${WORK}/repo"
            "-DCMAKE_PREFIX_PATH=${WORK}/prefix" -DFETCHCONTENT_TRY_FIND_PACKAGE_MODE=NEVER)
  if(NOT EXISTS "${WORK}/fetched/_deps/gen_vkey-src/gen_vkey.cpp")
    message(FATAL_ERROR "with FETCHCONTENT_TRY_FIND_PACKAGE_MODE=NEVER, gen_vkey was not fetched")
  endif()

elseif(CASE STREQUAL "make")
  need(MAKE make)
  need(PKG_CONFIG pkg-config pkgconf)
  need(FAILING false)
  install_build("${BUILD_DIR}" "${WORK}/prefix" CONFIG "${CONFIG}")
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
  install_build("${BUILD_DIR}" "${WORK}/prefix" CONFIG "${CONFIG}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${WORK}/prefix/lib/pkgconfig"
            "PKG_CONFIG=${PKG_CONFIG}" "CC=${C_COMPILER}" "CFLAGS=${C_FLAGS}" "LDFLAGS=${LINKER_FLAGS}"
            "${MESON}" setup "${WORK}/build" "${examples}/meson"
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${MESON}" compile -C "${WORK}/build" COMMAND_ERROR_IS_FATAL ANY)
  expect_example("${WORK}/build")

elseif(CASE STREQUAL "no_gtest")
  # Tests off by default, with the one-line notice; the generator still builds.
  copy_gen_vkey("${WORK}/gen_vkey")
  configure("${WORK}/gen_vkey" "${WORK}/default" OUTPUT said ARGS -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON)
  file(STRINGS "${WORK}/default/CMakeCache.txt" tests REGEX "^GEN_VKEY_BUILD_TESTS:")
  string(FIND "${said}" "GoogleTest (Debian: libgtest-dev) is not installed, so the tests are off" noticed)
  if(NOT tests STREQUAL "GEN_VKEY_BUILD_TESTS:BOOL=OFF" OR noticed EQUAL -1)
    message(FATAL_ERROR "without GoogleTest the tests are not off by default with a notice: ${tests}; ${said}")
  endif()
  build("${WORK}/default")
  # Asked for, they stop configuring, and the message names the way out.
  configure("${WORK}/gen_vkey" "${WORK}/asked" FAILS said
            ARGS -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DGEN_VKEY_BUILD_TESTS=ON)
  string(FIND "${said}" "configure with -DGEN_VKEY_BUILD_TESTS=OFF" named)
  if(named EQUAL -1)
    message(FATAL_ERROR "asking for the tests without GoogleTest did not name the way out: ${said}")
  endif()

elseif(CASE STREQUAL "install_steps")
  need(MAN man)
  # A build of its own, whose install_manifest.txt no other test writes.
  copy_gen_vkey("${WORK}/gen_vkey")
  file(COPY "${SOURCE_DIR}/doc" "${SOURCE_DIR}/LICENSE" "${SOURCE_DIR}/README.md" DESTINATION "${WORK}/gen_vkey")
  configure("${WORK}/gen_vkey" "${WORK}/build" ARGS -DGEN_VKEY_BUILD_TESTS=OFF)
  build("${WORK}/build")
  install_build("${WORK}/build" "${WORK}/prefix")
  # With bin on PATH and share/man on MANPATH, the command and its manual page are found.
  set(ENV{PATH} "${WORK}/prefix/bin:$ENV{PATH}")
  set(ENV{MANPATH} "${WORK}/prefix/share/man:")
  execute_process(COMMAND gen_vkey OUTPUT_VARIABLE text RESULT_VARIABLE result)
  execute_process(COMMAND "${GEN_VKEY}" OUTPUT_VARIABLE expected COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${MAN}" -w gen_vkey OUTPUT_VARIABLE page OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0 OR NOT text STREQUAL expected OR NOT page STREQUAL "${WORK}/prefix/share/man/man1/gen_vkey.1")
    message(FATAL_ERROR "installed on PATH and MANPATH: gen_vkey exit ${result}; man -w found '${page}'")
  endif()
  # Uninstalling: the files that the install listed removed, then the folders left empty;
  # nothing of the prefix is left.
  execute_process(COMMAND sh -c "xargs rm -f < install_manifest.txt" WORKING_DIRECTORY "${WORK}/build"
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND find "${WORK}/prefix" -depth -type d -empty -delete COMMAND_ERROR_IS_FATAL ANY)
  if(EXISTS "${WORK}/prefix")
    file(GLOB_RECURSE left LIST_DIRECTORIES true "${WORK}/prefix/*")
    message(FATAL_ERROR "uninstalling left ${WORK}/prefix: ${left}")
  endif()

elseif(CASE STREQUAL "static")
  need(READELF readelf)
  # Without the build's flags, whose sanitizers have no static runtime.
  configure("${SOURCE_DIR}" "${WORK}/build" ARGS -DGEN_VKEY_STATIC=ON -DGEN_VKEY_BUILD_TESTS=OFF
            -DCMAKE_C_FLAGS= -DCMAKE_CXX_FLAGS= -DCMAKE_EXE_LINKER_FLAGS=)
  build("${WORK}/build")
  programs("${WORK}/build" dir)
  execute_process(COMMAND "${READELF}" --dynamic "${dir}/gen_vkey" OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
  if(NOT dynamic MATCHES "no dynamic section")
    message(FATAL_ERROR "the static generator has a dynamic section:\n${dynamic}")
  endif()
  execute_process(COMMAND "${GEN_VKEY}" OUTPUT_FILE "${WORK}/text" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${dir}/gen_vkey" OUTPUT_FILE "${WORK}/static_text" RESULT_VARIABLE result)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/text" "${WORK}/static_text"
                  RESULT_VARIABLE differ)
  if(NOT result EQUAL 0 OR NOT differ EQUAL 0)
    message(FATAL_ERROR "the static generator: exit ${result}, and its text differs from the other's: ${differ}")
  endif()

elseif(CASE STREQUAL "man_makefile")
  need(MAKE make)
  # The rule as the page shows it, its escaped hyphens made plain.
  file(READ "${SOURCE_DIR}/doc/gen_vkey.1" page)
  string(FIND "${page}" "The same in a Makefile" at)
  string(SUBSTRING "${page}" ${at} -1 page)
  string(FIND "${page}" ".EX\n" from)
  string(FIND "${page}" "\n.EE" to)
  math(EXPR from "${from} + 4")
  math(EXPR length "${to} - ${from}")
  string(SUBSTRING "${page}" ${from} ${length} makefile)
  string(REPLACE "\\-" "-" makefile "${makefile}")
  if(NOT makefile MATCHES "vkey\\.c:")
    message(FATAL_ERROR "the manual page shows no Makefile rule for vkey.c")
  endif()
  file(WRITE "${WORK}/Makefile" "${makefile}\n")
  # gen_vkey on PATH: none, one that writes half the text and fails, the real one.
  file(MAKE_DIRECTORY "${WORK}/none" "${WORK}/failing" "${WORK}/real")
  file(WRITE "${WORK}/failing/gen_vkey" "#!/bin/sh\nhead -c 2000 '${WORK}/text'\nexit 1\n")
  file(CHMOD "${WORK}/failing/gen_vkey" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(CREATE_LINK "${GEN_VKEY}" "${WORK}/real/gen_vkey" SYMBOLIC)
  execute_process(COMMAND "${GEN_VKEY}" OUTPUT_FILE "${WORK}/text" COMMAND_ERROR_IS_FATAL ANY)
  #    PATH     make's status
  set(cases
       none     fails
       failing  fails
       real     works)
  while(cases)
    list(POP_FRONT cases path outcome)
    file(REMOVE "${WORK}/vkey.c" "${WORK}/vkey.c.tmp")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PATH=${WORK}/${path}:/usr/bin:/bin" "${MAKE}" vkey.c
                    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    file(GLOB left RELATIVE "${WORK}" "${WORK}/vkey.c*")
    if(outcome STREQUAL "fails" AND (result EQUAL 0 OR left))
      message(FATAL_ERROR "with ${path} gen_vkey, make: exit ${result}, left '${left}':\n${out}")
    elseif(outcome STREQUAL "works")
      execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/text" "${WORK}/vkey.c"
                      RESULT_VARIABLE differ)
      if(NOT result EQUAL 0 OR NOT differ EQUAL 0)
        message(FATAL_ERROR "with the real gen_vkey, make: exit ${result}, vkey.c not the text:\n${out}")
      endif()
    endif()
  endwhile()

elseif(CASE STREQUAL "ccache")
  need(CCACHE ccache)
  # The sources and the builds under one folder, the one that CCACHE_BASEDIR names.
  copy_gen_vkey("${WORK}/src/gen_vkey")
  file(COPY "${examples}" DESTINATION "${WORK}/src")
  set(ENV{CCACHE_DIR} "${WORK}/cache")
  #    base folder  misses in the second build folder
  set(cases
       ""           some
       "${WORK}"    none)
  while(cases)
    list(POP_FRONT cases base misses)
    set(ENV{CCACHE_BASEDIR} "${base}")
    execute_process(COMMAND "${CCACHE}" --clear COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
    foreach(folder IN ITEMS first second)
      execute_process(COMMAND "${CCACHE}" --zero-stats COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
      set(build "${WORK}/build-${misses}-${folder}")
      configure("${WORK}/src/examples" "${build}"
                ARGS "-DGEN_VKEY_SOURCE_DIR=${WORK}/src/gen_vkey" "-DCMAKE_C_COMPILER_LAUNCHER=${CCACHE}"
                     "-DCMAKE_CXX_COMPILER_LAUNCHER=${CCACHE}")
      build("${build}")
    endforeach()
    execute_process(COMMAND "${CCACHE}" --print-stats OUTPUT_VARIABLE stats COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCH "(^|\n)cache_miss\t([0-9]+)" found "${stats}")
    set(missed "${CMAKE_MATCH_2}")
    if(NOT found OR (misses STREQUAL "none" AND NOT missed EQUAL 0)
       OR (misses STREQUAL "some" AND missed EQUAL 0))
      message(FATAL_ERROR "with CCACHE_BASEDIR '${base}', the second build folder missed the cache "
                          "'${missed}' times, not ${misses}:\n${stats}")
    endif()
  endwhile()

else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
