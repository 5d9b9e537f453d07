#!/usr/bin/env bash
# What one run of gen_vkey costs, for a GCC and a clang build, next to the floor: a C
# program, built by the same compiler, whose main is a single write(2) of the same text.
#   instructions  counted by callgrind, and their ratio to the floor's
#   writes        write calls of the run (strace)
#   allocs        heap allocations of the run (valgrind)
# Exits 1 when a build is over budget: 1.2 times the floor's instructions, one write,
# no allocation. Usage: bench/cost.sh [work folder, default build/bench]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/bench}" && cd "${1:-$root/build/bench}" && pwd)
max_ratio=1.2

# Prints the instructions that a run of the program executes.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

# Prints the number of write calls that a run of the program makes.
writes() {
  strace -qq -e trace=write,writev,pwrite64,pwritev -o "$work/strace.log" "$1" >/dev/null
  grep -c -E '^(write|writev|pwrite64|pwritev)\(' "$work/strace.log" || true
}

# Prints the number of heap allocations that a run of the program makes.
allocs() {
  valgrind "$1" 2>&1 >/dev/null | sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
}

status=0
printf '%-8s %12s %12s %6s %7s %7s\n' build instructions floor ratio writes allocs
for pair in gcc:g++ clang:clang++; do
  cc=${pair%%:*}
  cxx=${pair#*:}
  dir=$work/$cc
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGEN_VKEY_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
  cmake --build "$dir" --target gen_vkey >/dev/null

  "$dir/gen_vkey" >"$dir/text"
  {
    echo '#include <unistd.h>'
    echo 'static const char text[] = {'
    od -An -v -tu1 "$dir/text" | sed 's/[0-9][0-9]*/&,/g'
    echo '};'
    echo 'int main(void) { return write(1, text, sizeof text) == (ssize_t)sizeof text ? 0 : 1; }'
  } >"$dir/floor.c"
  "$cc" -O2 "$dir/floor.c" -o "$dir/floor"
  cmp -s <("$dir/floor") "$dir/text" || { echo "bench: the floor does not write the text" >&2; exit 2; }

  ir=$(instructions "$dir/gen_vkey")
  floor=$(instructions "$dir/floor")
  ratio=$(awk -v a="$ir" -v b="$floor" 'BEGIN { printf "%.3f", a / b }')
  w=$(writes "$dir/gen_vkey")
  a=$(allocs "$dir/gen_vkey")
  printf '%-8s %12s %12s %6s %7s %7s\n' "$cc" "$ir" "$floor" "$ratio" "$w" "$a"
  if awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }' || [ "$w" != 1 ] || [ "$a" != 0 ]; then
    echo "bench: the $cc build is over budget (at most ${max_ratio}x the floor, 1 write, 0 allocs)" >&2
    status=1
  fi
done
exit $status
