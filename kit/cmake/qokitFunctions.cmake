# Build functions that run the kit's compilers inside a CMake build.
#
#   qokit_add_messages(<name> HEADER <symbol file> OBJECT <object file>
#                      SOURCES <message source>...)
#     Runs `qogenmsg gensym` and `qogenmsg genobj`. <name> is an INTERFACE
#     library: linking it puts the symbol file's directory on the include path
#     and builds the files first. The symbol file is rewritten only when the
#     symbol mapping changed, so an unchanged header triggers no rebuilds.
#
#   qokit_add_help(<name> SOURCE <tagged source> OUTPUT <help file>
#                  [LINE_SIZE <n>] [LEGACY])
#     Runs `vexproc` (or `vexproc-legacy`) into a custom target <name>. A run
#     that reports errors fails the build and leaves no help file behind.
#
# When SOURCE_DATE_EPOCH is set in the build's environment, the compile time
# written into the symbol file and the object file is rewritten (by qostamp)
# to that moment in UTC, so builds are byte-for-byte reproducible.
#
# The functions work the same whether the kit was found with find_package or
# added with add_subdirectory or FetchContent.
#
# Relative paths are taken from the current source directory (sources) and
# binary directory (outputs). The compilers run with standard input from
# /dev/null, so a failed compile fails the build instead of waiting for a key,
# and with LC_ALL=C, so the result does not depend on the builder's locale.

# The runner script, beside this file in the source tree and in an install.
function(_qokit_run_script out)
  set(${out} "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/qokitRun.cmake" PARENT_SCOPE)
endfunction()

# The program's target: imported from an installed kit, or the kit's own
# target (under the same name) when the kit is part of this build.
function(_qokit_program out name)
  if(NOT TARGET qokit::${name})
    message(FATAL_ERROR "qokit: the program ${name} is not available")
  endif()
  set(${out} qokit::${name} PARENT_SCOPE)
endfunction()

function(_qokit_absolute out path base)
  if(IS_ABSOLUTE "${path}")
    set(${out} "${path}" PARENT_SCOPE)
  else()
    set(${out} "${base}/${path}" PARENT_SCOPE)
  endif()
endfunction()

function(qokit_add_messages name)
  cmake_parse_arguments(M "" "HEADER;OBJECT" "SOURCES" ${ARGN})
  if(NOT M_HEADER OR NOT M_OBJECT OR NOT M_SOURCES)
    message(FATAL_ERROR "qokit_add_messages(${name}): HEADER, OBJECT and SOURCES are required")
  endif()
  _qokit_program(compiler qogenmsg)
  _qokit_absolute(header "${M_HEADER}" "${CMAKE_CURRENT_BINARY_DIR}")
  _qokit_absolute(object "${M_OBJECT}" "${CMAKE_CURRENT_BINARY_DIR}")
  set(sources "")
  foreach(src ${M_SOURCES})
    _qokit_absolute(abs "${src}" "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND sources "${abs}")
  endforeach()
  get_filename_component(header_dir "${header}" DIRECTORY)
  _qokit_program(stamper qostamp)
  _qokit_run_script(run_script)
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}.qokit-stamp")
  string(REPLACE ";" "|" source_list "${sources}")
  set(run ${CMAKE_COMMAND} -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
          -D "QOKIT_STAMPER=$<TARGET_FILE:${stamper}>" -D "QOKIT_HEADER=${header}"
          -D "QOKIT_SOURCES=${source_list}")
  # gensym rewrites the header only when the symbol mapping changed, so the
  # header is a byproduct: Ninja then restats it and leaves its users alone.
  # Make ignores byproducts, so there a rule of its own remakes the header
  # when it is missing, and the compile depends on it.
  if(CMAKE_GENERATOR MATCHES "Make")
    add_custom_command(
      OUTPUT "${header}"
      COMMAND ${run} -D QOKIT_MODE=symbols -P "${run_script}"
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
      COMMENT "Generating ${M_HEADER}"
      VERBATIM)
    set(header_output "")
    set(header_input "${header}")
  else()
    set(header_output BYPRODUCTS "${header}")
    set(header_input "")
  endif()
  add_custom_command(
    OUTPUT "${stamp}" "${object}"
    ${header_output}
    COMMAND ${run} -D QOKIT_MODE=messages -D "QOKIT_OBJECT=${object}" -D "QOKIT_STAMP=${stamp}"
            -P "${run_script}"
    DEPENDS ${sources} ${header_input} ${compiler} ${stamper} "${run_script}"
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Compiling messages ${name}"
    VERBATIM)
  add_custom_target(${name}_compile ALL DEPENDS "${stamp}" "${object}")
  add_dependencies(${name}_compile ${compiler} ${stamper})
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE "${header_dir}")
  add_dependencies(${name} ${name}_compile)
endfunction()

function(qokit_add_help name)
  cmake_parse_arguments(H "LEGACY" "SOURCE;OUTPUT;LINE_SIZE" "" ${ARGN})
  if(NOT H_SOURCE OR NOT H_OUTPUT)
    message(FATAL_ERROR "qokit_add_help(${name}): SOURCE and OUTPUT are required")
  endif()
  if(H_LEGACY AND H_LINE_SIZE)
    message(FATAL_ERROR "qokit_add_help(${name}): the legacy layout has no line size")
  endif()
  if(H_LEGACY)
    _qokit_program(compiler vexproc-legacy)
  else()
    _qokit_program(compiler vexproc)
  endif()
  _qokit_absolute(source "${H_SOURCE}" "${CMAKE_CURRENT_SOURCE_DIR}")
  _qokit_absolute(output "${H_OUTPUT}" "${CMAKE_CURRENT_BINARY_DIR}")
  if(source STREQUAL output)
    message(FATAL_ERROR "qokit_add_help(${name}): SOURCE and OUTPUT name the same file")
  endif()
  # The compiler writes its listing struct.doc into its working directory;
  # each help file gets a directory of its own for it.
  set(workdir "${CMAKE_CURRENT_BINARY_DIR}/${name}.qokit-help")
  file(MAKE_DIRECTORY "${workdir}")
  _qokit_run_script(run_script)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -D QOKIT_MODE=help -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
            -D "QOKIT_SOURCE=${source}" -D "QOKIT_OUTPUT=${output}" -D "QOKIT_LINE_SIZE=${H_LINE_SIZE}"
            -D "QOKIT_LEGACY=${H_LEGACY}" -P "${run_script}"
    DEPENDS "${source}" ${compiler} "${run_script}"
    WORKING_DIRECTORY "${workdir}"
    COMMENT "Compiling help ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${output}")
endfunction()
