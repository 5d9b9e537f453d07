# gen_vkey_generate(OUTPUT <file>)
#
# Adds a build rule that writes the generator's text to <file>, a path relative to
# the current binary folder. List <file> among the sources of a target in the same
# folder. The rule runs again whenever the generator is rebuilt, and replaces <file>
# only when the generator succeeds: a failed run fails the build and leaves the
# earlier file, if any, as it was.

set(_gen_vkey_run "${CMAKE_CURRENT_LIST_DIR}/gen_vkey_run.cmake")

function(gen_vkey_generate)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "gen_vkey_generate: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_OUTPUT)
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT <file> is required")
  endif()
  cmake_path(ABSOLUTE_PATH arg_OUTPUT BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
             NORMALIZE OUTPUT_VARIABLE output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DGENERATOR=$<TARGET_FILE:gen_vkey>" "-DOUTPUT=${output}"
            -P "${_gen_vkey_run}"
    DEPENDS gen_vkey "${_gen_vkey_run}"
    COMMENT "Generating ${arg_OUTPUT} with gen_vkey"
    VERBATIM)
endfunction()
