# SPDX-License-Identifier: MIT
# cmake -DLV2APPLY=<lv2apply> -DLV2_PATH=<folder of the bundle> -DURI=<plug-in URI>
#       -DPLUGHOST=<plughost> -DTRIMMER=<VST 2.4 library> -DSCRATCH=<folder>
#       [-DPRELOAD=<libraries lv2apply loads first>] -P CheckLv2Apply.cmake
# Renders a generated 8-channel file through the LV2 bundle with lv2apply, levels 1 and 3 set to
# -6 and +3.5 dB, and measures the gain of every channel: its RMS level in the output against
# the input, both as plughost reports a file's levels.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${SCRATCH}
                    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${output}")
    endif()
endfunction()

# A level in dB as a whole number of thousandths, the further digits dropped.
function(thousandths_of_db text out)
    if(NOT text MATCHES "^(-?)([0-9]+)(\\.([0-9]*))?$")
        message(FATAL_ERROR "not a level: ${text}")
    endif()
    string(SUBSTRING "${CMAKE_MATCH_4}000" 0 3 thousandths)
    math(EXPR value "${CMAKE_MATCH_2} * 1000 + ${thousandths}")
    set(${out} "${CMAKE_MATCH_1}${value}" PARENT_SCOPE)
endfunction()

run(${PLUGHOST} gen -o in.wav --channels 8 --seconds 1)
string(STRIP "${PRELOAD}" PRELOAD)
run(${CMAKE_COMMAND} -E env LV2_PATH=${LV2_PATH} "LD_PRELOAD=${PRELOAD}"
    ${LV2APPLY} -i in.wav -o out.wav -c level1 -6 -c level3 3.5 ${URI})
# plughost reports the levels of the file it reads (the trimmer at 0 dB passes it unchanged).
foreach(file in out)
    run(${PLUGHOST} process ${TRIMMER} -i ${file}.wav -o ${file}-again.wav --json ${file}.json)
    file(READ ${SCRATCH}/${file}.json ${file}_report)
endforeach()

set(gains -6 -6 0 0 3.5 3.5 0 0)
foreach(channel RANGE 7)
    list(GET gains ${channel} gain)
    string(JSON before GET "${in_report}" levels ${channel} input rmsDb)
    string(JSON after GET "${out_report}" levels ${channel} input rmsDb)
    thousandths_of_db(${before} before_t)
    thousandths_of_db(${after} after_t)
    thousandths_of_db(${gain} gain_t)
    math(EXPR error "${after_t} - ${before_t} - ${gain_t}")
    if(error GREATER 5 OR error LESS -5)
        message(FATAL_ERROR "channel ${channel}: ${before} dB in, ${after} dB out, not ${gain} dB")
    endif()
    message(STATUS "channel ${channel}: ${before} dB in, ${after} dB out (${gain} dB)")
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
