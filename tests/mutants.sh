#!/usr/bin/env bash
# The faults' texts below are C and CMake, whose ${...} the shell must not expand.
# shellcheck disable=SC2016
# Puts single faults into a copy of the tree, one at a time, and tells which of them the
# suite catches. The copy is made, configured and built once; then for each fault its edit
# is applied, the copy rebuilt incrementally and the fault's tests run (a ctest -R regex),
# and the file is put back. A fault is caught when the build or one of its tests fails.
#
#   tests/mutants.sh [--work DIR] [--cmake-generator NAME] [--jobs N] [--only REGEX]
#
#   --work DIR              where the copy and its build go (default: build/mutants)
#   --cmake-generator NAME  the CMake generator of the copy's build (default: Ninja)
#   --jobs N                parallel build jobs and tests (default: 2)
#   --only REGEX            only the faults whose names match (by default all of them,
#                           but the make_ ones unless the CMake generator is Unix Makefiles)
#
# Prints a table: fault, caught or not, and by what. Exits 0 when every fault is caught,
# 1 when one survives, 2 when the script cannot do its job: the unchanged copy fails to
# build or to pass a fault's tests, a fault's regex selects no test, or a fault's text is
# not found exactly once in its file (never counted as caught).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/mutants
cmake_generator=Ninja
jobs=2
only=

usage() {
  sed -n '9,15p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
while (($#)); do
  (($# >= 2)) || usage
  case $1 in
  --work) work=$2 ;;
  --cmake-generator) cmake_generator=$2 ;;
  --jobs) jobs=$2 ;;
  --only) only=$2 ;;
  *) usage ;;
  esac
  shift 2
done

# The faults, one a line: name, file (from the tree's top), the exact text to find (it
# must occur once), the text that replaces it, and the tests that must catch it. The
# texts are bash words: $'...' writes a line end as \n.
names=() files=() finds=() replacements=() regexes=()
fault() {
  names+=("$1") files+=("$2") finds+=("$3") replacements+=("$4") regexes+=("$5")
}

# The generator.
fault write_errors_unreported   gen_vkey.cpp 'if (written && closed) {' 'if (true) {' '^output\.'
fault flush_check_removed       gen_vkey.cpp 'const bool written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;' 'const bool written = true;' '^output\.'
fault opening_wrong_byte        gen_vkey.cpp '"vkeymap vkey[256] = {\n"' '"vkeymap vkey[256] =\t{\n"' '^(output|table)\.'
fault entry_line_wrong_byte     gen_vkey.cpp 'put(w, "}, // ");' 'put(w, "}, //\t");' '^(output|table)\.'
fault closing_wrong_byte        gen_vkey.cpp 'constexpr char closing[] = "\t{-1,-1,-1}\n"' 'constexpr char closing[] = "\t{-1,-1,-2}\n"' '^(output|table)\.'
fault key_moved_to_free_slot    gen_vkey.cpp "{'!',   3,  4,  1}," "{'!',   2,  0,  1}," '^(output|table)\.'

# The install.
fault pc_generator_dropped      cmake/gen_vkey.pc.in '@pc_generator@' '' '^consumer\.'

# The package and the newcomer's way in.
fault package_any_machine       cmake/gen_vkey-config-version.cmake.in 'if(NOT gen_vkey_machine STREQUAL' 'if(FALSE AND NOT gen_vkey_machine STREQUAL' '^cross\.aarch64\.package$'
fault static_not_static         CMakeLists.txt 'target_link_options(gen_vkey PRIVATE -static)' '' '^consumer\.static$'
fault tests_need_gtest          CMakeLists.txt 'if(NOT GTest_FOUND AND NOT DEFINED GEN_VKEY_BUILD_TESTS)' 'if(FALSE)' '^consumer\.no_gtest$'
fault fetch_ignores_installed   examples/CMakeLists.txt 'FIND_PACKAGE_ARGS 2.0 CONFIG)' ')' '^consumer\.fetch_content$'

fault man_rule_unguarded        doc/gen_vkey.1 $'ifeq ($(GEN_VKEY),)\n$(error gen_vkey is not on PATH)\nendif\n' '' '^consumer\.man_makefile$'
fault man_rule_keeps_partial    doc/gen_vkey.1 '|| { rm \-f $@.tmp; exit 1; }' '; true' '^consumer\.man_makefile$'

# Firmware: the table in flash, read right, and built for bare metal.
fault avr_c_table_in_ram        examples/avr_header/vkey.h 'typedef const __flash struct vkey_key vkeymap;' 'typedef const struct vkey_key vkeymap;' '^firmware\.avr\.c$'
fault avr_cpp_table_in_ram      examples/avr_header/vkey.h 'extern vkeymap vkey[256] PROGMEM;' 'extern vkeymap vkey[256];' '^firmware\.avr\.cpp$'
fault rom_table_in_ram          examples/rom_header/vkey.h 'typedef const struct vkeymap_entry vkeymap;' 'typedef struct vkeymap_entry vkeymap;' '^(firmware|rom_table)\.'
fault pic_on_bare_metal         CMakeLists.txt 'get_property(shared_libs GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS)' 'set(shared_libs ON)' '^firmware\.avr\.c$'

# The rule's step.
fault step_status_unchecked     cmake/gen_vkey_run.cmake 'if(NOT result STREQUAL "0")' 'if(FALSE)' '^rule\.'
fault step_include_unchecked    cmake/gen_vkey_run.cmake 'if(NOT head STREQUAL "#include \"vkey.h\"\n")' 'if(FALSE)' '^rule\.'
fault step_close_unchecked      cmake/gen_vkey_run.cmake 'elseif(NOT tail STREQUAL "\n};\n")' 'elseif(FALSE)' '^rule\.'
fault step_lines_unchecked      cmake/gen_vkey_run.cmake 'elseif(NOT lines EQUAL 259)' 'elseif(FALSE)' '^rule\.'
fault step_stderr_unquoted      cmake/gen_vkey_run.cmake 'string(APPEND problem "${said}")' '' '^rule\.'
fault step_quote_whole          cmake/gen_vkey_run.cmake $'if(length GREATER 300)\n    string(SUBSTRING "${words}" 0 300 words)' $'if(length GREATER 30000)\n    string(SUBSTRING "${words}" 0 30000 words)' '^rule\.'
fault step_stdout_unquoted      cmake/gen_vkey_run.cmake 'string(APPEND problem "${text}")' '' '^rule\.'
fault step_always_rewrites      cmake/gen_vkey_run.cmake 'if(earlier STREQUAL text)' 'if(FALSE)' '^rule\.'
fault step_writes_output        cmake/gen_vkey_run.cmake $'file(WRITE "${temporary}" "${text}")\nfile(RENAME "${temporary}" "${OUTPUT}" RESULT reason)' $'file(WRITE "${OUTPUT}" "${text}")\nset(reason "")' '^rule\.'
fault step_leftover_kept        cmake/gen_vkey_run.cmake $'file(REMOVE "${temporary}")\n\nlist(JOIN' $'\nlist(JOIN' '^rule\.'
fault step_no_turns             cmake/gen_vkey_run.cmake 'file(LOCK "${STAMP}.lock" GUARD PROCESS)' '' '^rule\.'
fault step_folder_unchecked     cmake/gen_vkey_run.cmake 'if(EXISTS "${dir}" AND NOT IS_DIRECTORY "${dir}")' 'if(FALSE)' '^rule\.'

# The rule's configure-time checks and its wiring.
fault rule_unknown_arguments    cmake/gen_vkey_generate.cmake 'if(arg_UNPARSED_ARGUMENTS)' 'if(FALSE)' '^(rule|consumer)\.'
fault rule_output_optional      cmake/gen_vkey_generate.cmake 'if("${arg_OUTPUT}" STREQUAL "")' 'if(FALSE)' '^(rule|consumer)\.'
fault rule_output_unchecked     cmake/gen_vkey_generate.cmake '_gen_vkey_check_output("${arg_OUTPUT}")' '' '^rule\.'
fault rule_output_twice         cmake/gen_vkey_generate.cmake $'if(earlier)\n    message(FATAL_ERROR' $'if(FALSE)\n    message(FATAL_ERROR' '^rule\.'
fault rule_target_unchecked     cmake/gen_vkey_generate.cmake 'if(DEFINED arg_TARGET AND NOT TARGET "${arg_TARGET}")' 'if(FALSE)' '^rule\.'
fault rule_target_ignored       cmake/gen_vkey_generate.cmake 'target_sources("${arg_TARGET}" PRIVATE "${output}")' '' '^rule\.'
fault rule_language_unchecked   cmake/gen_vkey_generate.cmake 'if(language AND NOT DEFINED CMAKE_${language}_COMPILE_OBJECT)' 'if(FALSE)' '^(rule|consumer)\.'
fault rule_executable_relative  cmake/gen_vkey_generate.cmake 'if(NOT IS_ABSOLUTE "${GEN_VKEY_EXECUTABLE}")' 'if(FALSE)' '^rule\.'
fault rule_executable_no_file   cmake/gen_vkey_generate.cmake 'if(NOT EXISTS "${GEN_VKEY_EXECUTABLE}" OR IS_DIRECTORY "${GEN_VKEY_EXECUTABLE}")' 'if(FALSE)' '^rule\.'
fault rule_executable_unchecked cmake/gen_vkey_generate.cmake $'if(problem)\n    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE' $'if(FALSE)\n    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE' '^rule\.'
fault rule_no_target_unchecked  cmake/gen_vkey_generate.cmake 'elseif(NOT TARGET gen_vkey::gen_vkey)' 'elseif(FALSE)' '^(rule|consumer|cross\.cortex_m)'
fault rule_no_emulator          cmake/gen_vkey_generate.cmake 'elseif(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)' 'elseif(FALSE)' '^(rule|consumer|cross\.aarch64)'
fault rule_stamp_per_config     cmake/gen_vkey_generate.cmake '${key}.stamp")' '${key}-$<CONFIG>.stamp")' '^rule\.'

# Make knows no byproducts: these faults show only in a build with Unix Makefiles (CI runs
# the script once more with --cmake-generator "Unix Makefiles" --only '^make_').
fault make_missing_table_kept   cmake/gen_vkey_generate.cmake 'if(CMAKE_GENERATOR MATCHES "^Ninja")' 'if(TRUE)' '^rule\.'
fault make_attach_own_folder    cmake/gen_vkey_generate.cmake 'cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _gen_vkey_attach)' 'cmake_language(DEFER CALL _gen_vkey_attach)' '^rule\.'

copy=$work/tree
build=$copy/build
log=$work/log

# Stops the script: it could not tell whether the suite catches the faults.
die() {
  echo "mutants: $*" >&2
  exit 2
}

# Prints a file's contents exactly, final line ends included.
read_file() {
  local text
  text=$(cat "$1" && printf x)
  printf '%s' "${text%x}"
}

# Builds the copy; the build's output goes to the log.
build_copy() {
  cmake --build "$build" --config Release -j "$jobs" >"$log" 2>&1
}

# Runs the tests that a regex selects; prints the names of those that failed, one a line.
failed_tests() {
  ctest --test-dir "$build" -C Release -R "$1" -j "$jobs" --timeout 300 >"$log" 2>&1 || true
  sed -n '/The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log"
}

# By default every fault, but those that only a build with Unix Makefiles can show when the
# copy is built otherwise.
selected=()
for i in "${!names[@]}"; do
  if [[ -n $only ]]; then
    [[ ${names[i]} =~ $only ]] || continue
  elif [[ ${names[i]} == make_* && $cmake_generator != "Unix Makefiles" ]]; then
    continue
  fi
  selected+=("$i")
done
((${#selected[@]})) || die "no fault matches '$only'"

# The copy: the tree's files that git knows or would add, with the edits of the work tree.
rm -rf "$copy"
mkdir -p "$copy"
git -C "$root" ls-files -z --cached --others --exclude-standard |
  (cd "$root" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$copy"

echo "mutants: configuring and building the copy in $build"
cmake -S "$copy" -B "$build" -G "$cmake_generator" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CONFIGURATION_TYPES=Release >"$log" 2>&1 || die "configuring the copy failed: $(cat "$log")"
build_copy || die "building the copy failed: $(cat "$log")"

# Unchanged, the copy must pass every fault's tests, and each regex must select a test.
all=
for i in "${selected[@]}"; do
  ctest --test-dir "$build" -C Release -N -R "${regexes[i]}" | grep -q '^Total Tests: [1-9]' ||
    die "${names[i]}: no test matches '${regexes[i]}'"
  all+=${all:+|}${regexes[i]}
done
echo "mutants: running the faults' tests on the unchanged copy"
failed=$(failed_tests "$all")
[[ -z $failed ]] || die "the unchanged copy fails: $failed"

status=0
rows=()
for i in "${selected[@]}"; do
  name=${names[i]} file=$copy/${files[i]} find=${finds[i]}
  [[ -f $file ]] || die "$name: no file ${files[i]}"
  original=$(read_file "$file")
  rest=${original#*"$find"}
  if [[ $rest == "$original" || $rest == *"$find"* ]]; then
    rows+=("$name|ERROR|its text is not in ${files[i]} exactly once")
    status=2
    continue
  fi
  printf '%s' "${original/"$find"/"${replacements[i]}"}" >"$file"
  echo "mutants: $name"
  if ! build_copy; then
    rows+=("$name|caught|the build")
  else
    failed=$(failed_tests "${regexes[i]}")
    if [[ -n $failed ]]; then
      rows+=("$name|caught|${failed//$'\n'/ }")
    else
      rows+=("$name|SURVIVED|none of ${regexes[i]}")
      ((status == 2)) || status=1
    fi
  fi
  printf '%s' "$original" >"$file"
done
build_copy || die "the restored copy does not build: $(cat "$log")"

echo
printf '%-26s %-9s %s\n' fault result "caught by"
for row in "${rows[@]}"; do
  IFS='|' read -r name result by <<<"$row"
  printf '%-26s %-9s %s\n' "$name" "$result" "$by"
done
exit $status
