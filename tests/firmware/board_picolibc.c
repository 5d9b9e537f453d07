/* The test programs' board with picolibc's semihosting: standard output and exit()
 * reach the emulator. */
#include "board.h"

#include <stdio.h>
#include <stdlib.h>

void board_write(const char* text)
{
    fputs(text, stdout);
}

void board_exit(int status)
{
    fflush(stdout);
    exit(status);
}
