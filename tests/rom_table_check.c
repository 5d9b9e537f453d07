/* Checks the table that the generated text defines when compiled against
 * examples/rom_header/vkey.h, entry by entry against the key matrix, written by key
 * position as in the README. It is compiled in the same language as the table, C or C++,
 * so that it also shows that a file of that language can use the table. Exits 0 when
 * every entry is right, else prints each wrong one and exits 1. */
#include "vkey.h"

#include <stdio.h>

/* A key: the character it types without shift, and with shift; 0 for none. */
struct key {
    char plain;
    char shifted;
};

/* clang-format off */
static const struct key matrix[8][6] = {
/*    col 0       col 1       col 2        col 3       col 4       col 5 */
    {{'T', 't'}, {'W', 'w'}, {0,    0},   {'E', 'e'}, {'Q', 'q'}, {'R', 'r'}},   /* row 0 */
    {{'G', 'g'}, {'S', 's'}, {0,    0},   {'D', 'd'}, {'A', 'a'}, {'F', 'f'}},   /* row 1 */
    {{'B', 0},   {'X', 0},   {0,    0},   {'C', 0},   {'Z', 'z'}, {'V', 0}},     /* row 2 */
    {{'5', '%'}, {'2', '"'}, {0,    0},   {'3', '#'}, {'1', '!'}, {'4', '$'}},   /* row 3 */
    {{'N', '^'}, {'.', '>'}, {0,    0},   {',', '<'}, {' ', 0},   {'M', '\\'}},  /* row 4 */
    {{'6', '&'}, {'9', ')'}, {'-', '='},  {'8', '('}, {'0', '@'}, {'7', '\''}},  /* row 5 */
    {{'Y', 'y'}, {'O', '['}, {'\n', 0},   {'I', 'i'}, {'P', ']'}, {'U', 'u'}},   /* row 6 */
    {{'H', 'h'}, {'L', '?'}, {':', '*'},  {'K', '/'}, {';', '+'}, {'J', 'j'}},   /* row 7 */
};
/* clang-format on */

/* A key's place: row, column and shift, or -1 in all three for no key. */
struct place {
    int row;
    int col;
    int shift;
};

/* Returns the place of the key that types code. */
static struct place key_of(int code)
{
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 6; ++col) {
            const struct key* k = &matrix[row][col];
            if (k->plain != 0 && k->plain == code) {
                struct place found = {row, col, 0};
                return found;
            }
            if (k->shifted != 0 && k->shifted == code) {
                struct place found = {row, col, 1};
                return found;
            }
        }
    }
    struct place none = {-1, -1, -1};
    return none;
}

int main(void)
{
    int wrong = 0;
    for (int code = 0; code < 256; ++code) {
        struct place want = key_of(code);
        vkeymap* e = &vkey[code];
        if (e->row != want.row || e->col != want.col || e->shift != want.shift) {
            printf("code %d: {%d,%d,%d}, wanted {%d,%d,%d}\n", code, e->row, e->col, e->shift, want.row,
                   want.col, want.shift);
            wrong = 1;
        }
    }
    return wrong;
}
