# Cross builds with Debian's cross toolchains, the programs they make run under qemu-user
# and wine, with the toolchain files of cmake/toolchains/. The cases:
#   aarch64.package      gen_vkey itself built for aarch64, its own table generated under
#                        qemu, and installed: its gen_vkey is an aarch64 program that writes
#                        the text; a native consumer refuses that package and says why; then
#                        the example built against it with the host's generator, its programs
#                        run under qemu
#   aarch64.emulator     the example with gen_vkey in-tree and only the emulator
#   aarch64.no_way       neither an emulator nor GEN_VKEY_EXECUTABLE: configuring stops and
#                        names both
#   windows              gen_vkey.exe built with mingw-w64, run under wine: the text with
#                        CRLF line ends, and exit 1 with the message on a full device; the
#                        example built in-tree, run under wine
#   cortex_m             a C-only firmware project for a Cortex-M4, no C++ compiler: the
#                        stock table library and a gen_vkey_generate() table
#   toolchain.<name>     cmake/toolchains/<name>.cmake used by a project that has no
#                        cmake_minimum_required, as a user's copied snippet may be
# A case whose toolchain or emulator is missing prints "skipped: <tool> is not installed"
# and stops.
#
#   cmake -DCASE=<case> -DSOURCE_DIR=<gen_vkey source> -DGEN_VKEY=<host generator>
#         -DWORK=<folder> <the options of support.cmake> -P cross.cmake

cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/support.cmake")

set(toolchains "${SOURCE_DIR}/cmake/toolchains")
set(examples "${SOURCE_DIR}/examples")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(ENV{WINEDEBUG} "-all")

set(qemu qemu-aarch64 -L /usr/aarch64-linux-gnu)
set(wine /usr/lib/wine/wine64)
if(CASE MATCHES "^aarch64")
  set(EMULATOR ${qemu})
elseif(CASE STREQUAL "windows")
  set(EMULATOR ${wine})
  set(EXE_SUFFIX .exe)
endif()
execute_process(COMMAND "${GEN_VKEY}" OUTPUT_VARIABLE host_text COMMAND_ERROR_IS_FATAL ANY)

if(CASE STREQUAL "aarch64.package")
  need(GCC aarch64-linux-gnu-gcc)
  need(GXX aarch64-linux-gnu-g++)
  need(QEMU qemu-aarch64)
  configure("${SOURCE_DIR}" "${WORK}/gen_vkey" TOOLCHAIN "${toolchains}/aarch64-linux-gnu.cmake")
  build("${WORK}/gen_vkey")
  install_build("${WORK}/gen_vkey" "${WORK}/prefix")
  # An ELF file whose e_machine is 183, AArch64.
  file(READ "${WORK}/prefix/bin/gen_vkey" machine OFFSET 18 LIMIT 2 HEX)
  if(NOT machine STREQUAL "b700")
    message(FATAL_ERROR "the installed gen_vkey is not an aarch64 program (e_machine ${machine})")
  endif()
  execute_process(COMMAND ${qemu} "${WORK}/prefix/bin/gen_vkey" OUTPUT_VARIABLE text RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT text STREQUAL host_text)
    message(FATAL_ERROR "the aarch64 gen_vkey under qemu: exit ${result}, and its text differs from the host's")
  endif()
  # A native consumer that comes upon it refuses it, and says why.
  configure("${examples}" "${WORK}/native" FAILS said ARGS "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
  execute_process(COMMAND uname -m OUTPUT_VARIABLE host OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(FIND "${said}" "gen_vkey in ${WORK}/prefix is built for aarch64 Linux; this build is for ${host} Linux" named)
  if(named EQUAL -1)
    message(FATAL_ERROR "a native consumer of the aarch64 package did not refuse it by name: ${said}")
  endif()
  # A consumer of that package, with the host's generator.
  configure("${examples}" "${WORK}/consumer" TOOLCHAIN "${toolchains}/aarch64-linux-gnu.cmake"
            ARGS "-DCMAKE_FIND_ROOT_PATH=${WORK}/prefix" "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
  build("${WORK}/consumer")
  programs("${WORK}/consumer" dir)
  expect_example("${dir}")

elseif(CASE STREQUAL "aarch64.emulator")
  need(GCC aarch64-linux-gnu-gcc)
  need(GXX aarch64-linux-gnu-g++)
  need(QEMU qemu-aarch64)
  configure("${examples}" "${WORK}/consumer" TOOLCHAIN "${toolchains}/aarch64-linux-gnu.cmake"
            ARGS "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}")
  build("${WORK}/consumer")
  programs("${WORK}/consumer" dir)
  expect_example("${dir}")

elseif(CASE STREQUAL "aarch64.no_way")
  need(GCC aarch64-linux-gnu-gcc)
  need(GXX aarch64-linux-gnu-g++)
  configure("${examples}" "${WORK}/consumer" TOOLCHAIN "${toolchains}/aarch64-linux-gnu.cmake" FAILS said
            ARGS "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}" "-DCMAKE_CROSSCOMPILING_EMULATOR=")
  string(FIND "${said}" "set GEN_VKEY_EXECUTABLE to a gen_vkey built for this host, or CMAKE_CROSSCOMPILING_EMULATOR to a program" named)
  if(named EQUAL -1)
    message(FATAL_ERROR "configuring with neither way to run gen_vkey did not name both: ${said}")
  endif()

elseif(CASE STREQUAL "windows")
  need(GCC x86_64-w64-mingw32-gcc)
  need(GXX x86_64-w64-mingw32-g++)
  need(WINE ${wine})
  configure("${SOURCE_DIR}" "${WORK}/gen_vkey" TOOLCHAIN "${toolchains}/x86_64-w64-mingw32.cmake")
  build("${WORK}/gen_vkey")
  programs("${WORK}/gen_vkey" dir)
  set(exe "${dir}/gen_vkey.exe")
  # The text through Windows' text-mode standard output: CRLF line ends, else the same bytes.
  # (file(READ) drops CRs, so they are counted in the bytes' hex.)
  execute_process(COMMAND ${wine} "${exe}" OUTPUT_FILE "${WORK}/text" RESULT_VARIABLE result)
  file(READ "${WORK}/text" bytes HEX)
  string(REGEX MATCHALL "0d0a" crlf "${bytes}")
  list(LENGTH crlf crlf)
  string(REGEX MATCHALL "0a" lf "${bytes}")
  list(LENGTH lf lf)
  file(WRITE "${WORK}/host_text" "${host_text}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files --ignore-eol "${WORK}/text" "${WORK}/host_text"
                  RESULT_VARIABLE differ)
  if(NOT result EQUAL 0 OR NOT crlf EQUAL 259 OR NOT lf EQUAL 259 OR NOT differ EQUAL 0)
    message(FATAL_ERROR "gen_vkey.exe under wine: exit ${result}, ${crlf} CRLF of ${lf} line ends (259 "
                        "wanted), and the text without the CRs differs from the host's: ${differ}")
  endif()
  execute_process(COMMAND ${wine} "${exe}" OUTPUT_FILE /dev/full RESULT_VARIABLE result ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" err "${err}")
  if(NOT result EQUAL 1 OR NOT err STREQUAL "gen_vkey: write error: No space left on device\n")
    message(FATAL_ERROR "gen_vkey.exe on a full device: exit ${result}, wanted 1; said '${err}'")
  endif()
  # A consumer's programs, with its tables generated under wine.
  configure("${examples}" "${WORK}/consumer" TOOLCHAIN "${toolchains}/x86_64-w64-mingw32.cmake"
            ARGS "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}")
  build("${WORK}/consumer")
  programs("${WORK}/consumer" dir)
  expect_example("${dir}")

elseif(CASE STREQUAL "cortex_m")
  need(GCC arm-none-eabi-gcc)
  need(NM arm-none-eabi-nm)
  file(WRITE "${WORK}/firmware/CMakeLists.txt" [=[
cmake_minimum_required(VERSION 3.25)
project(firmware LANGUAGES C)
add_subdirectory("${GEN_VKEY_SOURCE_DIR}" gen_vkey)
add_library(stock_table STATIC keys.c)
target_link_libraries(stock_table PRIVATE gen_vkey::vkey)
gen_vkey_generate(OUTPUT generated/vkey.c)
add_library(own_table STATIC generated/vkey.c)
target_include_directories(own_table PRIVATE "${GEN_VKEY_SOURCE_DIR}/examples/rom_header")
]=])
  file(WRITE "${WORK}/firmware/keys.c" "#include \"vkey.h\"\nint row_of_a(void) { return vkey['a'].row; }\n")
  configure("${WORK}/firmware" "${WORK}/build" TOOLCHAIN "${toolchains}/arm-none-eabi.cmake"
            ARGS "-DGEN_VKEY_SOURCE_DIR=${SOURCE_DIR}" "-DGEN_VKEY_EXECUTABLE=${GEN_VKEY}")
  file(GLOB cxx "${WORK}/build/CMakeFiles/*/CMakeCXXCompiler.cmake")
  if(cxx)
    message(FATAL_ERROR "the C-only firmware looked for a C++ compiler: ${cxx}")
  endif()
  build("${WORK}/build")
  # The stock table in RAM (32-bit fields, 3,072 bytes); the own header's in flash (768).
  #    library            symbol   size
  set(tables
       libgen_vkey.a      "D vkey" 00000c00
       libown_table.a     "R vkey" 00000300)
  while(tables)
    list(POP_FRONT tables library symbol size)
    file(GLOB_RECURSE archive "${WORK}/build/*${library}")
    execute_process(COMMAND "${NM}" -S "${archive}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(FIND "${symbols}" "${size} ${symbol}\n" found)
    if(NOT archive OR found EQUAL -1)
      message(FATAL_ERROR "${library} does not define '${symbol}' of ${size} bytes:\n${symbols}")
    endif()
  endwhile()

elseif(CASE MATCHES "^toolchain\\.(.+)$")
  # The C compiler that the toolchain file names.
  set(toolchain "${CMAKE_MATCH_1}")
  file(STRINGS "${toolchains}/${toolchain}.cmake" compiler REGEX "^set\\(CMAKE_C_COMPILER [^ )]+\\)$")
  string(REGEX REPLACE "^set\\(CMAKE_C_COMPILER ([^ )]+)\\)$" "\\1" compiler "${compiler}")
  need(CC ${compiler})
  file(WRITE "${WORK}/project/CMakeLists.txt" "project(keys LANGUAGES C)\nadd_library(keys STATIC keys.c)\n")
  file(WRITE "${WORK}/project/keys.c" "int keys(void) { return 80; }\n")
  configure("${WORK}/project" "${WORK}/build" TOOLCHAIN "${toolchains}/${toolchain}.cmake")
  build("${WORK}/build")

else()
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
