# SPDX-License-Identifier: MIT
# Fails when LIBRARY needs a window-system or drawing library (X11, xcb, cairo, fontconfig,
# FreeType, PNG, JPEG): the shipped plug-in has no editor and loads on machines without them.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "objdump could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${dump}")
if(NOT needed)
    message(FATAL_ERROR "no dynamic dependencies found in ${LIBRARY}: not a shared object?")
endif()
foreach(entry ${needed})
    string(REGEX REPLACE "NEEDED +" "" name "${entry}")
    message(STATUS "needs ${name}")
    if(name MATCHES "^lib(X11|xcb|Xext|Xrender|cairo|fontconfig|freetype|png|jpeg|turbojpeg)")
        message(FATAL_ERROR "${LIBRARY} needs ${name}")
    endif()
endforeach()
