# A RISC-V microcontroller (rv32imac, ilp32) with Debian's riscv64-unknown-elf-gcc and
# picolibc, its programs linked by picolibc's linker script for the SiFive E31 board that
# qemu emulates (sifive_e: flash at 0x20400000, 16 KiB of RAM at 0x80000000), with
# semihosting for their console and exit status.

set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR riscv32)

set(CMAKE_C_COMPILER riscv64-unknown-elf-gcc)
set(CMAKE_CXX_COMPILER riscv64-unknown-elf-g++)
set(flags "-march=rv32imac -mabi=ilp32 --specs=picolibc.specs")
set(CMAKE_C_FLAGS_INIT "${flags}")
set(CMAKE_CXX_FLAGS_INIT "${flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "--crt0=semihost --oslib=semihost -Wl,--defsym=__flash=0x20400000 -Wl,--defsym=__flash_size=0x1fc00000 -Wl,--defsym=__ram=0x80000000 -Wl,--defsym=__ram_size=0x4000")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
