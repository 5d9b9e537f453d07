# The generated text, unchanged, compiled against examples/rom_header/vkey.h (the header
# that keeps the table in read-only memory) as C and as C++, with the build's compilers and
# for a Cortex-M4. Each case checks that the object defines vkey in a read-only section
# with external linkage (nm shows R), and that the table holds the key matrix: natively by
# linking it with rom_table_check.c, compiled in the same language, which checks every
# entry; for the Cortex-M4 by reading the object's .rodata, which must be the whole table,
# 768 bytes, with nothing in RAM.
#
# Included from tests/CMakeLists.txt it adds a test for each case; run as a script,
#   cmake -DCASE=<toolchain>.<c|cpp> -DTABLE=<generated text> -DSOURCE_DIR=<gen_vkey source>
#         -DWORK=<dir> [for native: -DC_COMPILER= -DCXX_COMPILER= -DC_FLAGS= -DCXX_FLAGS=
#         -DLINKER_FLAGS= -DNM=] -P rom_table.cmake
# it runs one. A case whose compiler or tools are missing reports itself skipped.

cmake_minimum_required(VERSION 3.25)

#    toolchain  C compiler         C++ compiler       nm                objcopy                size                flags
set(toolchains
     native     "${C_COMPILER}"    "${CXX_COMPILER}"  "${NM}"           ""                     ""                  "-O2"
     cortex_m4  arm-none-eabi-gcc  arm-none-eabi-g++  arm-none-eabi-nm  arm-none-eabi-objcopy  arm-none-eabi-size  "-Os -mcpu=cortex-m4 -mthumb"
)
set(columns 7)

# Entries read from the Cortex-M4's .rodata, with their keys in the README's key matrix.
#    code  row col shift
set(entries
     0     -1  -1  -1     # NUL: no key
     10     6   2   0     # line feed
     32     4   4   0     # space
     34     3   1   1     # "
     65     1   4   0     # A
     92     4   5   1     # backslash
     97     1   4   1     # a
     98    -1  -1  -1     # b: no key
     106    7   5   1     # j
     126   -1  -1  -1     # ~: no key
     255   -1  -1  -1     # the last entry
)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  # The native cases use GCC's and clang's options and an ELF nm.
  set(native_ok FALSE)
  if(NOT CMAKE_CROSSCOMPILING AND CMAKE_NM AND CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF"
     AND CMAKE_C_COMPILER_ID MATCHES "GNU|Clang" AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(native_ok TRUE)
  endif()
  gen_vkey_generate(OUTPUT generated/rom_table.c)
  # A target with the text among its sources, so that every build writes it.
  add_custom_target(rom_table_text ALL SOURCES "${CMAKE_CURRENT_BINARY_DIR}/generated/rom_table.c")
  while(toolchains)
    list(POP_FRONT toolchains toolchain)
    list(REMOVE_AT toolchains 0 1 2 3 4 5)
    if(toolchain STREQUAL "native" AND NOT native_ok)
      continue()
    endif()
    foreach(language IN ITEMS c cpp)
      set(name "rom_table.${toolchain}.${language}")
      add_test(NAME "${name}"
               COMMAND "${CMAKE_COMMAND}" "-DCASE=${toolchain}.${language}"
                       "-DTABLE=${CMAKE_CURRENT_BINARY_DIR}/generated/rom_table.c"
                       "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}" "-DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}"
                       "-DC_COMPILER=${CMAKE_C_COMPILER}" "-DCXX_COMPILER=${CMAKE_CXX_COMPILER}"
                       "-DC_FLAGS=${CMAKE_C_FLAGS}" "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
                       "-DLINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS}" "-DNM=${CMAKE_NM}"
                       -P "${CMAKE_CURRENT_LIST_FILE}")
      set_tests_properties("${name}" PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED: ")
    endforeach()
  endwhile()
  return()
endif()

# The case's toolchain, its tools found, and the language.
string(REPLACE "." ";" case "${CASE}")
list(POP_FRONT case toolchain language)
list(FIND toolchains "${toolchain}" at)
if(at EQUAL -1 OR NOT language MATCHES "^(c|cpp)$")
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
math(EXPR at "${at} + 1")
list(SUBLIST toolchains ${at} ${columns} row)
list(POP_FRONT row c_compiler cxx_compiler nm objcopy size flags)
# The native cases add the build's flags (a sanitizer's, say), and link with its linker flags.
if(language STREQUAL "c")
  set(compiler "${c_compiler}")
  string(APPEND flags " -std=c99")
  set(build_flags "${C_FLAGS}")
else()
  set(compiler "${cxx_compiler}")
  string(APPEND flags " -std=c++20")
  set(build_flags "${CXX_FLAGS}")
endif()
if(toolchain STREQUAL "native")
  string(APPEND flags " ${build_flags}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags} -Wall -Wextra -Wpedantic -Werror")
separate_arguments(linker_flags UNIX_COMMAND "${LINKER_FLAGS}")
foreach(tool IN ITEMS compiler nm objcopy size)
  if(${tool})
    find_program(${tool}_path NAMES "${${tool}}" NO_CACHE)
    if(NOT ${tool}_path)
      message("SKIPPED: ${${tool}} not found")
      return()
    endif()
    set(${tool} "${${tool}_path}")
  endif()
endforeach()

# Runs a command and fails unless it exits 0; sets <out> to what it printed.
function(run out)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command}: exit ${result}\n${output}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY_FILE "${TABLE}" "${WORK}/table.${language}")
run(out "${compiler}" ${flags} "-I${SOURCE_DIR}/examples/rom_header" -c "${WORK}/table.${language}"
        -o "${WORK}/table.o")

# vkey defined (upper case: with external linkage) in a read-only section.
run(symbols "${nm}" "${WORK}/table.o")
if(NOT symbols MATCHES "(^|\n)[0-9a-fA-F]+ R vkey\n")
  message(FATAL_ERROR "the object does not define vkey, visible to other files, in a read-only "
                      "section; its symbols:\n${symbols}")
endif()

if(toolchain STREQUAL "native")
  file(COPY_FILE "${SOURCE_DIR}/tests/rom_table_check.c" "${WORK}/check.${language}")
  run(out "${compiler}" ${flags} "-I${SOURCE_DIR}/examples/rom_header" -c "${WORK}/check.${language}"
          -o "${WORK}/check.o")
  run(out "${compiler}" ${flags} ${linker_flags} "${WORK}/check.o" "${WORK}/table.o" -o "${WORK}/check")
  run(out "${WORK}/check")
  return()
endif()

# Nothing in RAM, and the table alone in .rodata.
run(sections "${size}" -A "${WORK}/table.o")
foreach(section IN ITEMS data bss)
  if(sections MATCHES "\n\\.${section} +([0-9]+)" AND NOT CMAKE_MATCH_1 EQUAL 0)
    message(FATAL_ERROR "the object takes RAM, ${CMAKE_MATCH_1} bytes of .${section}:\n${sections}")
  endif()
endforeach()
run(out "${objcopy}" -O binary -j .rodata "${WORK}/table.o" "${WORK}/rodata.bin")
file(READ "${WORK}/rodata.bin" rodata HEX)
string(LENGTH "${rodata}" length)
math(EXPR length "${length} / 2")
if(NOT length EQUAL 768)
  message(FATAL_ERROR ".rodata holds ${length} bytes, not the 768 of 256 entries of 3 bytes:\n${sections}")
endif()

# Each entry's three bytes, read as signed, against its key.
while(entries)
  list(POP_FRONT entries code row col shift)
  set(got "")
  foreach(field IN ITEMS 0 1 2)
    math(EXPR at "(${code} * 3 + ${field}) * 2")
    string(SUBSTRING "${rodata}" ${at} 2 byte)
    math(EXPR value "0x${byte}")
    if(value GREATER 127)
      math(EXPR value "${value} - 256")
    endif()
    list(APPEND got ${value})
  endforeach()
  if(NOT got STREQUAL "${row};${col};${shift}")
    string(REPLACE ";" "," got "${got}")
    message(FATAL_ERROR "entry ${code} in .rodata is {${got}}, wanted {${row},${col},${shift}}")
  endif()
endwhile()
