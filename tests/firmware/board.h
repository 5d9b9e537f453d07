/* What a test program needs from the board it runs on: a console line, and the end. */
#ifndef BOARD_H
#define BOARD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Writes text to the board's console. */
void board_write(const char* text);

/* Ends the program: status 0 when every check passed, else 1. Does not return. */
void board_exit(int status);

#ifdef __cplusplus
}
#endif

#endif /* BOARD_H */
