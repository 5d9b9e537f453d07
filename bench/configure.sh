#!/usr/bin/env bash
# What gen_vkey_generate costs a project, in CPU time (user + system, the median of
# several rounds, gcc and Ninja), side by side with the same project with the tables
# checked in as plain sources:
#   re-configure  a folder of 100 targets x 10 sources, with K = 1, 10 and 50 of them each
#                 compiling a table of their own (K calls), gen_vkey added in-tree
#   fresh         a C project that adds gen_vkey with add_subdirectory, configured anew
#   regeneration  one run of the rule's step, the text changed and unchanged, next to
#                 a bare "gen_vkey > file"
# Exits 1 past the limits: re-configure with K = 50 at most 1.5 times the checked-in
# folder's, fresh at most 2.1 times, a regeneration at most 8 times the bare redirect.
# Usage: bench/configure.sh [work folder, default build/bench]
# The functions that alternate times are run by their names, which shellcheck cannot see.
# shellcheck disable=SC2317
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/bench}" && cd "${1:-$root/build/bench}" && pwd)/configure
rounds=9
targets=100
sources=10
regenerations=200
rm -rf "$work"
mkdir -p "$work"

# Prints the median of the numbers on standard input.
median() {
  sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Prints the CPU seconds (user + system, children included) that the command takes.
cpu() {
  local TIMEFORMAT='%U %S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1) || { echo "bench: failed: $*" >&2; exit 2; }
  awk '{ print $1 + $2 }' <<<"$times"
}

# Runs each function named $rounds times, their rounds alternating so that a change in the
# machine's load weighs on all alike, and sets medians[<name>] to each one's median CPU time.
declare -A medians
alternate() {
  local r name
  for name; do : >"$work/$name.cpu"; done
  for ((r = 0; r < rounds; r++)); do
    for name; do cpu "$name" >>"$work/$name.cpu"; done
  done
  for name; do medians[$name]=$(median <"$work/$name.cpu"); done
}

# Prints the ratio a / b, to two places.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# Fails the benchmark (at its end) when the ratio is past the limit.
status=0
limit() {
  if awk -v r="$2" -v m="$3" 'BEGIN { exit !(r > m) }'; then
    echo "bench: $1 costs ${2}x, past the limit of ${3}x" >&2
    status=1
  fi
}

cmake -S "$root" -B "$work/gen_vkey" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGEN_VKEY_BUILD_TESTS=OFF \
  -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$work/gen_vkey" --target gen_vkey >/dev/null
gen_vkey=$work/gen_vkey/gen_vkey
"$gen_vkey" >"$work/text"
printf 'typedef struct vkeymap { int row, col, shift; } vkeymap;\n' >"$work/vkey.h"

# Writes the project $1: $targets targets of $sources sources each, $2 of them each with a
# table of its own, generated (way "rule") or checked in (way "checked").
project() {
  local dir=$1 calls=$2 way=$3 t s
  mkdir -p "$dir/src" "$dir/include"
  cp "$work/vkey.h" "$dir/include/"
  {
    echo "cmake_minimum_required(VERSION 3.25)"
    echo "project(folder LANGUAGES C)"
    [[ $way == rule ]] && echo "add_subdirectory(\"$root\" gen_vkey)"
    echo "include_directories(include)"
    for ((t = 0; t < targets; t++)); do
      list=""
      for ((s = 0; s < sources; s++)); do list+=" src/s$s.c"; done
      if ((t < calls)); then
        if [[ $way == rule ]]; then
          echo "gen_vkey_generate(OUTPUT generated/t$t.c)"
          list+=" generated/t$t.c"
        else
          cp "$work/text" "$dir/src/t$t.c"
          list+=" src/t$t.c"
        fi
      fi
      echo "add_library(t$t STATIC$list)"
    done
  } >"$dir/CMakeLists.txt"
  for ((s = 0; s < sources; s++)); do echo "int f$s(void) { return $s; }" >"$dir/src/s$s.c"; done
}

configure() {
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
}

printf '%-34s %10s %10s %6s %6s\n' case 'rule (s)' 'base (s)' ratio limit

# Re-configure, for each K.
rule() { configure "$work/folder.rule.$calls" "$work/folder.rule.$calls/build"; }
checked() { configure "$work/folder.checked.$calls" "$work/folder.checked.$calls/build"; }
for calls in 1 10 50; do
  for way in rule checked; do
    project "$work/folder.$way.$calls" "$calls" "$way"
    configure "$work/folder.$way.$calls" "$work/folder.$way.$calls/build" >"$work/configure.log" 2>&1 ||
      { cat "$work/configure.log" >&2; exit 2; }
  done
  alternate rule checked
  a=${medians[rule]} b=${medians[checked]}
  r=$(ratio "$a" "$b")
  max=-
  if ((calls == 50)); then
    max=1.5
    limit "re-configure, $calls calls" "$r" "$max"
  fi
  printf '%-34s %10s %10s %6s %6s\n' "re-configure ${targets}x$sources, K=$calls" "$a" "$b" "$r" "$max"
done

# A fresh configure of a C project with one table.
for way in rule checked; do
  mkdir -p "$work/fresh.$way"
  {
    echo "cmake_minimum_required(VERSION 3.25)"
    echo "project(app LANGUAGES C)"
    if [[ $way == rule ]]; then
      echo "add_subdirectory(\"$root\" gen_vkey)"
      echo "gen_vkey_generate(OUTPUT vkey.c)"
      echo "add_executable(app main.c \${CMAKE_CURRENT_BINARY_DIR}/vkey.c)"
    else
      cp "$work/text" "$work/fresh.$way/vkey.c"
      echo "add_executable(app main.c vkey.c)"
    fi
    echo "target_include_directories(app PRIVATE \${CMAKE_CURRENT_SOURCE_DIR})"
  } >"$work/fresh.$way/CMakeLists.txt"
  cp "$work/vkey.h" "$work/fresh.$way/"
  echo 'int main(void) { return 0; }' >"$work/fresh.$way/main.c"
done
fresh_rule() { rm -rf "$work/fresh.rule/build" && configure "$work/fresh.rule" "$work/fresh.rule/build"; }
fresh_checked() { rm -rf "$work/fresh.checked/build" && configure "$work/fresh.checked" "$work/fresh.checked/build"; }
alternate fresh_rule fresh_checked
a=${medians[fresh_rule]} b=${medians[fresh_checked]}
r=$(ratio "$a" "$b")
limit "a fresh configure" "$r" 2.1
printf '%-34s %10s %10s %6s %6s\n' "fresh configure, add_subdirectory" "$a" "$b" "$r" 2.1

# A regeneration, $regenerations runs at a time: the rule's step with the text changed (the
# file emptied before each run) and unchanged, and the bare redirect.
out=$work/regen/vkey.c
mkdir -p "$work/regen"
step() {
  cmake -DGENERATOR="$gen_vkey" -DOUTPUT="$out" -DSTAMP="$work/regen/stamp" -P "$root/cmake/gen_vkey_run.cmake"
}
changed() { for ((i = 0; i < regenerations; i++)); do : >"$out"; step; done; }
unchanged() { for ((i = 0; i < regenerations; i++)); do step; done; }
bare() { for ((i = 0; i < regenerations; i++)); do "$gen_vkey" >"$out"; done; }
step
alternate bare changed unchanged
b=${medians[bare]}
for run in changed unchanged; do
  a=${medians[$run]}
  r=$(ratio "$a" "$b")
  limit "a regeneration, text $run," "$r" 8
  printf '%-34s %10s %10s %6s %6s\n' "regeneration x$regenerations, text $run" "$a" "$b" "$r" 8
done
exit $status
