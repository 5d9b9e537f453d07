// Prints the key of 'a' and of 'b' from the linked table, each as "row col shift".
#include "vkey.h"

#include <cstdio>

namespace {

void print_key(const vkeymap& k)
{
    std::printf("%d %d %d\n", static_cast<int>(k.row), static_cast<int>(k.col), static_cast<int>(k.shift));
}

}  // namespace

int main()
{
    print_key(vkey[static_cast<unsigned char>('a')]);
    print_key(vkey[static_cast<unsigned char>('b')]);
}
