# Build functions that run the kit's compilers inside a CMake build.
#
#   qokit_add_messages(<name> HEADER <symbol file> OBJECT <object file>
#                      SOURCES <message source>... [SIGNATURES <companion>]
#                      [PREFIX <identifier>] [TEMPLATE_NO_CONTEXT])
#     Checks the sources with `qomsgcheck` (warnings are shown, errors fail
#     the build), then runs `qogenmsg gensym` and `qogenmsg genobj`. <name> is
#     an INTERFACE library: linking it puts the symbol file's directory on the
#     include path and builds the files first. The symbol file is rewritten
#     only when the symbol mapping changed, so an unchanged header triggers no
#     rebuilds; it is regenerated (`regensym`) when a message has more inserts
#     than its _MAX_INSERTS says, so a client never sizes an argument array
#     from a stale value. Beside it `qomsgsig` writes the companion header
#     (default <symbol file name>_sig.h, names prefixed with the symbol
#     file's name made an identifier): format-checked call macros and the
#     argument signatures for qomsg_open_checked. The target <name>_pot
#     writes <object name>.pot, the template for translators, into the binary
#     directory; its "#:" lines name the sources relative to the current
#     source directory, so the template is the same in every checkout. With
#     TEMPLATE_NO_CONTEXT it has no msgctxt, as a gettext project's template
#     (`qomsgpo export --no-context`), so msgmerge goes on matching the PO
#     files of a project that came from gettext.
#
#   qokit_add_translations(TARGET <messages> [LANGUAGES <lang>...]
#                          [PO_DIR <dir>] [SOURCES_DIR <dir>] [KEEP_GOING]
#                          [DESTINATION <dir> | NO_INSTALL] [CATALOGUE_DIR <dir>])
#     Builds one object file per language from <PO_DIR>/<lang>.po (imported
#     by `qomsgpo import` against the base sources) or else from
#     <SOURCES_DIR>/<lang>.msg, against the symbol file of the
#     qokit_add_messages target <messages>. Without LANGUAGES every *.po of
#     PO_DIR and *.msg of SOURCES_DIR is a language (none yet is fine; a file
#     added later is found when the build runs). `qomsgcheck` compares every
#     translation with the base sources: a missing or extra message, another
#     number or another argument signature fails the build with its
#     diagnostics, and so does a translation the import refuses, unless
#     KEEP_GOING, with which the base text stands in for it (a warning). A
#     language whose import, check or compile fails leaves no object file,
#     so nothing stale is installed. The catalogues form one tree, in the
#     build at CATALOGUE_DIR (default <messages>-catalogues in the binary
#     directory) and installed at DESTINATION (default <datadir>/<project>):
#         <tree>/<name>.obj         the base language
#         <tree>/<lang>/<name>.obj  each translation
#     where <name> is the base object file's name without its extension. The
#     target <messages>_translations builds them.
#
#   qokit_add_help(<name> SOURCE <tagged source> OUTPUT <help file>
#                  [LINE_SIZE <n>] [LEGACY])
#     Checks the source with `qomsgcheck --help-source` (warnings are shown,
#     errors fail the build), then runs `vexproc` (or `vexproc-legacy`) into a
#     custom target <name>. Its output is shown only when it fails; a run that
#     reports errors fails the build and leaves no help file behind.
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
# What the programs report reaches the build log as they wrote it.

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
  cmake_parse_arguments(M "TEMPLATE_NO_CONTEXT" "HEADER;OBJECT;SIGNATURES;PREFIX" "SOURCES" ${ARGN})
  if(NOT M_HEADER OR NOT M_OBJECT OR NOT M_SOURCES)
    message(FATAL_ERROR "qokit_add_messages(${name}): HEADER, OBJECT and SOURCES are required")
  endif()
  _qokit_program(compiler qogenmsg)
  _qokit_program(checker qomsgcheck)
  _qokit_absolute(header "${M_HEADER}" "${CMAKE_CURRENT_BINARY_DIR}")
  _qokit_absolute(object "${M_OBJECT}" "${CMAKE_CURRENT_BINARY_DIR}")
  set(sources "")
  foreach(src ${M_SOURCES})
    _qokit_absolute(abs "${src}" "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND sources "${abs}")
  endforeach()
  get_filename_component(header_dir "${header}" DIRECTORY)
  get_filename_component(header_stem "${header}" NAME_WE)
  if(M_SIGNATURES)
    _qokit_absolute(companion "${M_SIGNATURES}" "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    set(companion "${header_dir}/${header_stem}_sig.h")
  endif()
  if(M_PREFIX)
    set(prefix "${M_PREFIX}")
  else()
    string(MAKE_C_IDENTIFIER "${header_stem}" prefix)
  endif()
  _qokit_program(signer qomsgsig)
  _qokit_program(stamper qostamp)
  _qokit_run_script(run_script)
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}.qokit-stamp")
  string(REPLACE ";" "|" source_list "${sources}")
  set(run ${CMAKE_COMMAND} -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
          -D "QOKIT_CHECKER=$<TARGET_FILE:${checker}>" -D "QOKIT_SIGNER=$<TARGET_FILE:${signer}>"
          -D "QOKIT_STAMPER=$<TARGET_FILE:${stamper}>" -D "QOKIT_HEADER=${header}"
          -D "QOKIT_COMPANION=${companion}" -D "QOKIT_PREFIX=${prefix}"
          -D "QOKIT_SOURCES=${source_list}")
  # gensym rewrites the header only when the symbol mapping changed (and
  # qomsgsig the companion only when its text changed), so the headers are
  # byproducts: Ninja then restats them and leaves their users alone. Make
  # ignores byproducts, so there a rule of its own remakes them when one is
  # missing, and the compile depends on them.
  if(CMAKE_GENERATOR MATCHES "Make")
    add_custom_command(
      OUTPUT "${header}" "${companion}"
      COMMAND ${run} -D QOKIT_MODE=symbols -P "${run_script}"
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
      COMMENT "Generating ${M_HEADER}"
      VERBATIM)
    set(header_output "")
    set(header_input "${header}" "${companion}")
  else()
    set(header_output BYPRODUCTS "${header}" "${companion}")
    set(header_input "")
  endif()
  add_custom_command(
    OUTPUT "${stamp}" "${object}"
    ${header_output}
    COMMAND ${run} -D QOKIT_MODE=messages -D "QOKIT_OBJECT=${object}" -D "QOKIT_STAMP=${stamp}"
            -P "${run_script}"
    DEPENDS ${sources} ${header_input} ${compiler} ${checker} ${signer} ${stamper} "${run_script}"
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Compiling messages ${name}"
    VERBATIM)
  add_custom_target(${name}_compile ALL DEPENDS "${stamp}" "${object}")
  add_dependencies(${name}_compile ${compiler} ${checker} ${signer} ${stamper})
  # The template for translators, from the sources named as in the source tree.
  _qokit_program(porter qomsgpo)
  get_filename_component(catalogue "${object}" NAME_WE)
  set(pot "${CMAKE_CURRENT_BINARY_DIR}/${catalogue}.pot")
  set(relative_sources "")
  foreach(src ${sources})
    file(RELATIVE_PATH rel "${CMAKE_CURRENT_SOURCE_DIR}" "${src}")
    list(APPEND relative_sources "${rel}")
  endforeach()
  string(REPLACE ";" "|" relative_list "${relative_sources}")
  add_custom_command(
    OUTPUT "${pot}"
    COMMAND ${CMAKE_COMMAND} -D QOKIT_MODE=template -D "QOKIT_PORTER=$<TARGET_FILE:${porter}>"
            -D "QOKIT_SOURCES=${relative_list}" -D "QOKIT_OUTPUT=${pot}"
            -D "QOKIT_NO_CONTEXT=${M_TEMPLATE_NO_CONTEXT}" -P "${run_script}"
    DEPENDS ${sources} ${porter} "${run_script}"
    WORKING_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
    COMMENT "Writing the translation template ${catalogue}.pot"
    VERBATIM)
  add_custom_target(${name}_pot DEPENDS "${pot}")

  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE "${header_dir}")
  add_dependencies(${name} ${name}_compile)
  # What qokit_add_translations needs to build against this catalogue.
  set_target_properties(${name} PROPERTIES QOKIT_HEADER "${header}" QOKIT_OBJECT "${object}"
                        QOKIT_SOURCES "${sources}" QOKIT_STAMP "${stamp}" QOKIT_SIGNATURES "${companion}")
endfunction()

function(qokit_add_translations)
  cmake_parse_arguments(T "NO_INSTALL;KEEP_GOING" "TARGET;PO_DIR;SOURCES_DIR;DESTINATION;CATALOGUE_DIR" "LANGUAGES"
                        ${ARGN})
  set(fn "qokit_add_translations(${T_TARGET})")
  if(NOT T_TARGET OR (NOT T_PO_DIR AND NOT T_SOURCES_DIR))
    message(FATAL_ERROR "${fn}: TARGET and PO_DIR or SOURCES_DIR are required")
  endif()
  if(T_PO_DIR)
    _qokit_absolute(po_dir "${T_PO_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  if(T_SOURCES_DIR)
    _qokit_absolute(src_dir "${T_SOURCES_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  # Without a list, every file there is a language; the build looks again
  # each time it runs, so a PO file put there later is built.
  if(NOT T_LANGUAGES)
    set(found "")
    if(T_PO_DIR)
      file(GLOB found_po CONFIGURE_DEPENDS "${po_dir}/*.po")
      list(APPEND found ${found_po})
    endif()
    if(T_SOURCES_DIR)
      file(GLOB found_msg CONFIGURE_DEPENDS "${src_dir}/*.msg")
      list(APPEND found ${found_msg})
    endif()
    foreach(file ${found})
      get_filename_component(lang "${file}" NAME_WE)
      list(APPEND T_LANGUAGES "${lang}")
    endforeach()
    list(REMOVE_DUPLICATES T_LANGUAGES)
    list(SORT T_LANGUAGES)
  endif()
  if(NOT TARGET ${T_TARGET})
    message(FATAL_ERROR "${fn}: ${T_TARGET} is not a target of qokit_add_messages")
  endif()
  get_target_property(header ${T_TARGET} QOKIT_HEADER)
  if(NOT header)
    message(FATAL_ERROR "${fn}: ${T_TARGET} is not a target of qokit_add_messages")
  endif()
  get_target_property(object ${T_TARGET} QOKIT_OBJECT)
  get_target_property(base_sources ${T_TARGET} QOKIT_SOURCES)
  get_target_property(base_stamp ${T_TARGET} QOKIT_STAMP)
  _qokit_program(compiler qogenmsg)
  _qokit_program(checker qomsgcheck)
  _qokit_program(porter qomsgpo)
  _qokit_program(stamper qostamp)
  _qokit_run_script(run_script)
  get_filename_component(catalogue "${object}" NAME_WE)
  if(T_CATALOGUE_DIR)
    _qokit_absolute(tree "${T_CATALOGUE_DIR}" "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    set(tree "${CMAKE_CURRENT_BINARY_DIR}/${T_TARGET}-catalogues")
  endif()
  if(NOT T_DESTINATION)
    if(CMAKE_INSTALL_DATADIR)
      set(T_DESTINATION "${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME}")
    else()
      set(T_DESTINATION "share/${PROJECT_NAME}")
    endif()
  endif()
  file(MAKE_DIRECTORY "${tree}")
  string(REPLACE ";" "|" base_list "${base_sources}")
  set(tools ${compiler} ${checker} ${porter} ${stamper})
  set(outputs "")

  add_custom_command(
    OUTPUT "${tree}/${catalogue}.obj"
    COMMAND ${CMAKE_COMMAND} -E copy "${object}" "${tree}/${catalogue}.obj"
    DEPENDS "${base_stamp}" "${object}"
    COMMENT "Copying the base catalogue of ${T_TARGET}"
    VERBATIM)
  list(APPEND outputs "${tree}/${catalogue}.obj")
  if(NOT T_NO_INSTALL)
    install(FILES "${tree}/${catalogue}.obj" DESTINATION "${T_DESTINATION}")
  endif()

  foreach(lang ${T_LANGUAGES})
    if(NOT lang MATCHES "^[A-Za-z0-9_@.-]+$")
      message(FATAL_ERROR "${fn}: '${lang}' is not a language tag")
    endif()
    set(po "")
    set(translated "")
    if(T_PO_DIR)
      if(EXISTS "${po_dir}/${lang}.po")
        set(po "${po_dir}/${lang}.po")
        set(translated "${CMAKE_CURRENT_BINARY_DIR}/${T_TARGET}.${lang}.msg")
      endif()
    endif()
    if(NOT po AND T_SOURCES_DIR)
      if(EXISTS "${src_dir}/${lang}.msg")
        set(translated "${src_dir}/${lang}.msg")
      endif()
    endif()
    if(NOT translated)
      message(FATAL_ERROR "${fn}: no ${lang}.po in PO_DIR and no ${lang}.msg in SOURCES_DIR")
    endif()
    file(MAKE_DIRECTORY "${tree}/${lang}")
    set(out "${tree}/${lang}/${catalogue}.obj")
    # An imported PO file's message source is made on the way, beside the output.
    if(po)
      set(input "${po}")
      set(imported BYPRODUCTS "${translated}")
    else()
      set(input "${translated}")
      set(imported "")
    endif()
    add_custom_command(
      OUTPUT "${out}"
      ${imported}
      COMMAND ${CMAKE_COMMAND} -D QOKIT_MODE=translation -D "QOKIT_PROGRAM=$<TARGET_FILE:${compiler}>"
              -D "QOKIT_CHECKER=$<TARGET_FILE:${checker}>" -D "QOKIT_PORTER=$<TARGET_FILE:${porter}>"
              -D "QOKIT_STAMPER=$<TARGET_FILE:${stamper}>" -D "QOKIT_HEADER=${header}"
              -D "QOKIT_SOURCES=${base_list}" -D "QOKIT_PO=${po}" -D "QOKIT_TRANSLATED=${translated}"
              -D "QOKIT_OBJECT=${out}" -D "QOKIT_KEEP_GOING=${T_KEEP_GOING}" -P "${run_script}"
      DEPENDS "${input}" ${base_sources} "${base_stamp}" ${tools} "${run_script}"
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
      COMMENT "Compiling the ${lang} messages of ${T_TARGET}"
      VERBATIM)
    list(APPEND outputs "${out}")
    if(NOT T_NO_INSTALL)
      install(FILES "${out}" DESTINATION "${T_DESTINATION}/${lang}")
    endif()
  endforeach()
  add_custom_target(${T_TARGET}_translations ALL DEPENDS ${outputs})
  add_dependencies(${T_TARGET}_translations ${T_TARGET}_compile ${tools})
  set_target_properties(${T_TARGET}_translations PROPERTIES QOKIT_CATALOGUE_DIR "${tree}")
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
  _qokit_program(checker qomsgcheck)
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
            -D "QOKIT_CHECKER=$<TARGET_FILE:${checker}>"
            -D "QOKIT_SOURCE=${source}" -D "QOKIT_OUTPUT=${output}" -D "QOKIT_LINE_SIZE=${H_LINE_SIZE}"
            -D "QOKIT_LEGACY=${H_LEGACY}" -P "${run_script}"
    DEPENDS "${source}" ${compiler} ${checker} "${run_script}"
    WORKING_DIRECTORY "${workdir}"
    COMMENT "Compiling help ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${output}")
endfunction()
