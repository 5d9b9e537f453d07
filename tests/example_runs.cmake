# Runs the example's programs and other consumers' programs, and checks what they print;
# included by consumer.cmake and cross.cmake. A program runs under EMULATOR (a program and
# its arguments) when that is set, and is named with EXE_SUFFIX (".exe" for Windows).

# Runs program with its arguments and fails unless it exits with status and prints expected,
# once any CR of a CRLF line end is dropped.
function(expect_run status expected program)
  execute_process(COMMAND ${EMULATOR} "${program}" ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out)
  string(REPLACE "\r\n" "\n" out "${out}")
  if(NOT result STREQUAL status OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${program} ${ARGN}: exit ${result}, wanted ${status}; printed\n"
                        "${out}\nwanted\n${expected}")
  endif()
endfunction()

# Runs both builds of the example, found in dir, on a text with a character that no key
# types and on one without; the keys are the key matrix's.
function(expect_example dir)
  foreach(program IN ITEMS type_text type_text_own_header)
    expect_run(1 "'H': row 7, column 0\n'i': row 6, column 3, shift\n'!': row 3, column 4, shift\n'b': no key types this character\n"
               "${dir}/${program}${EXE_SUFFIX}" "Hi!b")
    expect_run(0 "space: row 4, column 4\n'@': row 5, column 4, shift\n'\\': row 4, column 5, shift\n"
               "${dir}/${program}${EXE_SUFFIX}" " @\\")
  endforeach()
endfunction()
