#!/usr/bin/env bash
# Holds gen_vkey_generate() to its promise in real builds, under the CMake generator that
# the suite is built with (and Ninja Multi-Config with every configuration at once).
#
#   generate_rule.sh --case=NAME --source-dir=DIR --build-dir=DIR --config=CONFIG
#                    --gen-vkey=PROGRAM --work=DIR --cmake-generator=NAME
#                    --multi-config=ON|OFF --c-compiler=CC --cxx-compiler=CXX
#                    --c-flags=FLAGS --cxx-flags=FLAGS --linker-flags=FLAGS
#
# --build-dir and --config name the suite's own build (installed for the find_package
# cases); --gen-vkey is its generator. The CMake generator, --multi-config (its
# GENERATOR_IS_MULTI_CONFIG) and the toolchain are passed on to tests/support.cmake, which
# configures, builds, installs and finds tools and program folders for this script too.
# The consumer is examples/, with gen_vkey added in-tree: type_text links gen_vkey's own
# table, type_text_own_header compiles generated/vkey.c. GEN_VKEY_EXECUTABLE is mostly a
# stand-in that runs the real generator, or misbehaves in the way that the file "mode" names.
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for option in "$@"; do
  value=${option#*=}
  case $option in
  --case=*) case_name=$value ;;
  --source-dir=*) source_dir=$value ;;
  --build-dir=*) build_dir=$value ;;
  --config=*) config=$value ;;
  --gen-vkey=*) gen_vkey=$value ;;
  --work=*) work=$value ;;
  --cmake-generator=*) cmake_generator=$value ;;
  --multi-config=*) multi_config=$value ;;
  --c-compiler=*) c_compiler=$value ;;
  --cxx-compiler=*) cxx_compiler=$value ;;
  --c-flags=*) c_flags=$value ;;
  --cxx-flags=*) cxx_flags=$value ;;
  --linker-flags=*) linker_flags=$value ;;
  *) fail "unknown option $option" ;;
  esac
done

# Runs a function of support.cmake as a command, with this build's options.
support() {
  cmake -DCMAKE_GENERATOR_NAME="$cmake_generator" -DMULTI_CONFIG="$multi_config" \
    -DC_COMPILER="$c_compiler" -DCXX_COMPILER="$cxx_compiler" -DC_FLAGS="$c_flags" \
    -DCXX_FLAGS="$cxx_flags" -DLINKER_FLAGS="$linker_flags" \
    -P "$source_dir/tests/support.cmake" -- "$@"
}

rm -rf "$work"
mkdir -p "$work"
build=$work/build
programs=$(support programs "$build" STDOUT)
tables=("$build/generated/vkey.c" "$build/gen_vkey/vkey.c")

# The whole text, as the real generator writes it; the same with CRLF line ends; a whole
# text of another key map, in which 'a' needs no shift; and texts that each fail one of
# the checks that the rule makes of a text, and only that one.
"$gen_vkey" >"$work/text"
sed 's/$/\r/' "$work/text" >"$work/text.crlf"
# Replaces in the text what the sed program names, and fails unless that changed the text.
edit_text() {
  sed "$1" "$work/text" >"$work/text.$2"
  ! cmp -s "$work/text" "$work/text.$2" || fail "the edit '$1' changed nothing"
}
edit_text 's|^\t{1,4,1}, // a$|\t{1,4,0}, // a|' other
edit_text '1s|.*|#include "other.h"|' wrong_open
# shellcheck disable=SC2016 # sed's $ is the last line, not the shell's
edit_text '$s|.*|}|' wrong_close
edit_text '/ \/\/ b$/d' wrong_lines

# The stand-in generator. Modes: good, other and crlf (those texts), the wrong_* texts,
# exit1 (half the text, then a reason on standard error and exit 1), stdout_only (a reason
# on standard output, exit 1), killed (half, then SIGKILL), half (half, then exit 0),
# empty (exit 0, nothing written), hang (half, then waits until it is killed).
cat >"$work/gen" <<EOF
#!/bin/sh
half() { head -c 2000 "$work/text"; }
mode=\$(cat "$work/mode")
case \$mode in
good) exec cat "$work/text" ;;
other | crlf | wrong_*) exec cat "$work/text.\$mode" ;;
exit1) half; echo "stand-in: write error" >&2; exit 1 ;;
stdout_only) echo "Application could not be started."; exit 1 ;;
killed) half; kill -KILL \$\$ ;;
half) half; exit 0 ;;
empty) exit 0 ;;
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

# Configures the project in $1 into the folder $2, with further arguments for cmake; what
# it said is left in configure.log, the status returned.
configure() {
  support configure "$1" "$2" ARGS "${@:3}" >"$work/configure.log" 2>&1
}

configure_ok() {
  configure "$@" || fail "$(cat "$work/configure.log")"
}

configure_consumer() {
  configure_ok "$source_dir/examples" "$build" -DGEN_VKEY_SOURCE_DIR="$1" "${@:2}"
}

# Builds the folder $2 (default: the consumer) in the configuration $1 (default Release),
# with further arguments of support.cmake's build (TARGETS); what the build said is left in
# build.log, the status returned.
build() {
  support build "${2:-$build}" CONFIG "${1:-Release}" OUTPUT STDOUT "${@:3}" >"$work/build.log" 2>&1
}

build_ok() {
  build "$@" || fail "$(cat "$work/build.log")"
}

# Sets the variable $1 to the path of the first program named after it that is found; when
# none is, the script ends, reported skipped.
need() {
  local path
  path=$(support need STDOUT "${@:2}")
  [[ -n $path ]] || exit 0
  printf -v "$1" '%s' "$path"
}

# Fails unless the log, with its lines joined as CMake may wrap them, holds the message.
said() {
  tr -s ' \n' ' ' <"$1" | grep -qF -- "$2" || fail "$3: no '$2' in:
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

# Prints every name in the tables' folders.
listing() {
  local table
  for table in "${tables[@]}"; do
    ls -A "$(dirname "$table")"
  done
}

# Fails unless the program in the folder $3 (default: the consumer's) types 'a' with the
# key that the key matrix gives it.
types_a_as() {
  local out
  out=$("${3:-$programs}/$1" a) || fail "$1 a: exit $?"
  [[ $out == "'a': $2" ]] || fail "$1 a printed '$out', wanted '$2'"
}

# Fails unless the last build ran no generator.
ran_no_generator() {
  ! grep -q "Generating" "$work/build.log" || fail "$1: the build ran the generator again:
$(cat "$work/build.log")"
}

case $case_name in
failures)
  # A generator that fails with no earlier table: the build fails and leaves none.
  configure_consumer "$source_dir" -DGEN_VKEY_EXECUTABLE="$work/gen"
  set_mode exit1
  ! build || fail "the build succeeded with a failing generator"
  [[ ! -e ${tables[0]} && ! -e ${tables[1]} ]] || fail "a failed run left a table"

  # After a good build, each failure keeps the earlier tables, bytes and timestamps, and
  # every other file of their folders, and the next build runs the generator again.
  #        mode         what the build must say
  cases=(
    exit1       "gen_vkey_generate: $work/gen failed (1); on standard error it said: stand-in: write error"
    stdout_only "gen_vkey_generate: $work/gen failed (1); on standard output it said: Application could not be started."
    killed      "gen_vkey_generate: $work/gen failed (Subprocess killed)"
    half        "gen_vkey_generate: $work/gen exited 0 but wrote no whole table (2000 bytes"
    empty       "gen_vkey_generate: $work/gen exited 0 but wrote no whole table (0 bytes, 0 lines: it does not open"
    wrong_open  "exited 0 but wrote no whole table ($(wc -c <"$work/text.wrong_open") bytes, 259 lines: it does not open with the line #include \"vkey.h\")"
    wrong_close "exited 0 but wrote no whole table ($(wc -c <"$work/text.wrong_close") bytes, 259 lines: it does not end with the line };)"
    wrong_lines "exited 0 but wrote no whole table ($(wc -c <"$work/text.wrong_lines") bytes, 258 lines: it has 258 lines, not 259)"
  )
  for ((i = 0; i < ${#cases[@]}; i += 2)); do
    mode=${cases[i]} message=${cases[i + 1]}
    set_mode good
    build_ok
    before=$(snapshot "${tables[@]}")
    files=$(listing)
    set_mode "$mode"
    for attempt in first second; do
      ! build || fail "$mode: the $attempt build succeeded"
      said "$work/build.log" "$message" "$mode, $attempt build"
      [[ $(snapshot "${tables[@]}") == "$before" ]] || fail "$mode: the $attempt build changed a table"
      [[ $(listing) == "$files" ]] || fail "$mode: the $attempt build left $(listing)"
    done
  done

  # What the generator said is shortened: of the 2000 bytes of half a text, the line of
  # code 60, the less-than sign, is not quoted.
  set_mode exit1
  ! build || fail "shortened: the build succeeded"
  said "$work/build.log" "; on standard output it said: #include \"vkey.h\"" "shortened"
  said "$work/build.log" "[...]" "shortened"
  ! grep -qF '{4,3,1}, // <' "$work/build.log" || fail "the whole of what the generator said is quoted"

  # A text with CRLF line ends, as a generator for Windows writes it, is a whole table; it
  # is kept with the line ends of this host.
  set_mode crlf
  rm "${tables[0]}"
  build_ok
  cmp -s "${tables[0]}" "$work/text" || fail "the CRLF text was not taken"
  types_a_as type_text_own_header "row 1, column 4, shift"
  ;;

write_stopped)
  # The step stopped while it writes the new table: by a write error (a file size limit,
  # which fails the write as a full disk does) or killed by the signal that the limit
  # sends. The limit holds only for the rules' steps (a launcher that applies it while the
  # file "limit" exists). The tables stay as they were, and the next build, with room to
  # write, leaves nothing else in their folders.
  cat >"$work/limit.sh" <<EOF
#!/bin/bash
if [[ -e "$work/limit" ]]; then
  [[ \$(cat "$work/limit") == error ]] && trap '' XFSZ
  ulimit -f 4
fi
exec "\$@"
EOF
  chmod +x "$work/limit.sh"
  echo "set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM \"$work/limit.sh\")" >"$work/launcher.cmake"
  configure_consumer "$source_dir" -DGEN_VKEY_EXECUTABLE="$work/gen" -DCMAKE_PROJECT_INCLUDE="$work/launcher.cmake"
  build_ok
  files=$(listing)
  #      how       what the build must say
  cases=(
    error  "(File too large)"
    killed ""
  )
  for ((i = 0; i < ${#cases[@]}; i += 2)); do
    how=${cases[i]} message=${cases[i + 1]}
    set_mode good
    build_ok
    before=$(snapshot "${tables[@]}")
    set_mode other
    echo "$how" >"$work/limit"
    ! build || fail "$how: the build succeeded past the limit"
    [[ -z $message ]] || said "$work/build.log" "$message" "$how"
    [[ $(snapshot "${tables[@]}") == "$before" ]] || fail "$how: the stopped write changed a table"
    rm "$work/limit"
    # The next build, with the earlier text again, or with the new one.
    set_mode good
    build_ok
    [[ $(snapshot "${tables[@]}") == "$before" ]] || fail "$how: the earlier text changed a table"
    [[ $(listing) == "$files" ]] || fail "$how: after the next build the folders hold $(listing)"
    set_mode other
    build_ok
    cmp -s "${tables[0]}" "$work/text.other" || fail "$how: the build after that did not write the new text"
    [[ $(listing) == "$files" ]] || fail "$how: after the build after that the folders hold $(listing)"
  done
  ;;

interrupt)
  # Ctrl-C (SIGINT to the build's process group) and a cancelled job (SIGTERM to it), sent
  # while the generator has written half its text: no file of any name is left, the
  # earlier tables are kept, and the next build runs the generator again.
  configure_consumer "$source_dir" -DGEN_VKEY_EXECUTABLE="$work/gen"
  for signal in INT TERM; do
    set_mode good
    build_ok
    before=$(snapshot "${tables[@]}")
    files=$(listing)
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
    [[ $(listing) == "$files" ]] || fail "$signal: the interrupted build left $(listing)"
    set_mode good
    build_ok
    grep -q "Generating generated/vkey.c" "$work/build.log" || fail "$signal: the next build did not generate"
    [[ $(listing) == "$files" ]] || fail "$signal: after the next build the folders hold $(listing)"
  done
  ;;

concurrent)
  # Runs of the rule's own step for one output take turns: while one holds the turn,
  # another waits.
  out=$work/out/vkey.c
  mkdir -p "$work/out" "$work/stamps"
  printf '#!/bin/sh\nexec cat "%s"\n' "$work/text.other" >"$work/gen_other"
  chmod +x "$work/gen_other"
  run_rule() {
    cmake -DGENERATOR="$1" -DOUTPUT="$out" -DSTAMP="$work/stamps/stamp" \
      -P "$source_dir/cmake/gen_vkey_run.cmake" >"$work/run.$2.log" 2>&1 ||
      fail "run $2 failed: $(cat "$work/run.$2.log")"
  }
  run_rule "$gen_vkey" first
  touch "$work/holding"
  trap 'rm -f "$work/holding"' EXIT
  cat >"$work/hold.cmake" <<EOF
file(LOCK "$work/stamps/stamp.lock" GUARD PROCESS)
file(TOUCH "$work/held")
while(EXISTS "$work/holding")
  execute_process(COMMAND sleep 0.1)
endwhile()
EOF
  cmake -P "$work/hold.cmake" &
  holder=$!
  tries=0
  while [[ ! -e $work/held ]] && ((tries++ < 300)); do sleep 0.1; done
  [[ -e $work/held ]] || fail "the holder never took the turn"
  run_rule "$work/gen_other" waiting &
  waiting=$!
  sleep 2
  kill -0 "$waiting" 2>/dev/null || fail "a run did not wait for its turn"
  cmp -s "$out" "$work/text" || fail "a run wrote while another held the turn"
  rm "$work/holding"
  wait "$holder"
  wait "$waiting" || fail "the waiting run failed"
  cmp -s "$out" "$work/text.other" || fail "the waiting run did not write its text"

  # Runs at the same time, alternately with two different whole texts: each must succeed,
  # and the output, read all the while, must always be absent or one of the two texts.
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
  [[ $(ls -A "$work/out") == vkey.c ]] || fail "runs left $(ls -A "$work/out")"
  ;;

no_rebuild)
  # With gen_vkey's sources in-tree: a comment-only edit rebuilds the generator but leaves
  # the tables and the programs untouched, and the build after that runs no generator; an
  # edit of the key map reaches every table.
  mkdir -p "$work/gen_vkey"
  tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/gen_vkey" -xf -
  configure_consumer "$work/gen_vkey" -DCMAKE_CONFIGURATION_TYPES="Debug;Release"  # for the switch below
  build_ok
  before=$(snapshot "${tables[@]}" "$programs/type_text" "$programs/type_text_own_header")
  sleep 1
  echo "// A comment." >>"$work/gen_vkey/gen_vkey.cpp"
  build_ok
  grep -q "gen_vkey.cpp" "$work/build.log" || fail "the edited generator was not rebuilt"
  [[ $(snapshot "${tables[@]}" "$programs/type_text" "$programs/type_text_own_header") == "$before" ]] ||
    fail "a comment-only edit touched a table or a program: $(cat "$work/build.log")"
  build_ok
  ran_no_generator "after a comment-only edit"

  if [[ $multi_config == ON ]]; then
    build_ok Debug
    build_ok Release
    build_ok Debug
    ! grep -q "vkey\.c\.o" "$work/build.log" || fail "switching configurations compiled a table:
$(cat "$work/build.log")"
  fi

  # Q and R trade keys: R is then typed by row 0, column 4. The key map's spacing is not
  # assumed: each entry is matched by its code alone.
  cp "$work/gen_vkey/gen_vkey.cpp" "$work/gen_vkey.cpp.before"
  sed -i -E -e "s/\{'R',( *)0,( *)5,/{'R',\10,\24,/" -e "s/\{'Q',( *)0,( *)4,/{'Q',\10,\25,/" \
    "$work/gen_vkey/gen_vkey.cpp"
  [[ $(diff "$work/gen_vkey.cpp.before" "$work/gen_vkey/gen_vkey.cpp" | grep -c '^>') == 2 ]] ||
    fail "the key map edit did not change the entries of Q and R"
  build_ok
  types_a_as type_text "row 1, column 4, shift"
  for program in type_text type_text_own_header; do
    out=$("$programs/$program" R) || fail "$program R: exit $?"
    [[ $out == "'R': row 0, column 4" ]] || fail "$program: the key map edit did not reach the table: $out"
  done
  ;;

layouts)
  # Tables used from other folders, given to a target with TARGET, and named with the
  # characters that the file system and the build carry, a 238-character name among them:
  # every program gets the table, a deleted table or folder is written again by the next
  # build, and the build after that runs no generator.
  long=$(printf 'n%.0s' $(seq 236)).c
  mkdir -p "$work/layouts/other" "$work/layouts/include"
  cp "$source_dir/examples/type_text.c" "$work/layouts/"
  cp "$source_dir/examples/own_header/vkey.h" "$work/layouts/include/"
  cat >"$work/layouts/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(layouts LANGUAGES C)
add_subdirectory("$source_dir" gen_vkey)
include_directories(include)
add_subdirectory(other)
gen_vkey_generate(OUTPUT "generated/vkey.c")
gen_vkey_generate(OUTPUT "for other/by target.c" TARGET by_target)
set(names "a b/\$x it's.c" "ключ/таблица.c" "long/$long")
foreach(name IN LISTS names)
  string(SHA1 program "\${name}")
  string(SUBSTRING "\${program}" 0 8 program)
  gen_vkey_generate(OUTPUT "\${name}")
  add_executable(named_\${program} type_text.c "\${name}")
  list(APPEND programs named_\${program})
endforeach()
file(WRITE "\${CMAKE_BINARY_DIR}/programs" "\${programs}")
EOF
  cat >"$work/layouts/other/CMakeLists.txt" <<'EOF'
add_executable(lists_it ../type_text.c "${CMAKE_BINARY_DIR}/generated/vkey.c")
add_executable(by_target ../type_text.c)
EOF
  configure_ok "$work/layouts" "$build" -DGEN_VKEY_EXECUTABLE="$gen_vkey" -DGEN_VKEY_BUILD_GENERATOR=OFF
  build_ok
  other=$(support programs "$build/other" STDOUT)
  types_a_as lists_it "row 1, column 4, shift" "$other"
  types_a_as by_target "row 1, column 4, shift" "$other"
  IFS=';' read -r -a named <"$build/programs" || true  # a file with no line end
  for program in "${named[@]}"; do
    types_a_as "$program" "row 1, column 4, shift"
  done
  build_ok
  ran_no_generator "the second build"

  # Each deleted table is written again when only a program that needs it is built.
  #      deleted                  program
  cases=(
    "generated/vkey.c"       lists_it
    "generated"              lists_it
    "for other/by target.c"  by_target
    "ключ"                   "${named[1]}"
  )
  for ((i = 0; i < ${#cases[@]}; i += 2)); do
    gone=${cases[i]} program=${cases[i + 1]}
    rm -r "${build:?}/$gone"
    build_ok Release "$build" TARGETS "$program"
    grep -q "Generating" "$work/build.log" || fail "$gone deleted: the build did not generate"
    build_ok
    ran_no_generator "$gone deleted, the build after the next"
  done
  for table in "generated/vkey.c" "for other/by target.c" "ключ/таблица.c" "long/$long"; do
    cmp -s "$build/$table" "$work/text" || fail "$table is not the text"
  done
  ;;

cross_configs)
  # Ninja Multi-Config building every configuration at once (CMAKE_CROSS_CONFIGS=all), with
  # gen_vkey in-tree: every program of every configuration gets the table, and a deleted
  # table is written again.
  cmake_generator="Ninja Multi-Config" multi_config=ON
  configure_ok "$source_dir/examples" "$build" -DCMAKE_CONFIGURATION_TYPES="Debug;Release" -DCMAKE_CROSS_CONFIGS=all -DCMAKE_DEFAULT_CONFIGS=all \
    -DGEN_VKEY_SOURCE_DIR="$source_dir"
  # With no configuration named, the build does them all (support.cmake's build does one).
  cmake --build "$build" >"$work/build.log" 2>&1 || fail "the build failed: $(cat "$work/build.log")"
  for each in Debug Release; do
    types_a_as type_text_own_header "row 1, column 4, shift" "$build/$each"
  done
  rm "${tables[0]}"
  cmake --build "$build" >"$work/build.log" 2>&1 || fail "the build failed: $(cat "$work/build.log")"
  cmp -s "${tables[0]}" "$work/text" || fail "the deleted table was not written again"
  ;;

mistakes)
  # Each mistake stops configuring with a message that names the fix.
  install_prefix=$work/prefix
  support install_build "$build_dir" "$install_prefix" CONFIG "$config" >"$work/install.log" 2>&1 ||
    fail "$(cat "$work/install.log")"
  mkdir -p "$work/cxx_only" "$work/calls"
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
  # A project that takes gen_vkey in-tree without its program.
  mkdir -p "$work/no_program"
  cat >"$work/no_program/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(no_program LANGUAGES C)
set(GEN_VKEY_BUILD_GENERATOR OFF)
add_subdirectory("${GEN_VKEY_SOURCE_DIR}" gen_vkey)
gen_vkey_generate(OUTPUT t.c)
EOF
  # A project whose calls of gen_vkey_generate are the file calls.cmake.
  cat >"$work/calls/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(calls LANGUAGES C)
find_package(gen_vkey CONFIG REQUIRED)
include(calls.cmake)
EOF
  printf 'not a program\n' >"$work/not_runnable"
  chmod 644 "$work/not_runnable"
  # The generator built for another machine: its ELF header's machine made AArch64's.
  cp "$gen_vkey" "$work/foreign"
  printf '\xb7\x00' | dd of="$work/foreign" bs=1 seek=18 conv=notrunc status=none

  installed=-DCMAKE_PREFIX_PATH=$install_prefix
  exe=-DGEN_VKEY_EXECUTABLE
  #    case                  project                 argument                      message
  cases=(
    c_output_in_cxx_tree   "$work/cxx_only"        "-DGEN_VKEY_SOURCE_DIR=$source_dir" "gen_vkey_generate: generated/vkey.c is a C source, but C is not enabled in this directory"
    c_output_cxx_installed "$work/cxx_only"        "$installed"                  "gen_vkey_generate: generated/vkey.c is a C source, but C is not enabled in this directory"
    no_program             "$work/no_program"      "-DGEN_VKEY_SOURCE_DIR=$source_dir" "gen_vkey_generate: no gen_vkey to run: set GEN_VKEY_EXECUTABLE to a gen_vkey built for this host; gen_vkey builds no program for a target without an operating system"
    missing_executable     "$work/calls"           "$exe=/nonexistent/gen_vkey"  "GEN_VKEY_EXECUTABLE is /nonexistent/gen_vkey, which is no file"
    relative_string        "$work/calls"           "$exe:STRING=tools/gen_vkey"  "GEN_VKEY_EXECUTABLE is tools/gen_vkey, a relative path; set it to the absolute path"
    unrunnable_executable  "$work/calls"           "$exe=$work/not_runnable"     "GEN_VKEY_EXECUTABLE is $work/not_runnable, which, run here, failed (Permission denied)"
    foreign_executable     "$work/calls"           "$exe=$work/foreign"          "GEN_VKEY_EXECUTABLE is $work/foreign, which, run here, failed ("
    wrong_program          "$work/calls"           "$exe=/bin/echo"              "GEN_VKEY_EXECUTABLE is /bin/echo, which, run here, exited 0 but wrote no whole table (1 bytes, 1 lines: it does not open"
    semicolon              'OUTPUT "a;b.c"'        ""                            "gen_vkey_generate: OUTPUT a;b.c holds ';'"
    brackets               'OUTPUT "a]]b.c"'       ""                            "gen_vkey_generate: OUTPUT a]]b.c holds ']'"
    colon                  'OUTPUT "a:b.c"'        ""                            "gen_vkey_generate: OUTPUT a:b.c holds ':'"
    folder                 'OUTPUT "generated/"'   ""                            "gen_vkey_generate: OUTPUT generated/ names a folder, not a file"
    twice                  "OUTPUT t.c)"$'\n'"gen_vkey_generate(OUTPUT ./t.c" "" "gen_vkey_generate: $work/twice/t.c is already the OUTPUT of another call"
    no_target              'OUTPUT t.c TARGET nope' ""                           "gen_vkey_generate: TARGET nope is no target"
    no_output              'TARGET nope'           ""                            "gen_vkey_generate: OUTPUT <file> is required"
    unknown_argument       'OUTPUT t.c DEPENDS x'  ""                            "gen_vkey_generate: unknown arguments: DEPENDS;x"
  )
  for ((i = 0; i < ${#cases[@]}; i += 4)); do
    name=${cases[i]} project=${cases[i + 1]} argument=${cases[i + 2]} message=${cases[i + 3]}
    calls="OUTPUT t.c"
    if [[ $project != /* ]]; then
      calls=$project project=$work/calls argument=$exe=$gen_vkey
    fi
    echo "gen_vkey_generate($calls)" >"$work/calls/calls.cmake"
    ! configure "$project" "$work/$name" "$argument" "$installed" || fail "$name: configuring succeeded"
    said "$work/configure.log" "$message" "$name"
  done

  # A relative GEN_VKEY_EXECUTABLE, with find_package, is taken from the folder where cmake
  # was started.
  mkdir -p "$work/tools"
  cp "$gen_vkey" "$work/tools/gen_vkey"
  cat >"$work/calls/calls.cmake" <<'EOF'
gen_vkey_generate(OUTPUT t.c)
add_executable(app main.c t.c)
target_include_directories(app PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
EOF
  printf 'typedef struct vkeymap { int row, col, shift; } vkeymap;\nextern vkeymap vkey[256];\n' >"$work/calls/vkey.h"
  printf '#include "vkey.h"\nint main(void) { return vkey[97].row == 1 ? 0 : 1; }\n' >"$work/calls/main.c"
  (cd "$work" && configure_ok "$work/calls" "$work/relative" "$installed" "$exe=tools/gen_vkey")
  build_ok Release "$work/relative"
  "$(support programs "$work/relative" STDOUT)/app" || fail "the table built with a relative GEN_VKEY_EXECUTABLE has no 'a' (code 97) in row 1"

  # An output folder that cannot be written because a file is in its place: the build
  # names the folder and the reason.
  configure_consumer "$source_dir"
  mkdir -p "$build"
  rm -rf "$build/generated"
  echo "in the way" >"$build/generated"
  ! build || fail "the build succeeded with no folder to write in"
  said "$work/build.log" "gen_vkey_generate: cannot write in $build/generated: it is a file" "folder is a file"
  ;;

read_only)
  # A read-only output folder: the rule's step names the folder and the reason. It stops
  # all but root, so as root the step runs as the user nobody.
  as=()
  if ((EUID == 0)); then
    need setpriv setpriv
    id nobody >/dev/null 2>&1 || { echo "skipped: there is no user nobody"; exit 0; }
    as=("$setpriv" --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  fi
  # What nobody runs and reads lies in a folder that everyone can reach.
  shared=$(mktemp -d)
  trap 'rm -rf "$shared"' EXIT
  chmod 755 "$shared"
  cp "$gen_vkey" "$source_dir/cmake/gen_vkey_run.cmake" "$shared/"
  mkdir -m 777 "$shared/stamps"
  mkdir -m 555 "$shared/read_only"
  ! "${as[@]}" cmake -DGENERATOR="$shared/gen_vkey" -DOUTPUT="$shared/read_only/vkey.c" \
    -DSTAMP="$shared/stamps/stamp" -P "$shared/gen_vkey_run.cmake" >"$work/run.log" 2>&1 ||
    fail "the step succeeded in a read-only folder"
  said "$work/run.log" "file failed to open for writing (Permission denied): $shared/read_only/" "read-only"
  ;;

*)
  fail "no case named '$case_name'"
  ;;
esac
echo "rule.$case_name: passed"
