/* The test programs' memory on the MPS2 AN386 board (a Cortex-M4) as qemu emulates it:
 * code and constants in flash at 0, variables in RAM at 0x20000000. */
MEMORY
{
  flash (rx) : ORIGIN = 0x00000000, LENGTH = 4M
  ram (rwx)  : ORIGIN = 0x20000000, LENGTH = 64K
}

SECTIONS
{
  .text : {
    KEEP(*(.vectors))
    *(.text .text.*)
    *(.rodata .rodata.*)
  } > flash

  .data : {
    data_start = .;
    *(.data .data.*)
    . = ALIGN(4);
    data_end = .;
  } > ram AT > flash
  data_load = LOADADDR(.data);

  .bss (NOLOAD) : {
    bss_start = .;
    *(.bss .bss.* COMMON)
    . = ALIGN(4);
    bss_end = .;
  } > ram

  stack_top = ORIGIN(ram) + LENGTH(ram);
}
