/* vkey.h: the key lookup table that gen_vkey writes, and its records.
 *
 * The keyboard's keys sit in a matrix of 8 rows and 6 columns; a character
 * is typed by one key, with or without shift held. The header is plain C so
 * that C and C++ programs alike can compile and use the generated table. */
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

#ifdef __cplusplus
extern "C" {
#endif

/* The key of every 8-bit character code: vkey[(unsigned char)c]. */
extern vkeymap vkey[256];

#ifdef __cplusplus
}
#endif

#endif /* VKEY_H */
