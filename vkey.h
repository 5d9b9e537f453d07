/* vkey.h: the records of the key lookup table that gen_vkey writes.
 *
 * The keyboard's keys sit in a matrix of 8 rows and 6 columns; a character
 * is typed by one key, with or without shift held. The header is plain C so
 * that C and C++ programs alike can compile the generated table. */
#ifndef VKEY_H
#define VKEY_H

#include <stdint.h>

/* One entry of the lookup table: the key that types a character,
 * or -1 in all three fields when no key types it. */
typedef struct vkeymap {
    int32_t row;   /* key matrix row, 0-7 */
    int32_t col;   /* key matrix column, 0-5 */
    int32_t shift; /* 1 when shift is held with the key, 0 when not */
} vkeymap;

/* One entry of the generator's key map: a character and its key. */
typedef struct kmentry {
    signed char code; /* the character, an ASCII code below 128 */
    int32_t row;
    int32_t col;
    int32_t shift;
} kmentry;

#endif /* VKEY_H */
