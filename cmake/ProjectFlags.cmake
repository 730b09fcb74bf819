# SPDX-License-Identifier: MIT
# Compiler flags shared by every target of the project, and the plug-in library rule.

# Sanitizers apply to everything built here (GoogleTest included) so that the instrumented
# code and its callers agree.
if(QT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(qt_flags INTERFACE)
target_compile_options(qt_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wconversion -Wno-sign-conversion -Wcast-qual -Werror
    # Strict IEEE arithmetic: the NaN and infinity rules and the bit-exact unity path depend on it,
    # and contracted multiply-adds would make targets disagree.
    -fno-fast-math -ffp-contract=off)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang (the fuzz build) does not know GCC's loop pragmas (ivdep), which only hint, and
    # counts the editor's members as unused while the editor path is not built.
    target_compile_options(qt_flags INTERFACE -Wno-unknown-pragmas -Wno-unused-private-field)
endif()
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$" OR QT_TARGET_X86)
    # 32-bit x86: doubles in SSE2 registers (x87 would keep 80-bit intermediates), and a stack
    # realigned at every entry because 32-bit hosts may call with 4-byte alignment.
    target_compile_options(qt_flags INTERFACE -msse2 -mfpmath=sse -mstackrealign)
endif()

# qt_add_plugin(<name> <sources>... [VERSION_SCRIPT <file>]): a loadable plug-in library named
# <name> (no "lib" prefix) that links the core statically and exports exactly VSTPluginMain,
# main and MAIN (cmake/exports.map; on Windows cmake/exports.def), or on Linux what the given
# version script lists instead.
function(qt_add_plugin name)
    cmake_parse_arguments(ARG "" "VERSION_SCRIPT" "" ${ARGN})
    if(NOT ARG_VERSION_SCRIPT)
        set(ARG_VERSION_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/exports.map)
    endif()
    add_library(${name} MODULE ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE qualtrevin_core)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # The entry's source instantiates the processing loops. Scheduling before register
        # allocation lets GCC put a vector step's loads of all channels ahead of its stores, so
        # that fewer loads wait behind a store to the same place within another 4 KiB page
        # (measured: the 64-bit path 5-10 % faster at 512 frames with AVX2 and AVX-512).
        target_compile_options(${name} PRIVATE -fschedule-insns -fsched-pressure)
    endif()
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugin
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugin)
    if(WIN32)
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/host/ModuleEntry_win32.cpp
                                       ${PROJECT_SOURCE_DIR}/cmake/exports.def)
        target_link_options(${name} PRIVATE -static)
    else()
        target_link_options(${name} PRIVATE
            -Wl,--version-script=${ARG_VERSION_SCRIPT})
        if(NOT (QT_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
            # clang links the sanitizer runtime into executables only: a sanitized library
            # leaves its symbols to the host program.
            target_link_options(${name} PRIVATE -Wl,--no-undefined)
        endif()
        if(NOT QT_SANITIZE)
            # The C++ runtime and libgcc go inside the library, so that it needs only the C
            # library, the maths library and the loader, and loads on distributions whose
            # libstdc++ is older than the compiler's. The version script keeps their symbols
            # local. Sanitizer builds keep the shared runtime: their allocator and the tests'
            # replaced operator new must see the library's allocations. Dropping the unused
            # sections of the runtime also drops its newest C library needs (arc4random of
            # std::random_device, 2.36).
            target_link_options(${name} PRIVATE -static-libstdc++ -static-libgcc
                                -Wl,--gc-sections)
        endif()
        set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${ARG_VERSION_SCRIPT})
    endif()
endfunction()
