# Checks that a document's table of the key matrix is the generator's: each of its eight
# rows, cell by cell, built from the text that gen_vkey writes.
#   cmake -DDOC=<readme|man> -DSOURCE_DIR=<gen_vkey source> -DGEN_VKEY=<generator> -P key_matrix_docs.cmake
# A cell is the character typed without shift, then " / " and the one typed with shift;
# empty where no key sits. The line feed is LF, the space "space". Each document writes a
# row and its characters in its own markup:
#   readme   README.md, "| 0 | T / t | ... |", a backslash doubled
#   man      doc/gen_vkey.1, a tbl(1) row "0|T / t|...", with roff's names of " \ ' -

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${GEN_VKEY}" OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
# The initialisers in code order, 0 to 255, as "{row,col,shift}".
string(REGEX MATCHALL "{-?[0-9]+,-?[0-9]+,-?[0-9]+}" entries "${text}")
list(LENGTH entries count)
if(NOT count EQUAL 256)
  message(FATAL_ERROR "the generator's text has ${count} initialisers, not 256")
endif()

if(DOC STREQUAL "readme")
  set(file "${SOURCE_DIR}/README.md")
  set(row_start "| ")
  set(separator " | ")
  set(row_end " |")
elseif(DOC STREQUAL "man")
  set(file "${SOURCE_DIR}/doc/gen_vkey.1")
  set(row_start "")
  set(separator "|")
  set(row_end "")
else()
  message(FATAL_ERROR "no document named '${DOC}'")
endif()

# Sets <var> to how the document shows the character of <code>.
function(shown code var)
  string(ASCII ${code} c)
  if(code EQUAL 10)
    set(c "LF")
  elseif(code EQUAL 32)
    set(c "space")
  elseif(DOC STREQUAL "readme" AND code EQUAL 92)
    set(c "\\\\")
  elseif(DOC STREQUAL "man")
    # "  \  '  -
    set(roff_34 "\\(dq")
    set(roff_92 "\\(rs")
    set(roff_39 "\\(aq")
    set(roff_45 "\\-")
    if(DEFINED roff_${code})
      set(c "${roff_${code}}")
    endif()
  endif()
  set(${var} "${c}" PARENT_SCOPE)
endfunction()

# key_<row>_<col>_<shift>: the character that key and shift type.
set(code 0)
foreach(entry IN LISTS entries)
  if(entry MATCHES "^{([0-9]),([0-9]),([01])}$")
    shown(${code} key_${CMAKE_MATCH_1}_${CMAKE_MATCH_2}_${CMAKE_MATCH_3})
  endif()
  math(EXPR code "${code} + 1")
endforeach()

file(READ "${file}" document)
set(missing "")
foreach(row RANGE 7)
  set(line "${row_start}${row}")
  foreach(col RANGE 5)
    set(cell "${key_${row}_${col}_0}")
    if(DEFINED key_${row}_${col}_1)
      string(APPEND cell " / ${key_${row}_${col}_1}")
    endif()
    string(APPEND line "${separator}${cell}")
  endforeach()
  string(APPEND line "${row_end}")
  string(FIND "${document}" "\n${line}\n" found)
  if(found EQUAL -1)
    string(APPEND missing "\n${line}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${file}'s key matrix is not the generator's; it lacks the rows${missing}")
endif()
