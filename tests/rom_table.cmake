# The generated text, unchanged, compiled against examples/rom_header/vkey.h (the header
# that keeps the table in read-only memory) as C and as C++ with the build's compilers and
# flags. Each case checks that the object defines vkey in a read-only section with
# external linkage (nm shows R), and that the table holds the key matrix, by linking it
# with rom_table_check.c, compiled in the same language, which checks every entry.
# (tests/firmware.cmake runs the same header in linked firmware for microcontrollers.)
#
# Included from tests/CMakeLists.txt it adds a test for each case; run as a script,
#   cmake -DLANGUAGE=<c|cpp> -DTABLE=<generated text> -DSOURCE_DIR=<gen_vkey source>
#         -DWORK=<dir> -DC_COMPILER= -DCXX_COMPILER= -DC_FLAGS= -DCXX_FLAGS=
#         -DLINKER_FLAGS= -DNM= [-DUNSUPPORTED=<why>] -P rom_table.cmake
# it runs one. When the build's compilers are not GCC or clang, or its programs not ELF
# (the options and nm's view that the case relies on), it reports itself skipped.

cmake_minimum_required(VERSION 3.25)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  set(unsupported "")
  if(CMAKE_CROSSCOMPILING OR NOT CMAKE_NM OR NOT CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF"
     OR NOT CMAKE_C_COMPILER_ID MATCHES "GNU|Clang" OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(unsupported "the build's compilers are not GCC or clang building ELF programs for this host")
  endif()
  gen_vkey_generate(OUTPUT generated/rom_table.c)
  # A target with the text among its sources, so that every build writes it.
  add_custom_target(rom_table_text ALL SOURCES "${CMAKE_CURRENT_BINARY_DIR}/generated/rom_table.c")
  foreach(language IN ITEMS c cpp)
    set(name "rom_table.native.${language}")
    add_test(NAME "${name}"
             COMMAND "${CMAKE_COMMAND}" "-DLANGUAGE=${language}"
                     "-DTABLE=${CMAKE_CURRENT_BINARY_DIR}/generated/rom_table.c"
                     "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}" "-DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}"
                     "-DC_COMPILER=${CMAKE_C_COMPILER}" "-DCXX_COMPILER=${CMAKE_CXX_COMPILER}"
                     "-DC_FLAGS=${CMAKE_C_FLAGS}" "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
                     "-DLINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS}" "-DNM=${CMAKE_NM}"
                     "-DUNSUPPORTED=${unsupported}" -P "${CMAKE_CURRENT_LIST_FILE}")
    set_tests_properties("${name}" PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: ")
  endforeach()
  return()
endif()

if(UNSUPPORTED)
  message("skipped: ${UNSUPPORTED}")
  return()
endif()
include("${CMAKE_CURRENT_LIST_DIR}/support.cmake")
# The build's flags (a sanitizer's, say) come first; the table's file adds its own.
if(LANGUAGE STREQUAL "c")
  set(compiler "${C_COMPILER}")
  set(flags "${C_FLAGS} -std=c99")
elseif(LANGUAGE STREQUAL "cpp")
  set(compiler "${CXX_COMPILER}")
  set(flags "${CXX_FLAGS} -std=c++20")
else()
  message(FATAL_ERROR "LANGUAGE is '${LANGUAGE}', not c or cpp")
endif()
separate_arguments(flags UNIX_COMMAND "${flags} -O2 -Wall -Wextra -Wpedantic -Werror")
separate_arguments(linker_flags UNIX_COMMAND "${LINKER_FLAGS}")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(include "-I${SOURCE_DIR}/examples/rom_header")
file(COPY_FILE "${TABLE}" "${WORK}/table.${LANGUAGE}")
run(out "${compiler}" ${flags} "${include}" -c "${WORK}/table.${LANGUAGE}" -o "${WORK}/table.o")

# vkey defined (upper case: with external linkage) in a read-only section.
run(symbols "${NM}" "${WORK}/table.o")
if(NOT symbols MATCHES "(^|\n)[0-9a-fA-F]+ R vkey\n")
  message(FATAL_ERROR "the object does not define vkey, visible to other files, in a read-only "
                      "section; its symbols:\n${symbols}")
endif()

file(COPY_FILE "${SOURCE_DIR}/tests/rom_table_check.c" "${WORK}/check.${LANGUAGE}")
run(out "${compiler}" ${flags} "${include}" -c "${WORK}/check.${LANGUAGE}" -o "${WORK}/check.o")
run(out "${compiler}" ${flags} ${linker_flags} "${WORK}/check.o" "${WORK}/table.o" -o "${WORK}/check")
run(out "${WORK}/check")
