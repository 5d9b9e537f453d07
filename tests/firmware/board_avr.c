/* The test programs' board on AVR: the console is the first USART that the chip has
 * (USART1 on the ATmega32U4, USART0 on most others), transmit only; the end is sleep
 * with interrupts off, where simavr stops. */
#include "board.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>

#ifdef UDR0
#define CONSOLE_UDR UDR0
#define CONSOLE_UCSRA UCSR0A
#define CONSOLE_UCSRB UCSR0B
#define CONSOLE_UDRE UDRE0
#define CONSOLE_TXEN TXEN0
#else
#define CONSOLE_UDR UDR1
#define CONSOLE_UCSRA UCSR1A
#define CONSOLE_UCSRB UCSR1B
#define CONSOLE_UDRE UDRE1
#define CONSOLE_TXEN TXEN1
#endif

void board_write(const char* text)
{
    CONSOLE_UCSRB |= 1 << CONSOLE_TXEN;
    for (; *text; ++text) {
        while (!(CONSOLE_UCSRA & (1 << CONSOLE_UDRE))) {
        }
        CONSOLE_UDR = (unsigned char)*text;
    }
}

void board_exit(int status)
{
    (void)status; /* simavr has no exit status; the console says pass or fail */
    cli();
    sleep_enable();
    sleep_cpu();
    for (;;) {
    }
}
