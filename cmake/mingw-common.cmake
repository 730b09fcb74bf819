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
