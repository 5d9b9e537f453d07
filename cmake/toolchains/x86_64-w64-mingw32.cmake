# 64-bit Windows with Debian's mingw-w64 cross compilers (package mingw-w64), in the
# thread flavour that Debian picks by default (win32; `update-alternatives --config
# x86_64-w64-mingw32-g++` switches to posix). The .exe files the build makes run here
# under wine (package wine64): unless CMAKE_CROSSCOMPILING_EMULATOR is already set, this
# file sets it to /usr/lib/wine/wine64 when that is present (Debian's wine64 package has
# no `wine` command), which lets a build run the gen_vkey.exe it builds; set it to an
# empty value to run none. A C++ program that calls into the C++ library needs
# libstdc++-6.dll and libgcc_s_seh-1.dll beside it, unless linked with -static-libgcc
# -static-libstdc++. Use it with
#   cmake -B build-windows --toolchain cmake/toolchains/x86_64-w64-mingw32.cmake
# or copy it into your project. Libraries, headers and CMake packages are looked for only
# under the CMAKE_FIND_ROOT_PATH folders (the target's), programs only on the build host:
# add the prefix of a package built for Windows to CMAKE_FIND_ROOT_PATH, not only to
# CMAKE_PREFIX_PATH.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# list(FIND), not IN_LIST: this file is read under the policies of any project, even one
# with no cmake_minimum_required.
list(FIND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 gen_vkey_root_index)
if(gen_vkey_root_index EQUAL -1)
  list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
endif()
unset(gen_vkey_root_index)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
