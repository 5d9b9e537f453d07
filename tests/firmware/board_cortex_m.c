/* The test programs' board on a Cortex-M without a C library: the vector table and the
 * start-up code (initialised data copied from flash, zeroed data cleared), and Arm
 * semihosting (BKPT 0xAB) for the console and the exit status, which qemu passes on. */
#include "board.h"

#include <stdint.h>

int main(void);

/* From cortex_m.ld. */
extern uint32_t stack_top[];
extern uint32_t data_start[], data_end[], data_load[];
extern uint32_t bss_start[], bss_end[];

static void reset(void)
{
    const uint32_t* from = data_load;
    for (uint32_t* to = data_start; to < data_end;) {
        *to++ = *from++;
    }
    for (uint32_t* to = bss_start; to < bss_end;) {
        *to++ = 0;
    }
    board_exit(main());
}

/* What the core reads at reset: the initial stack pointer, then the reset handler. */
static const struct {
    uint32_t* stack;
    void (*reset)(void);
} vectors __attribute__((section(".vectors"), used)) = {stack_top, reset};

static void semihost(uint32_t operation, const void* argument)
{
    register uint32_t r0 __asm__("r0") = operation;
    register const void* r1 __asm__("r1") = argument;
    __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
}

void board_write(const char* text)
{
    semihost(0x04, text); /* SYS_WRITE0 */
}

void board_exit(int status)
{
    /* SYS_EXIT: ADP_Stopped_ApplicationExit ends qemu with 0, any other reason with 1. */
    semihost(0x18, (const void*)(uintptr_t)(status == 0 ? 0x20026 : 0x20023));
    for (;;) {
    }
}
