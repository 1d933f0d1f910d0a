# Runs one of the kit's compilers for qokitFunctions.cmake (cmake -P).
# Standard input is /dev/null and the locale is C; a failed run fails the
# build with the compiler's own output.

function(_qokit_run)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${ARGN}
    INPUT_FILE /dev/null
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  set(_qokit_status "${status}" PARENT_SCOPE)
  set(_qokit_output "${out}${err}" PARENT_SCOPE)
endfunction()

# With SOURCE_DATE_EPOCH set, the compile time in a written file becomes that
# moment (qostamp leaves a file that already says so untouched).
function(_qokit_stamp file)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH is set but empty")
    endif()
    _qokit_run("${QOKIT_STAMPER}" "$ENV{SOURCE_DATE_EPOCH}" "${file}")
    if(NOT _qokit_status EQUAL 0)
      message(FATAL_ERROR "qostamp failed (status ${_qokit_status}):\n${_qokit_output}")
    endif()
  endif()
endfunction()

if(QOKIT_MODE STREQUAL "symbols" OR QOKIT_MODE STREQUAL "messages")
  string(REPLACE "|" ";" sources "${QOKIT_SOURCES}")
  _qokit_run("${QOKIT_PROGRAM}" gensym "${QOKIT_HEADER}" ${sources})
  if(NOT _qokit_status EQUAL 0)
    message(FATAL_ERROR "qogenmsg gensym failed (status ${_qokit_status}):\n${_qokit_output}")
  endif()
  _qokit_stamp("${QOKIT_HEADER}")
endif()
if(QOKIT_MODE STREQUAL "symbols")
  # Only the header was asked for.
elseif(QOKIT_MODE STREQUAL "messages")
  _qokit_run("${QOKIT_PROGRAM}" genobj "${QOKIT_HEADER}" "${QOKIT_OBJECT}" ${sources})
  if(NOT _qokit_status EQUAL 0)
    file(REMOVE "${QOKIT_OBJECT}")
    message(FATAL_ERROR "qogenmsg genobj failed (status ${_qokit_status}):\n${_qokit_output}")
  endif()
  _qokit_stamp("${QOKIT_OBJECT}")
  file(TOUCH "${QOKIT_STAMP}")
elseif(QOKIT_MODE STREQUAL "help")
  # The help compilers end with status 0 whatever happened; the closing line
  # tells whether the run found errors.
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
    file(REMOVE "${QOKIT_OUTPUT}")
    message(FATAL_ERROR "help compiler failed on ${QOKIT_SOURCE}:\n${_qokit_output}")
  endif()
else()
  message(FATAL_ERROR "qokitRun.cmake: unknown QOKIT_MODE '${QOKIT_MODE}'")
endif()
