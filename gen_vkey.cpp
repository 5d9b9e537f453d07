// gen_vkey: writes the C source of vkey, the table that maps each 8-bit
// character code to the key that types it on an 8 x 6 key matrix.
//
// The key map below is the only data. At compile time it is checked, turned
// into the 256-entry table, and the table into its source text; at run time
// the program writes that text to standard output and checks that it got
// there. A bad key map does not build.

#include "vkey.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

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

// The rules that the key map keeps; each broken rule stops the build with its own message.

// Returns whether pred holds for every key map entry.
template <typename Pred>
constexpr bool every_entry(Pred pred)
{
    return std::ranges::all_of(km, pred);
}

// Returns whether no two key map entries are alike as same() judges them.
template <typename Same>
constexpr bool no_two_entries(Same same)
{
    for (std::size_t i = 0; i < std::size(km); ++i) {
        for (std::size_t j = i + 1; j < std::size(km); ++j) {
            if (same(km[i], km[j])) {
                return false;
            }
        }
    }
    return true;
}

// Returns whether some key map entry is the unshifted character of key (row, col).
constexpr bool has_unshifted(int row, int col)
{
    return std::ranges::any_of(
        km, [=](const kmentry& e) { return e.row == row && e.col == col && e.shift == 0; });
}

// Returns whether the character literals of this compiler are ASCII, as the key map assumes.
constexpr bool literals_are_ascii()
{
    constexpr std::string_view printable =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    for (std::size_t i = 0; i < printable.size(); ++i) {
        if (printable[i] != static_cast<char>(32 + i)) {
            return false;
        }
    }
    return '\n' == 10;
}

static_assert(literals_are_ascii(), "key map: the compiler's character set is not ASCII");
static_assert(std::size(km) == 80, "key map: it must hold 80 entries");
static_assert(no_two_entries([](const kmentry& a, const kmentry& b) { return a.code == b.code; }),
              "key map: a code occurs twice");
static_assert(every_entry([](const kmentry& e) { return e.code >= 0; }), "key map: a code is 128 or above");
static_assert(every_entry([](const kmentry& e) { return e.row >= 0 && e.row <= 7; }),
              "key map: a row is outside 0-7");
static_assert(every_entry([](const kmentry& e) { return e.col >= 0 && e.col <= 5; }),
              "key map: a column is outside 0-5");
static_assert(every_entry([](const kmentry& e) { return e.shift == 0 || e.shift == 1; }),
              "key map: a shift is neither 0 nor 1");
static_assert(every_entry([](const kmentry& e) { return e.row >= 5 || e.col != 2; }),
              "key map: rows 0-4 have no key in column 2");
static_assert(no_two_entries([](const kmentry& a, const kmentry& b) {
                  return a.row == b.row && a.col == b.col && a.shift == b.shift;
              }),
              "key map: two characters share a key and shift");
static_assert(every_entry([](const kmentry& e) { return e.shift == 0 || has_unshifted(e.row, e.col); }),
              "key map: a shifted character's key has no unshifted character");
static_assert(std::ranges::count_if(km, [](const kmentry& e) { return e.shift == 0; }) == 43,
              "key map: it must hold 43 unshifted characters, one for each key");

// The lookup table entry of a character that no key types.
constexpr vkeymap none = {-1, -1, -1};

// Returns the lookup table: the key map's entry for each code it holds, none for every other code.
constexpr std::array<vkeymap, 256> make_vkey()
{
    std::array<vkeymap, 256> table{};
    table.fill(none);
    for (const kmentry& e : km) {
        table[static_cast<unsigned char>(e.code)] = {e.row, e.col, e.shift};
    }
    return table;
}

// The generator's own vkey, complete at compile time; it hides, in this file, the one
// that vkey.h declares for the programs that link the table.
constexpr std::array<vkeymap, 256> vkey = make_vkey();

// Where the text goes: into buf, or, while buf is null, only counted in len.
struct writer {
    char* buf = nullptr;
    std::size_t len = 0;
};

// Appends one character.
constexpr void put(writer& w, char c)
{
    if (w.buf != nullptr) {
        w.buf[w.len] = c;
    }
    ++w.len;
}

// Appends a string.
constexpr void put(writer& w, std::string_view s)
{
    for (const char c : s) {
        put(w, c);
    }
}

// Appends n in decimal, with a minus sign when negative.
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

// Returns whether a code is labelled by its character: a printable one, but not the
// backslash, which would continue the comment onto the next line.
constexpr bool labelled_by_character(int code)
{
    return code >= 33 && code <= 126 && code != 92;
}

// Writes the entry line of one code: its three values, then the code as a label.
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

// Writes the whole text: the include and the opening, an entry line for each code
// 0-254, and the entry of code 255, which ends the list without a comma.
constexpr void write_text(writer& w)
{
    put(w, "#include \"vkey.h\"\n"
           "vkeymap vkey[256] = {\n");
    for (int code = 0; code < 255; ++code) {
        write_entry(w, code, vkey[static_cast<std::size_t>(code)]);
    }
    put(w, "\t{-1,-1,-1}\n"
           "};\n");
}

// Returns the length of the text.
constexpr std::size_t text_length()
{
    writer w;
    write_text(w);
    return w.len;
}

// Returns the text, rendered into an array of exactly its length.
constexpr std::array<char, text_length()> render()
{
    std::array<char, text_length()> text{};
    writer w{text.data()};
    write_text(w);
    return text;
}

constexpr std::array<char, text_length()> text = render();

// Returns how often s occurs in the text.
constexpr std::size_t occurrences(std::string_view s)
{
    const std::string_view t(text.data(), text.size());
    std::size_t n = 0;
    for (std::size_t at = t.find(s); at != std::string_view::npos; at = t.find(s, at + 1)) {
        ++n;
    }
    return n;
}

static_assert(vkey[255].row == none.row && vkey[255].col == none.col && vkey[255].shift == none.shift,
              "text: the fixed last entry must match the table");
static_assert(occurrences("\n") == 259, "text: it must hold 259 lines");
static_assert(occurrences("\n\t{") == 256, "text: it must hold 256 initialisers");
static_assert(text.back() == '\n', "text: its last line must end");

// Flushes and closes standard output; on failure reports the write error and returns
// EXIT_FAILURE, so that a build never takes a truncated text for the whole one.
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
    (void)std::fwrite(text.data(), 1, text.size(), stdout);
    return close_stdout();
}
