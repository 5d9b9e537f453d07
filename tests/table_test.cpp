// Checks the table that the generated text defines, compiled as C or as C++, entry by
// entry against the key matrix: the same key map as the generator's, written the other
// way round, by key position, so that a slip in either shows.

#include "vkey.h"

#include <gtest/gtest.h>

#include <tuple>

#if TABLE_COMPILED_AS_C
extern "C" vkeymap vkey[256];
#else
extern vkeymap vkey[256];
#endif

namespace {

// A key: the character it types without shift, and with shift; 0 for none.
struct key {
    char plain;
    char shifted;
};

// clang-format off
constexpr key matrix[8][6] = {
//    col 0       col 1       col 2        col 3       col 4       col 5
    {{'T', 't'}, {'W', 'w'}, {0,    0},   {'E', 'e'}, {'Q', 'q'}, {'R', 'r'}},   // row 0
    {{'G', 'g'}, {'S', 's'}, {0,    0},   {'D', 'd'}, {'A', 'a'}, {'F', 'f'}},   // row 1
    {{'B', 0},   {'X', 0},   {0,    0},   {'C', 0},   {'Z', 'z'}, {'V', 0}},     // row 2
    {{'5', '%'}, {'2', '"'}, {0,    0},   {'3', '#'}, {'1', '!'}, {'4', '$'}},   // row 3
    {{'N', '^'}, {'.', '>'}, {0,    0},   {',', '<'}, {' ', 0},   {'M', '\\'}},  // row 4
    {{'6', '&'}, {'9', ')'}, {'-', '='},  {'8', '('}, {'0', '@'}, {'7', '\''}},  // row 5
    {{'Y', 'y'}, {'O', '['}, {'\n', 0},   {'I', 'i'}, {'P', ']'}, {'U', 'u'}},   // row 6
    {{'H', 'h'}, {'L', '?'}, {':', '*'},  {'K', '/'}, {';', '+'}, {'J', 'j'}},   // row 7
};
// clang-format on

// Returns the (row, col, shift) of the key that types code, or (-1, -1, -1).
std::tuple<int, int, int> key_of(int code)
{
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 6; ++col) {
            const key& k = matrix[row][col];
            if (k.plain != 0 && k.plain == code) {
                return {row, col, 0};
            }
            if (k.shifted != 0 && k.shifted == code) {
                return {row, col, 1};
            }
        }
    }
    return {-1, -1, -1};
}

TEST(Table, EveryCodeHasTheEntryOfItsKey)
{
    for (int code = 0; code < 256; ++code) {
        const vkeymap& e = vkey[code];
        EXPECT_EQ(std::make_tuple(e.row, e.col, e.shift), key_of(code)) << "code " << code;
    }
}

}  // namespace
