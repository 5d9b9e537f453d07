/* A program's own vkey.h. The generated table needs of it only the record vkeymap,
 * with fields that hold the row, column and shift, -1 included; this one keeps them
 * small, and declares the table for the program's other files. */
#ifndef TYPE_TEXT_VKEY_H
#define TYPE_TEXT_VKEY_H

typedef struct vkeymap {
    signed char row;
    signed char col;
    signed char shift;
} vkeymap;

extern vkeymap vkey[256];

#endif
