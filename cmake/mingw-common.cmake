# SPDX-License-Identifier: MIT
# Shared part of the mingw-w64 toolchains. The -posix compilers carry the C++ threading
# support; the default win32-thread ones do not.
set(CMAKE_C_COMPILER ${QT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QT_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Everything links the C++ runtime, libgcc and winpthread statically: a host has none of
# their DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# Test programs of either width run under wine (tools/wine-run.sh picks the loader). Where
# Windows programs cannot run, -DCMAKE_CROSSCOMPILING_EMULATOR= (empty) builds only what is
# checked statically.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh CACHE FILEPATH
    "Runs the Windows test programs (empty: none are built)")
