#!/usr/bin/env bash
# Holds gen_vkey_generate() to its promise in a real build, under whichever CMake generator
# the suite is built with: a failed generation fails the build and keeps the earlier table,
# bytes and timestamp; no half-written file is ever left, not even by an interrupted build;
# runs at the same time never see each other's files; an unchanged text rebuilds nothing;
# and users' mistakes are told at the step where they were made.
#
#   generate_rule.sh CASE SOURCE_DIR BUILD_DIR CONFIG GEN_VKEY WORK GENERATOR \
#                    C_COMPILER CXX_COMPILER C_FLAGS CXX_FLAGS LINKER_FLAGS
#
# The consumer is examples/, with gen_vkey added in-tree: type_text links gen_vkey's own
# table, type_text_own_header compiles generated/vkey.c. GEN_VKEY_EXECUTABLE is a stand-in
# that runs the real generator, or misbehaves in the way that the file "mode" names.
set -euo pipefail

case_name=$1 source_dir=$2 build_dir=$3 config=$4 gen_vkey=$5 work=$6 generator=$7
c_compiler=$8 cxx_compiler=$9 c_flags=${10} cxx_flags=${11} linker_flags=${12}

rm -rf "$work"
mkdir -p "$work"
build=$work/build
programs=$build
if [[ $generator == *Multi-Config* ]]; then
  programs=$build/Release
fi
tables=("$build/generated/vkey.c" "$build/gen_vkey/vkey.c")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The whole text, as the real generator writes it; the same with CRLF line ends; and a
# whole text of another key map, in which 'a' needs no shift.
"$gen_vkey" >"$work/text"
sed 's/$/\r/' "$work/text" >"$work/text.crlf"
sed 's|^\t{1,4,1}, // a$|\t{1,4,0}, // a|' "$work/text" >"$work/text.other"
! cmp -s "$work/text" "$work/text.other" || fail "no other text"

# The stand-in generator. Modes: good, crlf (the text with CRLF line ends), exit1 (half the
# text, then exit 1), killed (half, then SIGKILL), half (half, then exit 0), empty (exit 0,
# nothing written), no_include (the text without its first line), hang (half, then waits
# until it is killed).
cat >"$work/gen" <<EOF
#!/bin/sh
half() { head -c 2000 "$work/text"; }
case \$(cat "$work/mode") in
good) exec cat "$work/text" ;;
crlf) exec cat "$work/text.crlf" ;;
exit1) half; echo "stand-in: write error" >&2; exit 1 ;;
killed) half; kill -KILL \$\$ ;;
half) half; exit 0 ;;
empty) exit 0 ;;
no_include) sed 1d "$work/text" ;;
hang) half; touch "$work/started"; exec sleep 120 ;;
esac
EOF
chmod +x "$work/gen"

# Sets the stand-in's mode; touching it makes the rule run again.
set_mode() {
  echo "$1" >"$work/mode"
  touch "$work/gen"
}
set_mode good

configure() {
  cmake -S "$1" -B "$2" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER="$c_compiler" -DCMAKE_CXX_COMPILER="$cxx_compiler" \
    -DCMAKE_C_FLAGS="$c_flags" -DCMAKE_CXX_FLAGS="$cxx_flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$linker_flags" "${@:3}" >"$work/configure.log" 2>&1
}

configure_consumer() {
  configure "$source_dir/examples" "$build" -DGEN_VKEY_SOURCE_DIR="$1" "${@:2}" ||
    fail "configuring the consumer failed: $(cat "$work/configure.log")"
}

# Builds the consumer; the output is left in build.log, the status returned.
build_consumer() {
  cmake --build "$build" --config "${1:-Release}" >"$work/build.log" 2>&1
}

build_ok() {
  build_consumer "$@" || fail "the build failed: $(cat "$work/build.log")"
}

# Fails unless the log, with its lines joined as CMake may wrap them, holds the message.
said() {
  tr -s ' \n' ' ' <"$1" | grep -qF "$2" || fail "$3: no '$2' in:
$(cat "$1")"
}

# Prints the bytes' checksum and the modification time of each file, or "absent".
snapshot() {
  local f
  for f in "$@"; do
    if [[ -e $f ]]; then
      echo "$f $(md5sum <"$f") $(stat -c %y "$f")"
    else
      echo "$f absent"
    fi
  done
}

# Fails when a file in the build tree holds the start of a table but not a whole one.
no_half_written_file() {
  local f
  while IFS= read -r f; do
    cmp -s "$f" "$work/text" || fail "$1: half-written file $f"
  done < <(grep -rl --binary-files=without-match '^#include "vkey.h"' "$build" || true)
}

# Fails unless the program types 'a' with the key that the key matrix gives it.
types_a_as() {
  local out
  out=$("$programs/$1" a) || fail "$1 a: exit $?"
  [[ $out == "'a': $2" ]] || fail "$1 a printed '$out', wanted '$2'"
}

case $case_name in
failures)
  # A generator that fails with no earlier table: the build fails and leaves none.
  set_mode exit1
  configure_consumer "$source_dir" -DGEN_VKEY_EXECUTABLE="$work/gen"
  ! build_consumer || fail "the build succeeded with a failing generator"
  [[ ! -e ${tables[0]} && ! -e ${tables[1]} ]] || fail "a failed run left a table"
  no_half_written_file "no earlier table"

  # After a good build, each failure keeps the earlier tables, bytes and timestamps, and the
  # next build runs the generator again.
  #        mode        what the build must say
  cases=(
    exit1      "gen_vkey_generate: $work/gen failed (1)"
    killed     "gen_vkey_generate: $work/gen failed (Subprocess killed)"
    half       "gen_vkey_generate: $work/gen exited 0 but wrote no whole table (2000 bytes"
    empty      "gen_vkey_generate: $work/gen exited 0 but wrote no whole table (0 bytes, 0 lines)"
    no_include "gen_vkey_generate: $work/gen exited 0 but wrote no whole table"
  )
  for ((i = 0; i < ${#cases[@]}; i += 2)); do
    mode=${cases[i]} message=${cases[i + 1]}
    set_mode good
    build_ok
    before=$(snapshot "${tables[@]}")
    set_mode "$mode"
    for attempt in first second; do
      ! build_consumer || fail "$mode: the $attempt build succeeded"
      said "$work/build.log" "$message" "$mode, $attempt build"
      [[ $(snapshot "${tables[@]}") == "$before" ]] || fail "$mode: the $attempt build changed a table"
      no_half_written_file "$mode"
      [[ $(ls -A "$build/generated") == vkey.c ]] || fail "$mode: left $(ls -A "$build/generated")"
    done
  done

  # A text with CRLF line ends, as a generator for Windows writes it, is a whole table; it
  # is kept with the line ends of this host.
  set_mode crlf
  rm "${tables[0]}"
  build_ok
  cmp -s "${tables[0]}" "$work/text" || fail "the CRLF text was not taken"
  types_a_as type_text_own_header "row 1, column 4, shift"
  ;;

interrupt)
  # Ctrl-C (SIGINT to the build's process group) and a cancelled job (SIGTERM to it), sent
  # while the generator has written half its text: no half-written file is left, the
  # earlier tables are kept, and the next build runs the generator again.
  configure_consumer "$source_dir" -DGEN_VKEY_EXECUTABLE="$work/gen"
  for signal in INT TERM; do
    set_mode good
    build_ok
    before=$(snapshot "${tables[@]}")
    set_mode hang
    rm -f "$work/started"
    setsid cmake --build "$build" --config Release >"$work/build.log" 2>&1 &
    group=$!
    tries=0
    while [[ ! -e $work/started ]] && ((tries++ < 600)); do sleep 0.1; done
    [[ -e $work/started ]] || { kill -KILL -- "-$group"; fail "$signal: the generator never started"; }
    kill -"$signal" -- "-$group"
    status=0
    wait "$group" || status=$?
    kill -KILL -- "-$group" 2>/dev/null || true
    ((status != 0)) || fail "$signal: the interrupted build exited 0"
    [[ $(snapshot "${tables[@]}") == "$before" ]] || fail "$signal: the interrupted build changed a table"
    no_half_written_file "SIG$signal"
    set_mode good
    build_ok
    grep -q "Generating generated/vkey.c" "$work/build.log" || fail "$signal: the next build did not generate"
  done
  ;;

concurrent)
  # Runs of the rule's own step at the same time, for one output, alternately with two
  # different whole texts: each must succeed, and the output, read all the while, must
  # always be absent or one of the two texts.
  out=$work/out/vkey.c
  mkdir -p "$work/out"
  printf '#!/bin/sh\nexec cat "%s"\n' "$work/text.other" >"$work/gen_other"
  chmod +x "$work/gen_other"
  run_rule() {
    cmake -DGENERATOR="$1" -DOUTPUT="$out" -DSTAMP="$work/out/stamp" \
      -P "$source_dir/cmake/gen_vkey_run.cmake" >"$work/run.$2.log" 2>&1 ||
      fail "run $2 failed: $(cat "$work/run.$2.log")"
  }
  touch "$work/reading"
  (
    while [[ -e $work/reading ]]; do
      if cat "$out" >"$work/read" 2>/dev/null; then  # one open: one file, whatever is renamed
        cmp -s "$work/read" "$work/text" || cmp -s "$work/read" "$work/text.other" ||
          cp "$work/read" "$work/reader.fault"
      fi
    done
  ) &
  reader=$!
  for round in $(seq 12); do
    rm -f "$out"
    pids=()
    for n in $(seq 8); do
      if ((n % 2)); then run_rule "$gen_vkey" "$round.$n" & else run_rule "$work/gen_other" "$round.$n" & fi
      pids+=($!)
    done
    for pid in "${pids[@]}"; do
      wait "$pid" || { rm -f "$work/reading"; fail "round $round: a run failed"; }
    done
  done
  rm -f "$work/reading"
  wait "$reader"
  [[ ! -e $work/reader.fault ]] || fail "read a text that is neither: $(head -c 300 "$work/reader.fault")"
  cmp -s "$out" "$work/text" || cmp -s "$out" "$work/text.other" || fail "the last text is neither"
  [[ $(ls -A "$work/out") == "$(printf 'stamp\nvkey.c')" ]] || fail "runs left $(ls -A "$work/out")"
  ;;

no_rebuild)
  # With gen_vkey's sources in-tree: a comment-only edit rebuilds the generator but leaves
  # the tables and the programs untouched, and the build after that runs no generator; an
  # edit of the key map reaches every table.
  mkdir -p "$work/gen_vkey"
  tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/gen_vkey" -xf -
  configure_consumer "$work/gen_vkey"
  build_ok
  before=$(snapshot "${tables[@]}" "$programs/type_text" "$programs/type_text_own_header")
  sleep 1
  echo "// A comment." >>"$work/gen_vkey/gen_vkey.cpp"
  build_ok
  grep -q "gen_vkey.cpp" "$work/build.log" || fail "the edited generator was not rebuilt"
  [[ $(snapshot "${tables[@]}" "$programs/type_text" "$programs/type_text_own_header") == "$before" ]] ||
    fail "a comment-only edit touched a table or a program: $(cat "$work/build.log")"
  build_ok
  ! grep -q "Generating" "$work/build.log" || fail "the build after that ran the generator again:
$(cat "$work/build.log")"

  if [[ $generator == *Multi-Config* ]]; then
    build_ok Debug
    build_ok Release
    build_ok Debug
    ! grep -q "vkey\.c\.o" "$work/build.log" || fail "switching configurations compiled a table:
$(cat "$work/build.log")"
  fi

  # Q and R trade keys: R is then typed by row 0, column 4.
  sed -i -e "s/{'R',   0,  5,  0},/{'R',   0,  4,  0},/" -e "s/{'Q',   0,  4,  0},/{'Q',   0,  5,  0},/" \
    "$work/gen_vkey/gen_vkey.cpp"
  build_ok
  types_a_as type_text "row 1, column 4, shift"
  for program in type_text type_text_own_header; do
    out=$("$programs/$program" R) || fail "$program R: exit $?"
    [[ $out == "'R': row 0, column 4" ]] || fail "$program: the key map edit did not reach the table: $out"
  done
  ;;

mistakes)
  # Each mistake stops configuring with a message that names the fix.
  install_prefix=$work/prefix
  cmake --install "$build_dir" --config "$config" --prefix "$install_prefix" >"$work/install.log" 2>&1 ||
    fail "installing failed: $(cat "$work/install.log")"
  mkdir -p "$work/cxx_only"
  cat >"$work/cxx_only/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(cxx_only LANGUAGES CXX)
if(GEN_VKEY_SOURCE_DIR)
  add_subdirectory("${GEN_VKEY_SOURCE_DIR}" gen_vkey)
else()
  find_package(gen_vkey CONFIG REQUIRED)
endif()
gen_vkey_generate(OUTPUT generated/vkey.c)
add_executable(app main.cpp generated/vkey.c)
EOF
  printf 'int main() {}\n' >"$work/cxx_only/main.cpp"
  printf 'not a program\n' >"$work/not_runnable"
  chmod 644 "$work/not_runnable"

  #    case                   project                           arguments                                          message
  cases=(
    c_output_in_cxx_tree    "$work/cxx_only"                  "-DGEN_VKEY_SOURCE_DIR=$source_dir"                "gen_vkey_generate: generated/vkey.c is a C source, but C is not enabled in this directory"
    c_output_cxx_installed  "$work/cxx_only"                  "-DCMAKE_PREFIX_PATH=$install_prefix"              "gen_vkey_generate: generated/vkey.c is a C source, but C is not enabled in this directory"
    missing_executable      "$source_dir/examples"            "-DGEN_VKEY_EXECUTABLE=/nonexistent/gen_vkey"      "GEN_VKEY_EXECUTABLE is /nonexistent/gen_vkey, which is no file"
    unrunnable_executable   "$source_dir/examples"            "-DGEN_VKEY_EXECUTABLE=$work/not_runnable"         "GEN_VKEY_EXECUTABLE is $work/not_runnable, which cannot be run here (Permission denied)"
  )
  for ((i = 0; i < ${#cases[@]}; i += 4)); do
    name=${cases[i]} project=${cases[i + 1]} argument=${cases[i + 2]} message=${cases[i + 3]}
    extra=()
    [[ $project == "$source_dir/examples" ]] && extra=(-DGEN_VKEY_SOURCE_DIR="$source_dir")
    ! configure "$project" "$work/$name" "$argument" "${extra[@]}" || fail "$name: configuring succeeded"
    said "$work/configure.log" "$message" "$name"
  done

  # An output folder that cannot be written: the build names the folder and the reason.
  # (A read-only folder stops no one running as root; a file in the folder's place does.)
  configure_consumer "$source_dir"
  mkdir -p "$build"
  rm -rf "$build/generated"
  echo "in the way" >"$build/generated"
  ! build_consumer || fail "the build succeeded with no folder to write in"
  said "$work/build.log" "gen_vkey_generate: cannot write in $build/generated: Not a directory" "folder is a file"
  if ((EUID != 0)); then
    rm "$build/generated"
    mkdir "$build/generated"
    chmod 555 "$build/generated"
    ! build_consumer || fail "the build succeeded in a read-only folder"
    chmod 755 "$build/generated"
    said "$work/build.log" "gen_vkey_generate: cannot write in $build/generated: Permission denied" "read-only"
  fi
  ;;

*)
  fail "no case named '$case_name'"
  ;;
esac
echo "rule.$case_name: passed"
