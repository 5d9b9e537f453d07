/* vkey.h for a microcontroller: the table in flash, and none of it in RAM.
 *
 * The generated text defines the table as `vkeymap vkey[256] = {...}`, so vkeymap
 * decides where it goes. Here vkeymap is const, which puts the table in a read-only
 * section (.rodata, kept in flash), and its fields are 8-bit: 768 bytes in all, where the
 * stock header's 32-bit fields take 3,072 bytes of RAM (and as many of flash for their
 * start-up values).
 *
 * The header works in C and in C++. C++ gives a const object at namespace scope internal
 * linkage unless an earlier declaration gave it external linkage: the extern declaration
 * below is that one, and the generated definition follows it. The object's type needs a
 * name for linkage too, hence the struct's tag. With an unnamed struct (`typedef const
 * struct {...} vkeymap;`) the const typedef does not name the struct for linkage, so vkey
 * cannot be seen outside its own file: the table's file compiles, with GCC without a
 * warning, into an object that holds no usable table (an optimizing build drops it), and
 * every other C++ file that uses the table fails with "declared using unnamed type, is
 * used but never defined". The tag cannot be vkeymap itself: in C++ that name would then
 * mean both the struct and its const version. extern "C" gives the table C linkage, so
 * that C and C++ files share it whichever language it was compiled in. */
#ifndef ROM_VKEY_H
#define ROM_VKEY_H

#include <stdint.h>

/* One entry of the lookup table: the key that types a character,
 * or -1 in all three fields when no key types it. */
struct vkeymap_entry {
    int8_t row;   /* key matrix row, 0-7 */
    int8_t col;   /* key matrix column, 0-5 */
    int8_t shift; /* 1 when shift is held with the key, 0 when not */
};
typedef const struct vkeymap_entry vkeymap;

#ifdef __cplusplus
extern "C" {
#endif

/* The key of every 8-bit character code: vkey[(unsigned char)c]. */
extern vkeymap vkey[256];

#ifdef __cplusplus
}
#endif

#endif /* ROM_VKEY_H */
