# SPDX-License-Identifier: MIT
# `plughost editor` on a plug-in without an editor: exit code 1 and one line saying so.
execute_process(COMMAND ${WITH_XVFB} ${PLUGHOST} editor ${LIBRARY} --screenshot ${PICTURE}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 1)
    message(FATAL_ERROR "exit code ${code}, expected 1 (stderr: ${err})")
endif()
if(NOT err MATCHES "^plughost: [^\n]*: the plug-in has no editor\n$")
    message(FATAL_ERROR "unexpected message: '${err}'")
endif()
if(EXISTS ${PICTURE})
    message(FATAL_ERROR "a picture was written for a plug-in without editor")
endif()
