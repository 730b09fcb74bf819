# SPDX-License-Identifier: MIT
# `plughost validate --only editor` against a display of its own: the editor-enabled library
# (EDITOR_LIBRARY) passes the check, the shipped library (SHIPPED_LIBRARY, no editor) has it
# reported as skipped, and neither run fails.
function(validate_editor library json)
    execute_process(COMMAND ${WITH_XVFB} ${PLUGHOST} validate ${library} --level 10 --only editor
                            --json ${json}
                    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    message(STATUS "${out}${err}")
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "validate exit code ${code} for ${library}")
    endif()
    if(NOT EXISTS ${json})
        message(FATAL_ERROR "validate wrote no report for ${library}")
    endif()
    file(READ ${json} report)
    string(REGEX MATCH "\\{\"name\": \"editor\", \"status\": \"([a-z]+)\"" found "${report}")
    if(NOT found)
        message(FATAL_ERROR "no editor check in the report for ${library}:\n${report}")
    endif()
    set(status ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE ${SCRATCH}/editor.json ${SCRATCH}/shipped.json)
file(MAKE_DIRECTORY ${SCRATCH})

validate_editor(${EDITOR_LIBRARY} ${SCRATCH}/editor.json)
if(NOT status STREQUAL "pass")
    message(FATAL_ERROR "editor check on the editor-enabled library: ${status}, expected pass")
endif()
if(NOT output MATCHES "editor of 400 x 300 pixels opened, idled for a second and closed twice")
    message(FATAL_ERROR "the editor check did not report the 400 x 300 editor")
endif()
if(NOT output MATCHES "summary: 1 of 1 checks passed \\(0 with warnings\\), 0 failed, 0 skipped")
    message(FATAL_ERROR "unexpected summary for the editor-enabled library")
endif()

validate_editor(${SHIPPED_LIBRARY} ${SCRATCH}/shipped.json)
if(NOT status STREQUAL "skipped")
    message(FATAL_ERROR "editor check on the shipped library: ${status}, expected skipped")
endif()
if(NOT output MATCHES "skipped: the plug-in has no editor")
    message(FATAL_ERROR "the shipped library's editor check was skipped for another reason")
endif()

# A plug-in that claims an editor and opens nothing into the host's window is warned about; one
# whose effEditOpen crashes fails the check, in its own process.
if(EMPTY_EDITOR_LIBRARY)
    validate_editor(${EMPTY_EDITOR_LIBRARY} ${SCRATCH}/empty.json)
    if(NOT status STREQUAL "warning")
        message(FATAL_ERROR "editor check on an editor without window: ${status}, expected warning")
    endif()
    if(NOT output MATCHES "warning: the editor put no window into the host's window \\(round 1\\)")
        message(FATAL_ERROR "the editor without window was not named")
    endif()
    if(NOT output MATCHES "editor of 320 x 200 pixels")
        message(FATAL_ERROR "the editor's size was not taken from effEditGetRect")
    endif()
endif()
if(CRASHING_EDITOR_LIBRARY)
    execute_process(COMMAND ${WITH_XVFB} ${PLUGHOST} validate ${CRASHING_EDITOR_LIBRARY}
                            --only editor --json ${SCRATCH}/crash.json
                    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE err)
    message(STATUS "${output}${err}")
    if(NOT code EQUAL 1)
        message(FATAL_ERROR "validate exit code ${code} for a crashing editor, expected 1")
    endif()
    if(NOT output MATCHES "FAIL +editor" OR NOT output MATCHES "while opening the editor \\(round 1\\)")
        message(FATAL_ERROR "the crash was not reported as the editor check's failure")
    endif()
endif()
