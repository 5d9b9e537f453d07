// gen_vkey: writes the C source of vkey, the table that maps each 8-bit
// character code to the key that types it on an 8 x 6 key matrix.
//
// The key map below is the only data. At compile time it is checked, turned
// into the 256-entry table, and the table into its source text; at run time
// the program writes that text to standard output and checks that it got
// there. A bad key map does not build. Only C library headers are included,
// the text is rendered once, its shape counted as it is written, and no check
// compares every pair of entries, so that compiling the generator costs a small
// multiple of compiling a plain C program that prints the same text
// (bench/compile.sh fails above 2.5 times).

#include "vkey.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The key map: each character that a key types, with the key's place in the
// matrix and whether shift is held. First the unshifted character of every
// key, row by row; then the characters typed with shift, each on the key
// named in its comment.
// clang-format off
constexpr kmentry km[] = {
//   code  row col shift
    // Row 0
    {'R',   0,  5,  0},
    {'Q',   0,  4,  0},
    {'E',   0,  3,  0},
    {'W',   0,  1,  0},
    {'T',   0,  0,  0},
    // Row 1
    {'F',   1,  5,  0},
    {'A',   1,  4,  0},
    {'D',   1,  3,  0},
    {'S',   1,  1,  0},
    {'G',   1,  0,  0},
    // Row 2
    {'V',   2,  5,  0},
    {'Z',   2,  4,  0},
    {'C',   2,  3,  0},
    {'X',   2,  1,  0},
    {'B',   2,  0,  0},
    // Row 3
    {'4',   3,  5,  0},
    {'1',   3,  4,  0},
    {'3',   3,  3,  0},
    {'2',   3,  1,  0},
    {'5',   3,  0,  0},
    // Row 4
    {'M',   4,  5,  0},
    {' ',   4,  4,  0},  // space
    {',',   4,  3,  0},
    {'.',   4,  1,  0},
    {'N',   4,  0,  0},
    // Row 5
    {'7',   5,  5,  0},
    {'0',   5,  4,  0},
    {'8',   5,  3,  0},
    {'-',   5,  2,  0},
    {'9',   5,  1,  0},
    {'6',   5,  0,  0},
    // Row 6
    {'U',   6,  5,  0},
    {'P',   6,  4,  0},
    {'I',   6,  3,  0},
    {'\n',  6,  2,  0},  // line feed
    {'O',   6,  1,  0},
    {'Y',   6,  0,  0},
    // Row 7
    {'J',   7,  5,  0},
    {';',   7,  4,  0},
    {'K',   7,  3,  0},
    {':',   7,  2,  0},
    {'L',   7,  1,  0},
    {'H',   7,  0,  0},

    // Shifted: punctuation
    {'!',   3,  4,  1},  // shift+1
    {'"',   3,  1,  1},  // shift+2
    {'#',   3,  3,  1},  // shift+3
    {'$',   3,  5,  1},  // shift+4
    {'%',   3,  0,  1},  // shift+5
    {'&',   5,  0,  1},  // shift+6
    {'\'',  5,  5,  1},  // shift+7
    {'(',   5,  3,  1},  // shift+8
    {')',   5,  1,  1},  // shift+9
    {'@',   5,  4,  1},  // shift+0
    {'=',   5,  2,  1},  // shift+-
    {'[',   6,  1,  1},  // shift+O
    {']',   6,  4,  1},  // shift+P
    {'/',   7,  3,  1},  // shift+K
    {'?',   7,  1,  1},  // shift+L
    {'+',   7,  4,  1},  // shift+;
    {'*',   7,  2,  1},  // shift+:
    {'^',   4,  0,  1},  // shift+N
    {'\\',  4,  5,  1},  // shift+M
    {'<',   4,  3,  1},  // shift+,
    {'>',   4,  1,  1},  // shift+.
    // Shifted: lowercase letters, on their capitals' keys
    {'q',   0,  4,  1},
    {'w',   0,  1,  1},
    {'e',   0,  3,  1},
    {'r',   0,  5,  1},
    {'t',   0,  0,  1},
    {'y',   6,  0,  1},
    {'u',   6,  5,  1},
    {'i',   6,  3,  1},
    {'a',   1,  4,  1},
    {'s',   1,  1,  1},
    {'d',   1,  3,  1},
    {'f',   1,  5,  1},
    {'g',   1,  0,  1},
    {'h',   7,  0,  1},
    {'j',   7,  5,  1},
    {'z',   2,  4,  1},
};
// clang-format on

// The key matrix: rows 0 to first_full_row - 1 have no key in column gap_col, so it
// holds keys keys.
constexpr int rows = 8;
constexpr int cols = 6;
constexpr int first_full_row = 5;
constexpr int gap_col = 2;
constexpr int keys = rows * cols - first_full_row;

constexpr std::size_t km_size = sizeof km / sizeof km[0];

// The rules that the key map keeps; each broken rule stops the build with its own message.

template <typename Pred>
constexpr bool every_entry(Pred pred)
{
    // Not std::ranges::all_of: <algorithm> alone takes longer to compile than this whole file.
    for (const kmentry& e : km) {  // NOLINT(readability-use-anyofallof)
        if (!pred(e)) {
            return false;
        }
    }
    return true;
}

constexpr bool in_matrix(int row, int col)
{
    return row >= 0 && row < rows && col >= 0 && col < cols;
}

constexpr bool literals_are_ascii()
{
    constexpr char printable[] =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    for (std::size_t i = 0; i + 1 < sizeof printable; ++i) {
        if (printable[i] != static_cast<char>(32 + i)) {
            return false;
        }
    }
    return '\n' == 10;
}
static_assert(literals_are_ascii(), "key map: the compiler's character set is not ASCII");

static_assert(km_size == 80, "key map: it must hold 80 entries");

// Marks each code seen, in one pass.
constexpr bool no_code_occurs_twice()
{
    bool seen[256] = {};
    for (const kmentry& e : km) {
        bool& s = seen[static_cast<unsigned char>(e.code)];
        if (s) {
            return false;
        }
        s = true;
    }
    return true;
}
static_assert(no_code_occurs_twice(), "key map: a code occurs twice");

// A signed char holds the codes from 128 up as negative.
static_assert(every_entry([](const kmentry& e) { return e.code >= 0; }), "key map: a code is 128 or above");

static_assert(every_entry([](const kmentry& e) { return e.row >= 0 && e.row < rows; }),
              "key map: a row is outside 0-7");

static_assert(every_entry([](const kmentry& e) { return e.col >= 0 && e.col < cols; }),
              "key map: a column is outside 0-5");

static_assert(every_entry([](const kmentry& e) { return e.shift == 0 || e.shift == 1; }),
              "key map: a shift is neither 0 nor 1");

static_assert(every_entry([](const kmentry& e) { return e.row >= first_full_row || e.col != gap_col; }),
              "key map: rows 0-4 have no key in column 2");

// Marks each (row, col, shift) seen, in one pass; an entry off the matrix is left to the
// rule that it breaks.
constexpr bool no_two_characters_share_a_key_and_shift()
{
    bool seen[rows][cols][2] = {};
    for (const kmentry& e : km) {
        if (!in_matrix(e.row, e.col) || (e.shift != 0 && e.shift != 1)) {
            continue;
        }
        bool& s = seen[e.row][e.col][e.shift];
        if (s) {
            return false;
        }
        s = true;
    }
    return true;
}
static_assert(no_two_characters_share_a_key_and_shift(), "key map: two characters share a key and shift");

// One pass marks the keys of the unshifted characters, a second checks the keys of the
// shifted ones.
constexpr bool every_shifted_characters_key_has_an_unshifted_character()
{
    bool unshifted[rows][cols] = {};
    for (const kmentry& e : km) {
        if (e.shift == 0 && in_matrix(e.row, e.col)) {
            unshifted[e.row][e.col] = true;
        }
    }
    return every_entry([&](const kmentry& e) {
        return e.shift == 0 || (in_matrix(e.row, e.col) && unshifted[e.row][e.col]);
    });
}
static_assert(every_shifted_characters_key_has_an_unshifted_character(),
              "key map: a shifted character's key has no unshifted character");

constexpr int unshifted_characters()
{
    int n = 0;
    for (const kmentry& e : km) {
        n += e.shift == 0 ? 1 : 0;
    }
    return n;
}
static_assert(unshifted_characters() == keys,
              "key map: it must hold 43 unshifted characters, one for each key");

// The lookup table entry of a character that no key types.
constexpr vkeymap none = {-1, -1, -1};

struct lookup_table {
    vkeymap keys[256];
};

// The key map's entry for each code it holds, none for every other code.
constexpr lookup_table make_vkey()
{
    lookup_table table{};
    for (vkeymap& k : table.keys) {
        k = none;
    }
    for (const kmentry& e : km) {
        table.keys[static_cast<unsigned char>(e.code)] = {e.row, e.col, e.shift};
    }
    return table;
}

// The generator's own vkey, complete at compile time; it hides, in this file, the one
// that vkey.h declares for the programs that link the table.
constexpr lookup_table vkey = make_vkey();

// The text's first two lines, and its last two: the fixed entry of code 255 and the close.
constexpr char opening[] = "#include \"vkey.h\"\n"
                           "vkeymap vkey[256] = {\n";
constexpr char closing[] = "\t{-1,-1,-1}\n"
                           "};\n";
static_assert(vkey.keys[255].row == none.row && vkey.keys[255].col == none.col &&
                  vkey.keys[255].shift == none.shift,
              "text: the fixed last entry must match the table");

// The longest entry line that the format allows: each value at most two characters, the
// label at most three.
constexpr char longest_entry[] = "\t{-1,-1,-1}, // 254\n";

// An upper bound of the text's length, from its line format: the opening, 255 entry lines
// no longer than the longest, and the closing.
constexpr std::size_t text_bound =
    (sizeof opening - 1) + 255 * (sizeof longest_entry - 1) + (sizeof closing - 1);

// The text as it is written: its first len characters in buf, and its shape, counted as
// each character is written: its lines, and those of them that begin with "\t{", the
// initialisers. A text longer than the bound does not build, since a constant evaluation
// cannot write past the end of buf.
struct writer {
    char buf[text_bound];
    std::size_t len;
    std::size_t lines;
    std::size_t initialisers;
    std::size_t line_start;
};

constexpr void end_line(writer& w)
{
    ++w.lines;
    if (w.len - w.line_start > 2 && w.buf[w.line_start] == '\t' && w.buf[w.line_start + 1] == '{') {
        ++w.initialisers;
    }
    w.line_start = w.len;
}

constexpr void put(writer& w, char c)
{
    w.buf[w.len++] = c;
    if (c == '\n') {
        end_line(w);
    }
}

// The same as put(w, c) for each character, without the call: the text is written at
// compile time, where a call costs the compiler more than the rest.
constexpr void put(writer& w, const char* s)
{
    for (; *s != '\0'; ++s) {
        w.buf[w.len++] = *s;
        if (*s == '\n') {
            end_line(w);
        }
    }
}

// In decimal, with a minus sign when negative.
constexpr void put_int(writer& w, int n)
{
    if (n < 0) {
        put(w, '-');
    }
    const unsigned magnitude = n < 0 ? 0U - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    unsigned place = 1;
    while (magnitude / place >= 10) {
        place *= 10;
    }
    for (; place > 0; place /= 10) {
        put(w, static_cast<char>('0' + magnitude / place % 10));
    }
}

// A printable character, but not the backslash, which would continue the comment onto the
// next line.
constexpr bool labelled_by_character(int code)
{
    return code >= 33 && code <= 126 && code != 92;
}

// The code's three values, then the code as a label.
constexpr void write_entry(writer& w, int code, const vkeymap& k)
{
    put(w, "\t{");
    put_int(w, k.row);
    put(w, ',');
    put_int(w, k.col);
    put(w, ',');
    put_int(w, k.shift);
    put(w, "}, // ");
    if (labelled_by_character(code)) {
        put(w, static_cast<char>(code));
    } else {
        put_int(w, code);
    }
    put(w, '\n');
}

// The whole text, rendered once: the opening, an entry line for each code 0-254, and the
// closing, whose entry of code 255 ends the list without a comma.
constexpr writer render()
{
    writer w{};
    put(w, opening);
    for (int code = 0; code < 255; ++code) {
        write_entry(w, code, vkey.keys[code]);
    }
    put(w, closing);
    return w;
}

constexpr writer text = render();
static_assert(text.lines == 259, "text: it must hold 259 lines");
static_assert(text.initialisers == 256, "text: it must hold 256 initialisers");
static_assert(text.line_start == text.len, "text: its last line must end");

// On a failed flush or close, reports the write error and returns EXIT_FAILURE, so that a
// build never takes a truncated text for the whole one.
int close_stdout()
{
    const bool written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    const int write_errno = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed) {
        return EXIT_SUCCESS;
    }
    const int reason = written ? errno : write_errno;
    if (reason != 0) {
        (void)std::fprintf(stderr, "gen_vkey: write error: %s\n", std::strerror(reason));
    } else {
        (void)std::fputs("gen_vkey: write error\n", stderr);
    }
    return EXIT_FAILURE;
}

}  // namespace

int main()
{
    // Unbuffered, the finished text goes out in a single write, and stdio needs no buffer.
    // Should that not be had, buffered output is as good. Whether the write worked is
    // for close_stdout() to tell.
    (void)std::setvbuf(stdout, nullptr, _IONBF, 0);
    errno = 0;
    (void)std::fwrite(text.buf, 1, text.len, stdout);
    return close_stdout();
}
