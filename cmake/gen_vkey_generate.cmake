# gen_vkey_generate(OUTPUT <file>)
#
# Adds a build rule that writes gen_vkey's text to <file>, a path relative to the current
# binary folder; missing folders are made. List <file> among the sources of a target in the
# same folder (a custom target's SOURCES, not its DEPENDS, which Unix Makefiles would not
# know how to make): it compiles against whichever vkey.h that target's include path
# holds. The rule runs whenever the generator changes, and it keeps this promise under
# every CMake generator, in parallel builds and in interrupted ones:
#
# - A failed generation (the generator exits with a status other than 0, is killed, or
#   writes a text that is not a whole table) fails the build and says what happened.
# - <file> is at every moment absent, the earlier whole table or the new whole table;
#   never partial or empty. Nothing is written until the generator has finished.
# - After a failure the earlier table is kept, bytes and timestamp, and the next build
#   runs the generator again.
# - An interrupted build leaves no half-written file behind, under any name.
# - A new text equal to the earlier one leaves <file> untouched, so nothing is rebuilt.
#
# The generator is GEN_VKEY_EXECUTABLE when that is set (a build for the build host), else
# the target gen_vkey::gen_vkey; when cross-compiling, that one runs under
# CMAKE_CROSSCOMPILING_EMULATOR (a program and its arguments, such as qemu-user or wine).

# Stops configuring unless GEN_VKEY_EXECUTABLE names a program that runs here.
function(_gen_vkey_check_executable)
  get_property(checked GLOBAL PROPERTY _gen_vkey_checked_executable)
  if(checked STREQUAL GEN_VKEY_EXECUTABLE)
    return()
  endif()
  if(NOT EXISTS "${GEN_VKEY_EXECUTABLE}" OR IS_DIRECTORY "${GEN_VKEY_EXECUTABLE}")
    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE is ${GEN_VKEY_EXECUTABLE}, which is no file; set it to a "
                        "gen_vkey built for this host, or leave it empty")
  endif()
  execute_process(COMMAND "${GEN_VKEY_EXECUTABLE}" RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET
                  TIMEOUT 30)
  if(NOT result MATCHES "^[0-9]+$")  # a number is an exit status: it ran
    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE is ${GEN_VKEY_EXECUTABLE}, which cannot be run here "
                        "(${result}); set it to a gen_vkey built for this host, or leave it empty")
  endif()
  set_property(GLOBAL PROPERTY _gen_vkey_checked_executable "${GEN_VKEY_EXECUTABLE}")
endfunction()

function(gen_vkey_generate)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "gen_vkey_generate: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_OUTPUT)
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT <file> is required")
  endif()

  # A source whose language is not enabled here would be left out of its target or fail
  # deep inside CMake; say so now.
  cmake_path(GET arg_OUTPUT EXTENSION LAST_ONLY extension)
  if(extension STREQUAL ".c")
    set(language C)
  elseif(extension MATCHES "^\\.(cpp|cc|cxx|c\\+\\+|C)$")
    set(language CXX)
  endif()
  if(language AND NOT DEFINED CMAKE_${language}_COMPILE_OBJECT)
    message(FATAL_ERROR "gen_vkey_generate: ${arg_OUTPUT} is a ${language} source, but ${language} is "
                        "not enabled in this directory; enable it (project(... LANGUAGES C CXX) or "
                        "enable_language(${language})), or name the output .cpp or .c to match")
  endif()

  # The generator that runs here: the host's, given; else the one built for the target,
  # under the emulator when cross-compiling.
  set(ways_out "set GEN_VKEY_EXECUTABLE to a gen_vkey built for this host")
  if(GEN_VKEY_EXECUTABLE)
    _gen_vkey_check_executable()
    set(generator "${GEN_VKEY_EXECUTABLE}")
    set(depends "${GEN_VKEY_EXECUTABLE}")
  elseif(NOT TARGET gen_vkey::gen_vkey)
    message(FATAL_ERROR "gen_vkey_generate: no gen_vkey to run: ${ways_out}, since gen_vkey builds no "
                        "generator for a target without an operating system (CMAKE_SYSTEM_NAME Generic) "
                        "or with GEN_VKEY_BUILD_GENERATOR off; or add gen_vkey with add_subdirectory() or "
                        "find_package() before this call")
  elseif(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "gen_vkey_generate: cross-compiling, the gen_vkey built for the target cannot "
                        "run here; ${ways_out}, or CMAKE_CROSSCOMPILING_EMULATOR to a program that runs "
                        "the target's programs here (such as qemu-user or wine)")
  else()
    set(generator "$<TARGET_FILE:gen_vkey::gen_vkey>")
    set(depends "${generator}")
    get_target_property(built_here gen_vkey::gen_vkey ALIASED_TARGET)
    if(built_here)
      list(APPEND depends "${built_here}")  # so that it is built first, with any generator
    endif()
    if(CMAKE_CROSSCOMPILING)
      set(generator "${CMAKE_CROSSCOMPILING_EMULATOR};${generator}")
    endif()
  endif()

  cmake_path(ABSOLUTE_PATH arg_OUTPUT BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
             NORMALIZE OUTPUT_VARIABLE output)

  # The stamp tells make and ninja that the rule has run even when it left <file> untouched;
  # a multi-config generator has a rule, and so a stamp, for each configuration.
  string(SHA1 key "${output}")
  string(SUBSTRING "${key}" 0 12 key)
  cmake_path(GET output FILENAME name)
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gen_vkey_generate/${name}-${key}-$<CONFIG>.stamp")
  file(MAKE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gen_vkey_generate")

  set(run "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/gen_vkey_run.cmake")
  add_custom_command(
    OUTPUT "${stamp}"
    BYPRODUCTS "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DGENERATOR=${generator}" "-DOUTPUT=${output}" "-DSTAMP=${stamp}"
            -P "${run}"
    DEPENDS ${depends} "${run}"
    COMMENT "Generating ${arg_OUTPUT} with gen_vkey"
    VERBATIM)
  # <file> is the rule's byproduct, not its output, so that make has no rule that touches
  # it; the targets that compile it depend on the rule through a target of its own.
  set(rule "gen_vkey_generate_${key}")
  add_custom_target(${rule} DEPENDS "${stamp}")
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _gen_vkey_attach [[${output}]] ${rule})")
endfunction()

# Makes every target of the current folder that lists output among its sources depend on rule.
function(_gen_vkey_attach output rule)
  get_directory_property(targets BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    foreach(source IN LISTS sources)
      foreach(base IN ITEMS "${CMAKE_CURRENT_BINARY_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${base}" NORMALIZE OUTPUT_VARIABLE path)
        if(path STREQUAL output)
          add_dependencies(${target} ${rule})
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()
