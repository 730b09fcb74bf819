# SPDX-License-Identifier: MIT
# cmake -DARCHIVE=<static library> -DOBJDUMP=<objdump> -P CheckNoX87.cmake
# Fails when the code of the archive uses x87 arithmetic. Moving a double through the x87
# stack (the 32-bit calling convention returns doubles there) is exact and allowed; adding,
# multiplying, dividing or converting with the x87 unit would round to 80 bits first.
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${ARCHIVE}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${ARCHIVE}")
endif()
string(REGEX MATCHALL "\t(fi?add|fi?sub|fi?subr|fi?mul|fi?div|fi?divr|fsqrt|fprem1?|fscale|fsin|fcos|fsincos|fptan|fpatan|fyl2x|fyl2xp1|f2xm1|frndint|fistt?p?)[lsq]?p? [^\n]*" hits "${dump}")
if(hits)
    list(LENGTH hits count)
    list(SUBLIST hits 0 5 first)
    message(FATAL_ERROR "${ARCHIVE} has ${count} x87 arithmetic instructions, e.g. ${first}")
endif()
string(REGEX MATCHALL "\t(mulsd|addsd|divsd|subsd|cvtss2sd|cvtsd2ss)" sse "${dump}")
list(LENGTH sse sse_count)
if(sse_count EQUAL 0)
    message(FATAL_ERROR "${ARCHIVE} shows no SSE2 double arithmetic at all; wrong file?")
endif()
message(STATUS "${ARCHIVE}: no x87 arithmetic, ${sse_count} SSE2 double operations")
