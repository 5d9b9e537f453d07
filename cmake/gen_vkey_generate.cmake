# gen_vkey_generate(OUTPUT <file>)
#
# Adds a build rule that writes gen_vkey's text to <file>, a path relative to the
# current binary folder; missing folders are made. List <file> among the sources of a
# target in the same folder: it compiles against whichever vkey.h that target's include
# path holds. The rule runs again whenever the generator changes, and replaces <file>
# only when the generator exits 0: a failed run fails the build, leaves the earlier file,
# if any, as it was, and runs again on the next build.
#
# The generator is GEN_VKEY_EXECUTABLE when that is set (a host build, for
# cross-compiling), else the target gen_vkey::gen_vkey.

function(gen_vkey_generate)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "gen_vkey_generate: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_OUTPUT)
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT <file> is required")
  endif()

  if(GEN_VKEY_EXECUTABLE)
    set(generator "${GEN_VKEY_EXECUTABLE}")
    set(depends "${GEN_VKEY_EXECUTABLE}")
  elseif(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "gen_vkey_generate: cross-compiling, the gen_vkey built for the target cannot "
                        "run here; set GEN_VKEY_EXECUTABLE to a gen_vkey built for this host")
  elseif(NOT TARGET gen_vkey::gen_vkey)
    message(FATAL_ERROR "gen_vkey_generate: no target gen_vkey::gen_vkey; "
                        "add gen_vkey with add_subdirectory() or find_package() first")
  else()
    set(generator "$<TARGET_FILE:gen_vkey::gen_vkey>")
    set(depends "${generator}")
    get_target_property(built_here gen_vkey::gen_vkey ALIASED_TARGET)
    if(built_here)
      list(APPEND depends "${built_here}")  # so that it is built first, with any generator
    endif()
  endif()

  cmake_path(ABSOLUTE_PATH arg_OUTPUT BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
             NORMALIZE OUTPUT_VARIABLE output)
  set(run "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/gen_vkey_run.cmake")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DGENERATOR=${generator}" "-DOUTPUT=${output}" -P "${run}"
    DEPENDS ${depends} "${run}"
    COMMENT "Generating ${arg_OUTPUT} with gen_vkey"
    VERBATIM)
endfunction()
