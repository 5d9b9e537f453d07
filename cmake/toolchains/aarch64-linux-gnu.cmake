# 64-bit Arm Linux (aarch64) with Debian's cross compilers, packages gcc-aarch64-linux-gnu
# and g++-aarch64-linux-gnu. What the build makes for the target runs here under qemu-user
# (package qemu-user): unless CMAKE_CROSSCOMPILING_EMULATOR is already set, this file sets
# it to qemu-aarch64 with the target's libraries from /usr/aarch64-linux-gnu, which lets a
# build run the gen_vkey it builds; set it to an empty value to run none. Use it with
#   cmake -B build-aarch64 --toolchain cmake/toolchains/aarch64-linux-gnu.cmake
# or copy it into your project. Libraries, headers and CMake packages are looked for only
# under the CMAKE_FIND_ROOT_PATH folders (the target's), programs only on the build host:
# add the prefix of a package built for aarch64 to CMAKE_FIND_ROOT_PATH, not only to
# CMAKE_PREFIX_PATH.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# list(FIND), not IN_LIST: this file is read under the policies of any project, even one
# with no cmake_minimum_required.
list(FIND CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu gen_vkey_root_index)
if(gen_vkey_root_index EQUAL -1)
  list(APPEND CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
endif()
unset(gen_vkey_root_index)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(QEMU_AARCH64 qemu-aarch64)
  if(QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QEMU_AARCH64}" -L /usr/aarch64-linux-gnu)
  endif()
endif()
