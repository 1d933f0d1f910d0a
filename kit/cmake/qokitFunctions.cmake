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
# Relative paths are taken from the current source directory (sources) and
# binary directory (outputs). The compilers run with standard input from
# /dev/null, so a failed compile fails the build instead of waiting for a key,
# and with LC_ALL=C, so the result does not depend on the builder's locale.

set(_QOKIT_RUN_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/qokitRun.cmake")

# The program's target: the imported one of an installed kit, or the kit's
# own target when the functions are used inside its build.
function(_qokit_program out name)
  if(TARGET qokit::${name})
    set(${out} qokit::${name} PARENT_SCOPE)
  elseif(TARGET ${name})
    set(${out} ${name} PARENT_SCOPE)
  else()
    message(FATAL_ERROR "qokit: the program ${name} is not available")
  endif()
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
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}.qokit-stamp")
  string(REPLACE ";" "|" source_list "${sources}")
  add_custom_command(
    OUTPUT "${stamp}" "${object}"
    BYPRODUCTS "${header}"
    COMMAND ${CMAKE_COMMAND} -D QOKIT_MODE=messages -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
            -D "QOKIT_HEADER=${header}" -D "QOKIT_OBJECT=${object}" -D "QOKIT_SOURCES=${source_list}"
            -D "QOKIT_STAMP=${stamp}" -P "${_QOKIT_RUN_SCRIPT}"
    DEPENDS ${sources} ${compiler} "${_QOKIT_RUN_SCRIPT}"
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Compiling messages ${name}"
    VERBATIM)
  add_custom_target(${name}_compile ALL DEPENDS "${stamp}" "${object}")
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
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -D QOKIT_MODE=help -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
            -D "QOKIT_SOURCE=${source}" -D "QOKIT_OUTPUT=${output}" -D "QOKIT_LINE_SIZE=${H_LINE_SIZE}"
            -D "QOKIT_LEGACY=${H_LEGACY}" -P "${_QOKIT_RUN_SCRIPT}"
    DEPENDS "${source}" ${compiler} "${_QOKIT_RUN_SCRIPT}"
    WORKING_DIRECTORY "${workdir}"
    COMMENT "Compiling help ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${output}")
endfunction()
