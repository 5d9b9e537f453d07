# Firmware that uses the generated table, linked for a microcontroller and run under an
# emulator: tests/firmware/check.c, as C and as C++, built by a CMake project
# (tests/firmware/) with the family's toolchain file, with the family's vkey.h:
#   avr       ATmega32U4 (avr-gcc, avr-libc, cmake/toolchains/avr.cmake) under simavr,
#             with examples/avr_header/vkey.h: plain reads in C, vkey_at() in C++
#   cortex_m  Cortex-M4 (arm-none-eabi-gcc, cmake/toolchains/arm-none-eabi.cmake) on
#             qemu-system-arm's mps2-an386 board, with examples/rom_header/vkey.h
#   riscv     rv32imac (riscv64-unknown-elf-gcc with picolibc) on qemu-system-riscv32's
#             sifive_e board, with examples/rom_header/vkey.h
# Each case builds the program with warnings as errors (and gen_vkey's own table library,
# which must build without warnings for the target), runs it (it prints "pass" when every
# character it looks up has its key in the key matrix), and checks in the linker map and
# the symbols that vkey, 768 bytes, sits in the flash region. It prints what the table
# and the program take. On AVR it also checks that what must not compile does not: the
# header in strict ISO C, and in C++ a plain read of the table, which would read RAM.
#
# Included from tests/CMakeLists.txt it adds a test for each case; run as a script,
#   cmake -DCASE=<family>.<c|cpp> -DSOURCE_DIR=<gen_vkey source> -DGEN_VKEY=<host generator>
#         -DWORK=<folder> -DCMAKE_GENERATOR_NAME=<CMake generator> -P firmware.cmake
# it runs one. A case whose toolchain or emulator is missing reports itself skipped.

cmake_minimum_required(VERSION 3.25)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  foreach(family IN ITEMS avr cortex_m riscv)
    foreach(language IN ITEMS c cpp)
      set(name "firmware.${family}.${language}")
      add_test(NAME "${name}"
               COMMAND "${CMAKE_COMMAND}" "-DCASE=${family}.${language}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
                       "-DGEN_VKEY=$<TARGET_FILE:gen_vkey::gen_vkey>" "-DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}"
                       "-DCMAKE_GENERATOR_NAME=${CMAKE_GENERATOR}" -P "${CMAKE_CURRENT_LIST_FILE}")
      set_tests_properties("${name}" PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: ")
    endforeach()
  endforeach()
  return()
endif()

include("${CMAKE_CURRENT_LIST_DIR}/support.cmake")
string(REPLACE "." ";" case "${CASE}")
list(POP_FRONT case family language)
set(firmware "${SOURCE_DIR}/tests/firmware")
if(family STREQUAL "avr")
  set(toolchain "${SOURCE_DIR}/cmake/toolchains/avr.cmake")
  set(prefix avr-)
  set(emulator simavr -m atmega32u4)
elseif(family STREQUAL "cortex_m")
  set(toolchain "${SOURCE_DIR}/cmake/toolchains/arm-none-eabi.cmake")
  set(prefix arm-none-eabi-)
  set(emulator qemu-system-arm -M mps2-an386 -nographic -monitor none -serial none
               -semihosting-config enable=on,target=native -kernel)
elseif(family STREQUAL "riscv")
  set(toolchain "${firmware}/riscv32-picolibc.cmake")
  set(prefix riscv64-unknown-elf-)
  set(emulator qemu-system-riscv32 -M sifive_e -nographic -monitor none -serial none
               -semihosting-config enable=on,target=native -kernel)
else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
if(language STREQUAL "c")
  set(compiler ${prefix}gcc)
elseif(language STREQUAL "cpp")
  set(compiler ${prefix}g++)
else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()

# The tools, or the case is skipped.
list(GET emulator 0 emulator_program)
need(found_compiler ${compiler})
need(nm_tool ${prefix}nm)
need(size_tool ${prefix}size)
need(found_emulator ${emulator_program})
if(family STREQUAL "riscv")
  execute_process(COMMAND ${compiler} -print-file-name=picolibc.specs OUTPUT_VARIABLE picolibc_file
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${picolibc_file}")
    message("skipped: picolibc-riscv64-unknown-elf is not installed")
    return()
  endif()
endif()

# Build MinSizeRel, with any CMake generator, with warnings as errors; no flags come from
# the build that runs the test.
file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
configure("${firmware}" "${build}" TOOLCHAIN "${toolchain}" CONFIG MinSizeRel
          ARGS -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "-DFAMILY=${family}" "-DLANGUAGE=${language}"
               "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}" "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
build("${build}" CONFIG MinSizeRel TARGETS check gen_vkey_table)
set(program "${build}/bin/MinSizeRel/check.elf")

# What must not compile.
if(family STREQUAL "avr")
  if(language STREQUAL "c")
    set(error "needs GNU C's __flash")
  else()
    set(error "has no member named")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --config MinSizeRel --target must_not_compile
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(FIND "${out}" "${error}" found)
  if(result EQUAL 0 OR found EQUAL -1)
    message(FATAL_ERROR "what must not compile (it should fail with \"${error}\"): exit ${result}\n${out}")
  endif()
endif()

# The run: "pass" on a line of its own, and exit 0. simavr shows the AVR's console in
# colour, with a full stop for each line end, and has no exit status of the program's.
execute_process(COMMAND ${emulator} "${program}" RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said
                TIMEOUT 60)
string(ASCII 27 escape)
string(REGEX REPLACE "${escape}\\[[0-9;]*m" "" said "${said}")
if(NOT result EQUAL 0 OR NOT said MATCHES "(^|\n)pass\\.?\n")
  message(FATAL_ERROR "${program} under ${emulator_program}: exit ${result}, said\n${said}")
endif()

# vkey, 768 bytes, in the flash region (the one the map names text or flash), and not in RAM.
file(READ "${program}.map" map)
string(REGEX MATCH "\n(text|flash|FLASH) +0x([0-9a-fA-F]+) +0x([0-9a-fA-F]+)" region "${map}")
string(STRIP "${region}" region)
if(NOT region)
  message(FATAL_ERROR "the linker map of ${program} names no flash region:\n${map}")
endif()
math(EXPR flash_start "0x${CMAKE_MATCH_2}")
math(EXPR flash_end "0x${CMAKE_MATCH_2} + 0x${CMAKE_MATCH_3}")
run(symbols "${nm_tool}" -S "${program}")
if(NOT symbols MATCHES "(^|\n)([0-9a-f]+) ([0-9a-f]+) [A-Za-z] vkey\n")
  message(FATAL_ERROR "${program} defines no vkey:\n${symbols}")
endif()
set(address_hex "0x${CMAKE_MATCH_2}")
math(EXPR address "${address_hex}")
math(EXPR size "0x${CMAKE_MATCH_3}")
if(address LESS flash_start OR NOT address LESS flash_end OR NOT size EQUAL 768)
  message(FATAL_ERROR "vkey is ${size} bytes at ${address_hex} (768 wanted, in flash: ${region})")
endif()

# What the program takes: the sections that live in RAM (.data, .bss and the like).
run(sections "${size_tool}" -A "${program}")
string(REPLACE "\n" ";" sections "${sections}")
set(ram 0)
foreach(line IN LISTS sections)
  if(line MATCHES "^\\.(data|bss|noinit|tdata|tbss) +([0-9]+) ")
    math(EXPR ram "${ram} + ${CMAKE_MATCH_2}")
  endif()
endforeach()
message("vkey: 768 bytes at ${address_hex}, in flash; the program's RAM (data and bss): ${ram} bytes")
