#!/usr/bin/env bash
# What compiling gen_vkey costs, with GCC and with clang, next to a plain C program (below)
# that holds the same key map and prints the same text with printf, checking nothing; it
# is checked first to write the same bytes as gen_vkey. Both are compiled to an object
# file (-c, no link) by the same compiler with -O2, gen_vkey.cpp with -std=c++20:
#   cpu    user+sys CPU time of the compiler and its children (compiler proper, assembler),
#          median of 10 alternating pairs, after one pair that is not measured
#   ratio  gen_vkey.cpp's median over the C program's
#   peak   the compiler's peak memory (largest resident set, MB), from one more run each
# CPU times come from bash's `time`, in milliseconds; GNU time (/usr/bin/time), which cuts
# them to 10 ms, too coarse for a compile of a few tens of ms, gives only the peak memory.
# Exits 1 when a ratio is above 2.5. Usage: bench/compile.sh [work folder, default build/bench]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/bench}/compile" && cd "${1:-$root/build/bench}/compile" && pwd)
max_ratio=2.5
pairs=10

cat >"$work/plain.c" <<'C'
#include <stdio.h>

static const struct { char code; int row, col, shift; } km[] = {
    {'R',0,5,0}, {'Q',0,4,0}, {'E',0,3,0}, {'W',0,1,0}, {'T',0,0,0}, {'F',1,5,0}, {'A',1,4,0},
    {'D',1,3,0}, {'S',1,1,0}, {'G',1,0,0}, {'V',2,5,0}, {'Z',2,4,0}, {'C',2,3,0}, {'X',2,1,0},
    {'B',2,0,0}, {'4',3,5,0}, {'1',3,4,0}, {'3',3,3,0}, {'2',3,1,0}, {'5',3,0,0}, {'M',4,5,0},
    {' ',4,4,0}, {',',4,3,0}, {'.',4,1,0}, {'N',4,0,0}, {'7',5,5,0}, {'0',5,4,0}, {'8',5,3,0},
    {'-',5,2,0}, {'9',5,1,0}, {'6',5,0,0}, {'U',6,5,0}, {'P',6,4,0}, {'I',6,3,0}, {'\n',6,2,0},
    {'O',6,1,0}, {'Y',6,0,0}, {'J',7,5,0}, {';',7,4,0}, {'K',7,3,0}, {':',7,2,0}, {'L',7,1,0},
    {'H',7,0,0}, {'!',3,4,1}, {'"',3,1,1}, {'#',3,3,1}, {'$',3,5,1}, {'%',3,0,1}, {'&',5,0,1},
    {'\'',5,5,1}, {'(',5,3,1}, {')',5,1,1}, {'@',5,4,1}, {'=',5,2,1}, {'[',6,1,1}, {']',6,4,1},
    {'/',7,3,1}, {'?',7,1,1}, {'+',7,4,1}, {'*',7,2,1}, {'^',4,0,1}, {'\\',4,5,1}, {'<',4,3,1},
    {'>',4,1,1}, {'q',0,4,1}, {'w',0,1,1}, {'e',0,3,1}, {'r',0,5,1}, {'t',0,0,1}, {'y',6,0,1},
    {'u',6,5,1}, {'i',6,3,1}, {'a',1,4,1}, {'s',1,1,1}, {'d',1,3,1}, {'f',1,5,1}, {'g',1,0,1},
    {'h',7,0,1}, {'j',7,5,1}, {'z',2,4,1},
};

int main(void)
{
    int key[256][3];
    for (int c = 0; c < 256; ++c)
        key[c][0] = key[c][1] = key[c][2] = -1;
    for (unsigned i = 0; i < sizeof km / sizeof km[0]; ++i) {
        int *k = key[(unsigned char)km[i].code];
        k[0] = km[i].row, k[1] = km[i].col, k[2] = km[i].shift;
    }
    printf("#include \"vkey.h\"\nvkeymap vkey[256] = {\n");
    for (int c = 0; c < 255; ++c) {
        printf("\t{%d,%d,%d}, // ", key[c][0], key[c][1], key[c][2]);
        printf(c >= 33 && c <= 126 && c != 92 ? "%c\n" : "%d\n", c);
    }
    printf("\t{-1,-1,-1}\n};\n");
    return 0;
}
C

# Runs a command with its output in the log; stops the bench when it fails.
run() {
  "$@" >"$work/log" 2>&1 || { echo "bench: failed: $*" >&2; cat "$work/log" >&2; exit 2; }
}

# Prints the CPU time, user plus system in seconds, that a command and its children take.
cpu() {
  local TIMEFORMAT='%3U %3S' t
  t=$({ time run "$@"; } 2>&1)
  awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f", a[1] + a[2] }'
}

# Prints the peak memory, in MB, of a command and its children.
peak() {
  run /usr/bin/time -f %M -o "$work/peak" "$@"
  awk '{ printf "%.0f", $1 / 1024 }' "$work/peak"
}

# Prints the median of its arguments.
median() {
  printf '%s\n' "$@" | sort -g |
    awk '{ v[NR] = $1 } END { printf "%.3f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'
}

status=0
printf '%-8s %12s %9s %6s %16s %14s\n' compiler gen_vkey.cpp "plain C" ratio "gen_vkey.cpp MB" "plain C MB"
for pair in gcc:g++ clang:clang++; do
  cc=${pair%%:*}
  cxx=${pair#*:}
  gen=("$cxx" -std=c++20 -O2 -I"$root" -c "$root/gen_vkey.cpp" -o "$work/gen_vkey.o")
  plain=("$cc" -O2 -c "$work/plain.c" -o "$work/plain.o")

  run "$cxx" -std=c++20 -O2 -I"$root" "$root/gen_vkey.cpp" -o "$work/gen_vkey"
  run "$cc" -O2 "$work/plain.c" -o "$work/plain"
  cmp -s <("$work/plain") <("$work/gen_vkey") ||
    { echo "bench: the C program does not write gen_vkey's text" >&2; exit 2; }

  run "${gen[@]}"
  run "${plain[@]}"
  gen_cpu=()
  plain_cpu=()
  for ((i = 0; i < pairs; ++i)); do
    gen_cpu+=("$(cpu "${gen[@]}")")
    plain_cpu+=("$(cpu "${plain[@]}")")
  done
  g=$(median "${gen_cpu[@]}")
  p=$(median "${plain_cpu[@]}")
  ratio=$(awk -v a="$g" -v b="$p" 'BEGIN { printf "%.2f", a / b }')
  printf '%-8s %10s s %7s s %6s %16s %14s\n' "$cc" "$g" "$p" "$ratio" "$(peak "${gen[@]}")" "$(peak "${plain[@]}")"
  if awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then
    echo "bench: compiling gen_vkey.cpp with $cxx costs more than ${max_ratio}x the C program" >&2
    status=1
  fi
done
exit $status
