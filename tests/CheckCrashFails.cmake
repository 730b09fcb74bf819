# SPDX-License-Identifier: MIT
# cmake -DPROBE=<program> [-DEMULATOR=<runner>] [-DWINDOWS=ON] -P CheckCrashFails.cmake
# Runs a program that crashes on purpose and fails unless the run is reported as failed: a
# non-zero exit (or a signal), and on Windows the crash guard's exit code 3 with its message.
set(command ${PROBE})
if(EMULATOR)
    set(command ${EMULATOR} ${PROBE})
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if("${rc}" STREQUAL "0")
    message(FATAL_ERROR "a crashing program exited with 0")
endif()
if(WINDOWS)
    if(NOT "${rc}" STREQUAL "3" OR NOT err MATCHES "test program crashed: exception 0xC0000005")
        message(FATAL_ERROR "crash guard not effective: exit '${rc}', stderr '${err}'")
    endif()
endif()
message(STATUS "crash reported as failure: ${rc}")
