/* type_text: prints the key presses that type a text on the 8 x 6 key matrix.
 *
 *   type_text TEXT
 *
 * One line for each character of TEXT: its key's row and column, and whether shift
 * is held, or that no key types it. Exits 0 when every character can be typed, 1 when
 * some cannot, 2 on wrong usage. */
#include "vkey.h"

#include <stdio.h>

/* Prints how the character c is shown: as itself when printable, else by its code. */
static void print_character(unsigned char c)
{
    if (c == ' ') {
        printf("space");
    } else if (c > ' ' && c < 127) {
        printf("'%c'", c);
    } else {
        printf("code %d", c);
    }
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        (void)fprintf(stderr, "usage: type_text TEXT\n");
        return 2;
    }
    int untypable = 0;
    for (const char* p = argv[1]; *p != '\0'; ++p) {
        const unsigned char c = (unsigned char)*p;
        const vkeymap* k = &vkey[c];
        print_character(c);
        if (k->row < 0) {
            printf(": no key types this character\n");
            untypable = 1;
        } else {
            printf(": row %d, column %d%s\n", (int)k->row, (int)k->col, k->shift ? ", shift" : "");
        }
    }
    return untypable;
}
