# SPDX-License-Identifier: MIT
# 32-bit Windows (the original x86 target) with mingw-w64. Its programs cannot run on this
# kind of machine, so the build is checked statically (layouts, exports, imports).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
