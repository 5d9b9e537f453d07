#[=======================================================================[.rst:
gen_vkey_generate
-----------------

.. command:: gen_vkey_generate

  Adds a build rule that writes gen_vkey's table, the C source text of the ``vkey``
  lookup table, to a file of the build::

    gen_vkey_generate(OUTPUT <file> [TARGET <target>])

  ``OUTPUT <file>``
    The file to write: a path relative to the current binary folder, or absolute. Missing
    folders are made at build time. Each call needs an ``OUTPUT`` of its own.

  ``TARGET <target>``
    Adds ``<file>`` to the sources of ``<target>``, an existing target of any folder.

  Without ``TARGET``, list ``<file>`` among the sources of the targets that compile it, in
  any folder of the project (for a custom target, among its ``SOURCES``, not its
  ``DEPENDS``); at the end of the top folder's ``CMakeLists.txt``, each target whose
  sources name ``<file>`` is made to depend on the rule. A source given by a generator
  expression is not seen there: use ``TARGET``. A folder other than the caller's needs
  policy ``CMP0118`` set to ``NEW`` (``cmake_minimum_required(VERSION 3.20)`` or later) to
  know ``<file>`` as generated. The file compiles against whichever ``vkey.h`` the
  target's include path holds.

  The rule runs ``GEN_VKEY_EXECUTABLE`` when that is set (a gen_vkey built for the build
  host; a relative path is taken from the folder where ``cmake`` was started, as for any
  ``FILEPATH`` given on the command line). Otherwise it runs the target
  ``gen_vkey::gen_vkey``, built first; when cross-compiling, under
  ``CMAKE_CROSSCOMPILING_EMULATOR``. It runs on the first build, when the program or
  ``gen_vkey_run.cmake`` is newer than its last run, and when ``<file>`` or its folder is
  missing.

  Under the CMake generators Ninja, Unix Makefiles and Ninja Multi-Config (also with
  ``CMAKE_CROSS_CONFIGS=all``), in parallel builds and in interrupted ones (other CMake
  generators are not tested):

  * A failed generation (the program exits with a status other than 0, is killed, or
    writes a text that is not a whole table: not opening with ``#include "vkey.h"``, not
    ending with ``};``, or not 259 lines) fails the build. The message says which, and
    quotes, shortened, what the program said on standard error, and on standard output
    when that is not a whole table.
  * ``<file>`` is at every moment absent, the earlier whole table or the new whole table;
    never partial or empty. The text is held in memory until the program has finished and
    been checked, then written under a temporary name in the same folder and renamed over
    ``<file>``.
  * After a failure the earlier table is kept, bytes and timestamp, and the next build
    runs the program again.
  * No leftover of any name survives the next build, whatever stopped the one before:
    a signal at any instant (Ctrl-C, or SIGTERM from a cancelled job), or a write error
    such as a full disk. A deleted ``<file>``, or its deleted folder, is written again
    by the next build.
  * A new text equal to ``<file>`` leaves it untouched, so a rebuilt program that writes
    the same table recompiles and relinks nothing, and the build after that runs no
    program; switching configurations under Ninja Multi-Config recompiles no table.
  * Runs of the rule's step for one ``<file>`` at the same time take turns.

  These stop configuring, with a message that names the fix: an ``OUTPUT`` missing,
  given twice, naming a folder, or holding what make, ninja or the shell cannot carry
  (``;``, ``\``, ``"``, ``#``, ``%``, ``:``, ``|``, ``[``, ``]``, ``<``, ``>``, ``$(``,
  ``${`` or a control character); an ``OUTPUT`` whose language
  (``.c``, or a C++ suffix) is not enabled in the calling folder; a ``TARGET`` that does
  not exist; no program to run; and a ``GEN_VKEY_EXECUTABLE`` that is no file, or that
  does not write a whole table when run at configure (built for another machine, or
  another program). An output folder that cannot be written fails the build with the
  folder's name and the system's reason.

  Not promised:

  * Timestamps decide, as make and ninja decide for every input: a program replaced by a
    different one with an older timestamp (``cp -p``, a package downgrade) is not run
    again, and the table stays as it was. Delete ``<file>`` (or ``touch`` the program) and
    the next build writes it anew.
  * Two whole builds of one build tree at once: they race on every object and link, and
    one may run gen_vkey while the other relinks it. Build one tree once at a time.
#]=======================================================================]

set(GEN_VKEY_EXECUTABLE "" CACHE FILEPATH
    "A gen_vkey built for the build host, run at build time in place of the one built here")
include("${CMAKE_CURRENT_LIST_DIR}/gen_vkey_run.cmake")

# Stops configuring unless GEN_VKEY_EXECUTABLE names a program that writes a whole table
# here.
function(_gen_vkey_check_executable)
  get_property(checked GLOBAL PROPERTY _gen_vkey_checked_executable)
  if(checked STREQUAL GEN_VKEY_EXECUTABLE)
    return()
  endif()
  set(fix "set it to the absolute path of a gen_vkey built for this host, or leave it empty")
  if(NOT IS_ABSOLUTE "${GEN_VKEY_EXECUTABLE}")
    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE is ${GEN_VKEY_EXECUTABLE}, a relative path; ${fix}")
  endif()
  if(NOT EXISTS "${GEN_VKEY_EXECUTABLE}" OR IS_DIRECTORY "${GEN_VKEY_EXECUTABLE}")
    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE is ${GEN_VKEY_EXECUTABLE}, which is no file; ${fix}")
  endif()
  _gen_vkey_run_generator(text problem "${GEN_VKEY_EXECUTABLE}")
  if(problem)
    message(FATAL_ERROR "GEN_VKEY_EXECUTABLE is ${GEN_VKEY_EXECUTABLE}, which, run here, ${problem}; ${fix}")
  endif()
  set_property(GLOBAL PROPERTY _gen_vkey_checked_executable "${GEN_VKEY_EXECUTABLE}")
endfunction()

# Stops configuring unless the path names a file, with no character that CMake's lists,
# make, ninja or the shell cannot carry through the rule: ; \ " # % : | [ ] < >, $( and ${,
# and control characters.
function(_gen_vkey_check_output output)
  set(checked "${output}")
  if(CMAKE_HOST_WIN32)
    string(REGEX REPLACE "^[A-Za-z]:[/\\]" "/" checked "${output}")  # a drive's colon is no fault
  endif()
  string(ASCII 1 first_control)
  string(ASCII 31 last_control)
  string(ASCII 127 delete)
  string(REGEX MATCH "[];\\\\\"#%:|[<>${first_control}-${last_control}${delete}]|\\$[({]" bad "${checked}")
  if(NOT bad STREQUAL "")
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT ${output} holds '${bad}', which the build cannot "
                        "carry through make, ninja and the shell alike; name the file without it")
  endif()
  if(output MATCHES "/$|^$")
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT ${output} names a folder, not a file")
  endif()
endfunction()

function(gen_vkey_generate)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;TARGET" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "gen_vkey_generate: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if("${arg_OUTPUT}" STREQUAL "")
    message(FATAL_ERROR "gen_vkey_generate: OUTPUT <file> is required")
  endif()
  _gen_vkey_check_output("${arg_OUTPUT}")
  if(DEFINED arg_TARGET AND NOT TARGET "${arg_TARGET}")
    message(FATAL_ERROR "gen_vkey_generate: TARGET ${arg_TARGET} is no target; create it before this call")
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

  # The program that runs here: the host's, given; else the one built for the target,
  # under the emulator when cross-compiling.
  set(ways_out "set GEN_VKEY_EXECUTABLE to a gen_vkey built for this host")
  if(GEN_VKEY_EXECUTABLE)
    _gen_vkey_check_executable()
    set(generator "${GEN_VKEY_EXECUTABLE}")
    set(depends "${GEN_VKEY_EXECUTABLE}")
  elseif(NOT TARGET gen_vkey::gen_vkey)
    # gen_vkey's own build defines GEN_VKEY_BUILD_GENERATOR, and its package gen_vkey_FOUND:
    # with either, gen_vkey is there, without its program.
    string(CONCAT why "gen_vkey builds no program for a target without an operating system "
                      "(CMAKE_SYSTEM_NAME Generic) or with GEN_VKEY_BUILD_GENERATOR off")
    if(NOT DEFINED GEN_VKEY_BUILD_GENERATOR AND NOT gen_vkey_FOUND)
      string(CONCAT why "gen_vkey is not in this project: add it with add_subdirectory() or "
                        "find_package() before this call")
    endif()
    message(FATAL_ERROR "gen_vkey_generate: no gen_vkey to run: ${ways_out}; ${why}")
  elseif(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "gen_vkey_generate: cross-compiling, the gen_vkey built for the target cannot "
                        "run here; ${ways_out}, or CMAKE_CROSSCOMPILING_EMULATOR to a program that runs "
                        "the target's programs here (such as qemu-user or wine)")
  else()
    set(generator "$<TARGET_FILE:gen_vkey::gen_vkey>")
    set(depends "${generator}")
    get_target_property(built_here gen_vkey::gen_vkey ALIASED_TARGET)
    if(built_here)
      list(APPEND depends "${built_here}")  # so that it is built first, with any CMake generator
    endif()
    if(CMAKE_CROSSCOMPILING)
      set(generator "${CMAKE_CROSSCOMPILING_EMULATOR};${generator}")
    endif()
  endif()

  cmake_path(ABSOLUTE_PATH arg_OUTPUT BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
             NORMALIZE OUTPUT_VARIABLE output)
  get_property(earlier GLOBAL PROPERTY "_gen_vkey_rule:${output}")
  if(earlier)
    message(FATAL_ERROR "gen_vkey_generate: ${output} is already the OUTPUT of another call; give each "
                        "call an OUTPUT of its own, and list that one file among the sources of every "
                        "target that needs it")
  endif()

  # The stamp tells make and ninja that the step has run even when it left <file>
  # untouched. Its name is the path's hash alone, so that it stays short however long the
  # file's name is; it is the same for every configuration, as <file> is.
  string(SHA1 key "${output}")
  string(SUBSTRING "${key}" 0 16 key)
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gen_vkey_generate/${key}.stamp")

  # <file> must not be an output that make could touch or ninja could run on its own, so
  # the step writes it as a byproduct. Ninja knows byproducts, re-runs the step when one is
  # missing and re-reads it after the step. Make knows nothing of byproducts, so there
  # <file> gets a rule of its own with no command and no inputs, on which the stamp
  # depends: when <file> is missing, make takes it as just made, and runs the step.
  if(CMAKE_GENERATOR MATCHES "^Ninja")
    set(byproducts BYPRODUCTS "${output}")
  else()
    add_custom_command(OUTPUT "${output}" COMMENT "")
    list(APPEND depends "${output}")
    set(byproducts "")
  endif()

  set(run "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/gen_vkey_run.cmake")
  add_custom_command(
    OUTPUT "${stamp}"
    ${byproducts}
    COMMAND "${CMAKE_COMMAND}" "-DGENERATOR=${generator}" "-DOUTPUT=${output}" "-DSTAMP=${stamp}"
            -P "${run}"
    DEPENDS ${depends} "${run}"
    COMMENT "Generating ${arg_OUTPUT} with gen_vkey"
    VERBATIM)

  # The rules of one folder share one target, made at the end of the folder, which the
  # targets that compile their files depend on.
  _gen_vkey_rule_target(rule)
  get_directory_property(stamps _gen_vkey_stamps)
  if(NOT stamps)
    cmake_language(DEFER CALL _gen_vkey_add_rule_target)
  endif()
  set_property(DIRECTORY APPEND PROPERTY _gen_vkey_stamps "${stamp}")
  set_property(GLOBAL PROPERTY "_gen_vkey_rule:${output}" "${rule}")
  cmake_path(GET output FILENAME name)
  set_property(GLOBAL APPEND PROPERTY _gen_vkey_names "${name}")
  if(DEFINED arg_TARGET)
    target_sources("${arg_TARGET}" PRIVATE "${output}")
    add_dependencies("${arg_TARGET}" ${rule})
  endif()

  get_property(deferred GLOBAL PROPERTY _gen_vkey_attach_deferred)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY _gen_vkey_attach_deferred ON)
    cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _gen_vkey_attach)
  endif()
endfunction()

# Sets <var> to the name of the target that runs the rules of the current folder.
function(_gen_vkey_rule_target var)
  string(SHA1 key "${CMAKE_CURRENT_BINARY_DIR}")
  string(SUBSTRING "${key}" 0 16 key)
  set(${var} "gen_vkey_generate_${key}" PARENT_SCOPE)
endfunction()

# Adds the target that runs the rules of the current folder.
function(_gen_vkey_add_rule_target)
  _gen_vkey_rule_target(rule)
  get_directory_property(stamps _gen_vkey_stamps)
  file(MAKE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/gen_vkey_generate")
  add_custom_target(${rule} DEPENDS ${stamps})
endfunction()

# Makes every target of the project that lists a generated table among its sources depend
# on that table's rule. It runs once, at the end of the top folder. A target's sources are
# first matched all at once against the tables' file names; only a target that names one
# has its sources read one by one.
function(_gen_vkey_attach)
  get_property(names GLOBAL PROPERTY _gen_vkey_names)
  list(REMOVE_DUPLICATES names)
  list(TRANSFORM names REPLACE "[].[+*?()^$|{}\\\\]" "\\\\\\0")
  list(JOIN names "|" names)
  set(named "(^|[/;])(${names})(;|$)")
  set(folders "${CMAKE_SOURCE_DIR}")
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY "${folder}" PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY "${folder}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(sources ${target} SOURCES)
      if(NOT sources MATCHES "${named}")
        continue()
      endif()
      list(FILTER sources INCLUDE REGEX "(^|/)(${names})$")
      get_target_property(source_dir ${target} SOURCE_DIR)
      get_target_property(binary_dir ${target} BINARY_DIR)
      foreach(source IN LISTS sources)
        # A relative source names a file of the target's source folder, or a generated
        # one of its binary folder.
        foreach(base IN ITEMS "${binary_dir}" "${source_dir}")
          cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${base}" NORMALIZE OUTPUT_VARIABLE path)
          get_property(rule GLOBAL PROPERTY "_gen_vkey_rule:${path}")
          if(rule)
            add_dependencies(${target} ${rule})
          endif()
        endforeach()
      endforeach()
    endforeach()
  endwhile()
endfunction()
