# Each case breaks one rule of the key map in a copy of gen_vkey.cpp, by replacing
# one line of its key map, and expects the copy to fail to compile with the rule's
# message. The case "unchanged" replaces nothing and must compile, which shows that
# the other cases fail for their rule and not for the way the copy is compiled.
#
# Included from tests/CMakeLists.txt it adds a test for each case; run as a script,
#   cmake -DCASE=<name> -DSOURCE=<gen_vkey.cpp> -DCXX=<compiler> -DWORK=<dir>
#         [-DUNSUPPORTED=<why>] -P keymap_rules.cmake
# it runs one. With a compiler other than GCC or clang, whose -fsyntax-only it uses, each
# case reports itself skipped.

cmake_minimum_required(VERSION 3.25)

#    case             line of the key map            replaced by                  expected message
set(cases
     unchanged        ""                             ""                           ""
     code_twice       "{'Q',   0,  4,  0},"          "{'R',   0,  4,  0},"        "key map: a code occurs twice"
     code_128         "{'V',   2,  5,  0},"          "{'\\x80', 2,  5,  0},"      "key map: a code is 128 or above"
     row_8            "{'V',   2,  5,  0},"          "{'V',   8,  5,  0},"        "key map: a row is outside 0-7"
     row_minus_1      "{'C',   2,  3,  0},"          "{'C',  -1,  3,  0},"        "key map: a row is outside 0-7"
     col_6            "{'X',   2,  1,  0},"          "{'X',   2,  6,  0},"        "key map: a column is outside 0-5"
     shift_2          "{'B',   2,  0,  0},"          "{'B',   2,  0,  2},"        "key map: a shift is neither 0 nor 1"
     col_2_in_row_2   "{'V',   2,  5,  0},"          "{'V',   2,  2,  0},"        "key map: rows 0-4 have no key in column 2"
     shared_key       "{'C',   2,  3,  0},"          "{'C',   2,  4,  0},"        "key map: two characters share a key and shift"
     shift_alone      "{'B',   2,  0,  0},"          "{'B',   2,  0,  1},"        "key map: a shifted character's key has no unshifted character"
     entries_79       "{'z',   2,  4,  1},"          ""                           "key map: it must hold 80 entries"
     unshifted_42     "{'B',   2,  0,  0},"          "{'B',   2,  1,  1},"        "key map: it must hold 43 unshifted characters, one for each key"
)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  set(unsupported "")
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(unsupported "the key map's rules are checked with GCC's or clang's -fsyntax-only")
  endif()
  while(cases)
    list(POP_FRONT cases name)
    list(REMOVE_AT cases 0 1 2)
    add_test(NAME "keymap_rule.${name}"
             COMMAND "${CMAKE_COMMAND}" "-DCASE=${name}" "-DSOURCE=${PROJECT_SOURCE_DIR}/gen_vkey.cpp"
                     "-DCXX=${CMAKE_CXX_COMPILER}" "-DWORK=${CMAKE_CURRENT_BINARY_DIR}/keymap_rules"
                     "-DUNSUPPORTED=${unsupported}" -P "${CMAKE_CURRENT_LIST_FILE}")
    set_tests_properties("keymap_rule.${name}" PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: ")
  endwhile()
  return()
endif()

if(UNSUPPORTED)
  message("skipped: ${UNSUPPORTED}")
  return()
endif()

list(FIND cases "${CASE}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no case named '${CASE}'")
endif()
math(EXPR at "${at} + 1")
list(SUBLIST cases ${at} 3 case)
list(GET case 0 line)
list(GET case 1 replacement)
list(GET case 2 expected)

file(READ "${SOURCE}" source)
if(line)
  string(FIND "${source}" "${line}" first)
  string(FIND "${source}" "${line}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    message(FATAL_ERROR "the key map must hold the line '${line}' exactly once")
  endif()
  string(REPLACE "${line}" "${replacement}" source "${source}")
endif()

cmake_path(GET SOURCE PARENT_PATH source_dir)
set(copy "${WORK}/${CASE}.cpp")
file(WRITE "${copy}" "${source}")
execute_process(COMMAND "${CXX}" -std=c++20 -fsyntax-only "-I${source_dir}" "${copy}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)

if(NOT expected)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the unchanged source does not compile:\n${out}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "the key map with '${replacement}' for '${line}' compiled")
else()
  string(FIND "${out}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the compiler did not say \"${expected}\":\n${out}")
  endif()
endif()
