# SPDX-License-Identifier: MIT
# `plughost validate --only editor` against a display of its own: the editor-enabled library
# (EDITOR_LIBRARY) passes the check, the shipped library (SHIPPED_LIBRARY, no editor) has it
# reported as skipped, and neither run fails.
# Runs the check on `library`, requires its status to be `expected`, and leaves what validate
# printed in `output`.
function(validate_editor library json expected)
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
    if(NOT CMAKE_MATCH_1 STREQUAL expected)
        message(FATAL_ERROR "editor check on ${library}: ${CMAKE_MATCH_1}, expected ${expected}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

# Fails with `complaint` unless the last run printed something matching `pattern`.
function(expect_output pattern complaint)
    if(NOT output MATCHES "${pattern}")
        message(FATAL_ERROR "${complaint}")
    endif()
endfunction()

file(REMOVE ${SCRATCH}/editor.json ${SCRATCH}/shipped.json)
file(MAKE_DIRECTORY ${SCRATCH})

validate_editor(${EDITOR_LIBRARY} ${SCRATCH}/editor.json pass)
expect_output("editor of 400 x 300 pixels opened, idled for a second and closed twice"
              "the editor check did not report the 400 x 300 editor")
expect_output("summary: 1 of 1 checks passed \\(0 with warnings\\), 0 failed, 0 skipped"
              "unexpected summary for the editor-enabled library")

validate_editor(${SHIPPED_LIBRARY} ${SCRATCH}/shipped.json skipped)
expect_output("skipped: the plug-in has no editor"
              "the shipped library's editor check was skipped for another reason")

# A plug-in that claims an editor and opens nothing into the host's window is warned about; one
# whose effEditOpen crashes fails the check, in its own process.
if(EMPTY_EDITOR_LIBRARY)
    validate_editor(${EMPTY_EDITOR_LIBRARY} ${SCRATCH}/empty.json warning)
    expect_output("warning: the editor put no window into the host's window \\(round 1\\)"
                  "the editor without window was not named")
    expect_output("editor of 320 x 200 pixels"
                  "the editor's size was not taken from effEditGetRect")
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
