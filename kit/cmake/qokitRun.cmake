# Runs the kit's programs for qokitFunctions.cmake (cmake -P). Standard input
# is /dev/null and the locale is C. What a program reports is shown as it
# wrote it, without rewrapping and without the prompt for a key that a failed
# compile ends with; a failure ends the build step with one line of its own.
cmake_policy(VERSION 3.25)

function(_qokit_run)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${ARGN}
    INPUT_FILE /dev/null
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  set(_qokit_status "${status}" PARENT_SCOPE)
  set(_qokit_stdout "${out}" PARENT_SCOPE)
  set(_qokit_output "${out}${err}" PARENT_SCOPE)
endfunction()

# The last run's output, as the program wrote it.
function(_qokit_show)
  string(REPLACE "Hit enter to continue..." "" text "${_qokit_output}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  if(NOT text STREQUAL "")
    message(NOTICE "${text}")
  endif()
endfunction()

# Ends the step after a failed run; the files of `cleanup` are removed first.
function(_qokit_fail what cleanup)
  _qokit_show()
  if(cleanup)
    file(REMOVE ${cleanup})
  endif()
  message(FATAL_ERROR "${what} failed (status ${_qokit_status})")
endfunction()

# Runs a program; its output is shown when it fails or when `show` is set.
macro(_qokit_step what cleanup show)
  _qokit_run(${ARGN})
  if(NOT _qokit_status EQUAL 0)
    _qokit_fail("${what}" "${cleanup}")
  elseif(${show})
    _qokit_show()
  endif()
endmacro()

# With SOURCE_DATE_EPOCH set, the compile time in a written file becomes that
# moment (qostamp leaves a file that already says so untouched).
function(_qokit_stamp file)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH is set but empty")
    endif()
    _qokit_step("qostamp" "" FALSE "${QOKIT_STAMPER}" "$ENV{SOURCE_DATE_EPOCH}" "${file}")
  endif()
endfunction()

# gensym keeps a symbol file whose mapping is unchanged, and with it its
# _MAX_INSERTS; when a text has gained inserts past that value the file is
# written anew, or a client would size its argument arrays too small.
function(_qokit_symbols sources)
  _qokit_step("qogenmsg gensym" "" FALSE "${QOKIT_PROGRAM}" gensym "${QOKIT_HEADER}" ${sources})
  _qokit_step("qomsgcheck --max-inserts" "" FALSE "${QOKIT_CHECKER}" --max-inserts ${sources})
  string(STRIP "${_qokit_stdout}" needed)
  file(STRINGS "${QOKIT_HEADER}" recorded REGEX "^#define[ \t]+_MAX_INSERTS[ \t]")
  string(REGEX REPLACE "^#define[ \t]+_MAX_INSERTS[ \t]+([0-9]+).*" "\\1" recorded "${recorded}")
  if(NOT recorded MATCHES "^[0-9]+$" OR needed GREATER recorded)
    _qokit_step("qogenmsg regensym" "" FALSE "${QOKIT_PROGRAM}" regensym "${QOKIT_HEADER}" ${sources})
  endif()
  _qokit_stamp("${QOKIT_HEADER}")
  _qokit_step("qomsgsig" "" FALSE
              "${QOKIT_SIGNER}" "${QOKIT_HEADER}" "${QOKIT_COMPANION}" "${QOKIT_PREFIX}" ${sources})
endfunction()

string(REPLACE "|" ";" sources "${QOKIT_SOURCES}")
if(QOKIT_MODE STREQUAL "symbols")
  _qokit_symbols("${sources}")
elseif(QOKIT_MODE STREQUAL "messages")
  _qokit_step("qomsgcheck" "" TRUE "${QOKIT_CHECKER}" ${sources})
  _qokit_symbols("${sources}")
  _qokit_step("qogenmsg genobj" "${QOKIT_OBJECT}" FALSE
              "${QOKIT_PROGRAM}" genobj "${QOKIT_HEADER}" "${QOKIT_OBJECT}" ${sources})
  _qokit_stamp("${QOKIT_OBJECT}")
  file(TOUCH "${QOKIT_STAMP}")
elseif(QOKIT_MODE STREQUAL "translation")
  # Any failed step removes the language's object file (and the source the
  # import made), so a catalogue of an earlier build is never installed in
  # place of one that failed.
  set(outputs "${QOKIT_OBJECT}")
  # A PO file becomes a message source first; the import reports what it
  # had to leave in the base language.
  if(QOKIT_PO)
    list(APPEND outputs "${QOKIT_TRANSLATED}")
    set(keep_going "")
    if(QOKIT_KEEP_GOING)
      set(keep_going --keep-going)
    endif()
    _qokit_step("qomsgpo import" "${outputs}" TRUE
                "${QOKIT_PORTER}" import ${keep_going} -o "${QOKIT_TRANSLATED}" "${QOKIT_PO}" ${sources})
  endif()
  _qokit_step("qomsgcheck" "${outputs}" TRUE
              "${QOKIT_CHECKER}" --base ${sources} -- "${QOKIT_TRANSLATED}")
  _qokit_step("qogenmsg genobj" "${outputs}" FALSE
              "${QOKIT_PROGRAM}" genobj "${QOKIT_HEADER}" "${QOKIT_OBJECT}" "${QOKIT_TRANSLATED}")
  _qokit_stamp("${QOKIT_OBJECT}")
elseif(QOKIT_MODE STREQUAL "template")
  set(style --pot)
  if(QOKIT_NO_CONTEXT)
    list(APPEND style --no-context)
  endif()
  _qokit_step("qomsgpo export" "${QOKIT_OUTPUT}" TRUE
              "${QOKIT_PORTER}" export ${style} -o "${QOKIT_OUTPUT}" ${sources})
elseif(QOKIT_MODE STREQUAL "help")
  set(lint "${QOKIT_CHECKER}" --help-source)
  if(QOKIT_LEGACY)
    list(APPEND lint --legacy)
  elseif(QOKIT_LINE_SIZE)
    list(APPEND lint --line-length "${QOKIT_LINE_SIZE}")
  endif()
  _qokit_step("qomsgcheck --help-source" "${QOKIT_OUTPUT}" TRUE ${lint} "${QOKIT_SOURCE}")
  # The help compilers end with status 0 whatever happened; the closing line
  # tells whether the run found errors. Their progress is shown only then.
  if(QOKIT_LEGACY)
    _qokit_run("${QOKIT_PROGRAM}" "${QOKIT_SOURCE}" "${QOKIT_OUTPUT}")
    set(finished "\nFinished\\.\\.\\.\n")
  elseif(QOKIT_LINE_SIZE)
    _qokit_run("${QOKIT_PROGRAM}" "${QOKIT_SOURCE}" "${QOKIT_OUTPUT}" "${QOKIT_LINE_SIZE}")
    set(finished "Finished\\.\\.\\. 0 errors found\\.")
  else()
    _qokit_run("${QOKIT_PROGRAM}" "${QOKIT_SOURCE}" "${QOKIT_OUTPUT}")
    set(finished "Finished\\.\\.\\. 0 errors found\\.")
  endif()
  if(NOT _qokit_status EQUAL 0 OR NOT _qokit_output MATCHES "${finished}")
    _qokit_fail("help compiler on ${QOKIT_SOURCE}" "${QOKIT_OUTPUT}")
  endif()
else()
  message(FATAL_ERROR "qokitRun.cmake: unknown QOKIT_MODE '${QOKIT_MODE}'")
endif()
