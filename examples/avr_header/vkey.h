/* vkey.h for AVR (avr-gcc and avr-libc): the table in flash, and none of it in RAM.
 *
 * On AVR, flash and RAM are separate address spaces, and avr-gcc copies every
 * initialised variable, const or not (.rodata too), into RAM at start-up: a const table
 * alone still takes its 768 bytes of RAM. Only data in flash's own address space stays
 * out of RAM, and it is read with other instructions (LPM) than RAM (LD). The generated
 * text defines the table as `vkeymap vkey[256] = {...}`, so vkeymap decides where it goes.
 *
 * From C (GNU C: avr-gcc's default, or -std=gnu99 and later) vkeymap is in the __flash
 * address space: the compiler knows the table is in flash, and a plain read such as
 * `vkey[c].row` reads it there (one LPM per byte).
 *
 * C++ has no __flash. There the table is placed in flash with PROGMEM, and the compiler
 * no longer knows where it is: a plain read would read RAM at the table's flash address
 * and return other bytes, silently. So in C++ the entry type has no public fields, which
 * makes `vkey[c].row` an error, and entries are read with vkey_at(), below. It needs
 * C++11 (constexpr), so that the table is filled at compile time and not by code that
 * would write to flash at start-up.
 *
 * vkey_at(c) reads an entry in both languages: it returns the entry for code c, copied
 * out of flash (3 bytes, in registers). In C it is vkey[c]. In C++ it reads the three
 * bytes with pgm_read_byte() (LPM, 3 cycles each), all three even when only one field is
 * used: with avr-gcc 5.4 -Os, 19 instructions (38 bytes) per lookup, against 13 (26 bytes)
 * for a C copy of an entry and 11 (22 bytes) for one field, `vkey[c].row`.
 *
 * The struct has a tag so that, in C++, the const object has a type with a name for
 * linkage; the extern declaration comes before the generated definition so that the
 * table has external linkage, and extern "C" gives it C linkage, so that C and C++ files
 * share it whichever language it was compiled in. */
#ifndef AVR_VKEY_H
#define AVR_VKEY_H

#include <stdint.h>

/* An entry copied out of the table: the key that types a character,
 * or -1 in all three fields when no key types it. */
struct vkey_key {
    int8_t row;   /* key matrix row, 0-7 */
    int8_t col;   /* key matrix column, 0-5 */
    int8_t shift; /* 1 when shift is held with the key, 0 when not */
};

#ifdef __cplusplus

#if __cplusplus < 201103L
#error "avr_header/vkey.h needs C++11 or later (-std=c++11 or -std=gnu++11)"
#endif

#include <avr/pgmspace.h>

/* An entry in flash, with no field that a plain read could reach; read it with vkey_at(). */
class vkey_flash_entry {
  public:
    constexpr vkey_flash_entry(int8_t row, int8_t col, int8_t shift) : row_(row), col_(col), shift_(shift) {}

  private:
    int8_t row_;
    int8_t col_;
    int8_t shift_;
    friend vkey_key vkey_at(unsigned char code);
};
typedef const vkey_flash_entry vkeymap;

extern "C" {
/* The key of every 8-bit character code, in flash: read it with vkey_at(). */
extern vkeymap vkey[256] PROGMEM;
}

/* The entry for code, read from flash. */
inline vkey_key vkey_at(unsigned char code)
{
    const vkey_flash_entry& e = vkey[code];
    vkey_key k = {static_cast<int8_t>(pgm_read_byte(&e.row_)), static_cast<int8_t>(pgm_read_byte(&e.col_)),
                  static_cast<int8_t>(pgm_read_byte(&e.shift_))};
    return k;
}

#else /* C */

#if defined(__STRICT_ANSI__) || !defined(__FLASH)
#error "avr_header/vkey.h needs GNU C's __flash (avr-gcc with -std=gnu99 or later, not -std=c99)"
#endif

typedef const __flash struct vkey_key vkeymap;

/* The key of every 8-bit character code, in flash: vkey[(unsigned char)c].row. */
extern vkeymap vkey[256];

/* The entry for code, read from flash: the same as vkey[code]. */
static inline struct vkey_key vkey_at(unsigned char code)
{
    return vkey[code];
}

#endif

#endif /* AVR_VKEY_H */
