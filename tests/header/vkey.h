/* A program's own vkey.h, as small as the generated text allows: it declares
 * vkeymap and nothing else, with plain int fields. */
#ifndef TEST_VKEY_H
#define TEST_VKEY_H

typedef struct vkeymap {
    int row;
    int col;
    int shift;
} vkeymap;

#endif
