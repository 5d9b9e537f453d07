# Bare-metal Arm Cortex-M4 firmware with Debian's arm-none-eabi-gcc (packages
# gcc-arm-none-eabi and libnewlib-arm-none-eabi), for C. It names no C++ compiler: a
# firmware that only compiles the key table needs none, and a project that enables C++
# gets arm-none-eabi-g++, which CMake finds by the C compiler's prefix, with the same
# flags. There is no operating system to run the target's programs on, so no generator is
# built for it: give the build a gen_vkey for the build host in GEN_VKEY_EXECUTABLE.
# CMake's test programs are built as static libraries, since nothing links without the
# firmware's own linker script. Use it with
#   cmake -B build-m4 --toolchain cmake/toolchains/arm-none-eabi.cmake \
#         -DGEN_VKEY_EXECUTABLE=/opt/gen_vkey/bin/gen_vkey
# or copy it into your project and change -mcpu for another core.

set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_C_FLAGS_INIT "-mcpu=cortex-m4 -mthumb")
set(CMAKE_CXX_FLAGS_INIT "-mcpu=cortex-m4 -mthumb")
set(CMAKE_ASM_FLAGS_INIT "-mcpu=cortex-m4 -mthumb")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# list(FIND), not IN_LIST: this file is read under the policies of any project, even one
# with no cmake_minimum_required.
list(FIND CMAKE_FIND_ROOT_PATH /usr/lib/arm-none-eabi gen_vkey_root_index)
if(gen_vkey_root_index EQUAL -1)
  list(APPEND CMAKE_FIND_ROOT_PATH /usr/lib/arm-none-eabi)
endif()
unset(gen_vkey_root_index)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
