# Bare-metal AVR firmware with Debian's avr-gcc and avr-libc (packages gcc-avr and
# avr-libc), for the microcontroller in the cache variable AVR_MCU (an avr-gcc -mmcu name;
# atmega32u4 unless set). C, and C++ when the project enables it (avr-g++ is found by the
# C compiler's prefix). There is no operating system to run the target's programs on, so
# no generator is built for it: give the build a gen_vkey for the build host in
# GEN_VKEY_EXECUTABLE. Use it with
#   cmake -B build-avr --toolchain cmake/toolchains/avr.cmake -DAVR_MCU=atmega328p \
#         -DGEN_VKEY_EXECUTABLE=/opt/gen_vkey/bin/gen_vkey
# and examples/avr_header/vkey.h for the table, which keeps it in flash.

set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR avr)

set(AVR_MCU atmega32u4 CACHE STRING "The AVR microcontroller to build for (avr-gcc's -mmcu)")
# CMake's checks of the compilers build for the same microcontroller.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES AVR_MCU)

set(CMAKE_C_COMPILER avr-gcc)
set(CMAKE_C_FLAGS_INIT "-mmcu=${AVR_MCU}")
set(CMAKE_CXX_FLAGS_INIT "-mmcu=${AVR_MCU}")
set(CMAKE_ASM_FLAGS_INIT "-mmcu=${AVR_MCU}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mmcu=${AVR_MCU}")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/lib/avr)
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
