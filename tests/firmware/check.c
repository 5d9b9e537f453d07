/* A firmware program that checks the key table it is linked with, on the chip it was
 * built for: characters looked up in vkey, against their keys in the key matrix. It
 * prints one line for each wrong entry, then "pass" or "fail", and ends with status 0 or 1.
 * It is compiled as C and as C++. On AVR in C++ the table can only be read with vkey_at()
 * (examples/avr_header/vkey.h); everywhere else an entry is read as vkey[c].row. */
#include "board.h"
#include "vkey.h"

/* A character and its key: row, column and shift, or -1 in all three for no key. */
struct expected {
    unsigned char code;
    signed char row;
    signed char col;
    signed char shift;
};

/* clang-format off */
static const struct expected cases[] = {
    {'a',   1,  4,  1},  /* a key's shifted character */
    {'A',   1,  4,  0},  /* the same key unshifted */
    {'T',   0,  0,  0},  /* the first row and column */
    {'j',   7,  5,  1},  /* the last row and column */
    {'\n',  6,  2,  0},  /* line feed: a control code with a key */
    {' ',   4,  4,  0},
    {'-',   5,  2,  0},  /* column 2, used in rows 5 to 7 only */
    {'=',   5,  2,  1},
    {'"',   3,  1,  1},
    {'\\',  4,  5,  1},
    {'b',  -1, -1, -1},  /* a lowercase letter with no key */
    {'_',  -1, -1, -1},
    {'~',  -1, -1, -1},
    {0,    -1, -1, -1},
    {127,  -1, -1, -1},
    {200,  -1, -1, -1},  /* above 127: a negative char if read as signed */
    {255,  -1, -1, -1},  /* the last entry */
};
/* clang-format on */

/* Appends value in decimal to out, returns the end. */
static char* put_number(char* out, int value)
{
    if (value < 0) {
        *out++ = '-';
        value = -value;
    }
    if (value >= 10) {
        out = put_number(out, value / 10);
    }
    *out++ = (char)('0' + value % 10);
    return out;
}

int main(void)
{
    int failed = 0;
    for (unsigned i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const struct expected* want = &cases[i];
#if defined(__AVR__) && defined(__cplusplus)
        struct vkey_key got = vkey_at(want->code);
#else
        vkeymap* e = &vkey[want->code];
        struct {
            int row, col, shift;
        } got = {e->row, e->col, e->shift};
#endif
        if (got.row != want->row || got.col != want->col || got.shift != want->shift) {
            char line[64];
            char* end = line;
            const int values[] = {want->code, got.row, got.col, got.shift};
            for (unsigned v = 0; v < 4; ++v) {
                end = put_number(end, values[v]);
                *end++ = v == 0 ? ':' : ',';
            }
            end[-1] = '\n';
            *end = '\0';
            board_write("wrong ");
            board_write(line);
            failed = 1;
        }
    }
    board_write(failed ? "fail\n" : "pass\n");
    board_exit(failed);
    return failed;
}
