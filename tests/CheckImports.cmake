# SPDX-License-Identifier: MIT
# cmake -DLIBRARY=<dll> -DOBJDUMP=<objdump> -P CheckImports.cmake
# Fails when the DLL imports anything but Windows system libraries (a C++ runtime, libgcc or
# winpthread DLL would be missing on the host's machine).
set(system_dlls
    kernel32.dll msvcrt.dll ntdll.dll user32.dll gdi32.dll advapi32.dll shell32.dll
    ole32.dll oleaut32.dll gdiplus.dll comdlg32.dll ws2_32.dll)
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" rows "${dump}")
if(NOT rows)
    message(FATAL_ERROR "${LIBRARY} shows no import table")
endif()
set(foreign "")
set(all "")
foreach(row IN LISTS rows)
    string(REGEX REPLACE "DLL Name: *" "" name "${row}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    list(APPEND all ${name})
    list(FIND system_dlls ${lower} found)
    if(found EQUAL -1 AND NOT lower MATCHES "^api-ms-win-")
        list(APPEND foreign ${name})
    endif()
endforeach()
if(foreign)
    message(FATAL_ERROR "${LIBRARY} imports non-system DLLs: ${foreign} (all: ${all})")
endif()
message(STATUS "${LIBRARY} imports ${all}")
