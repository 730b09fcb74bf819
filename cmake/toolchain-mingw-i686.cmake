# SPDX-License-Identifier: MIT
# 32-bit Windows (the original x86 target) with mingw-w64; test programs run under wine's
# 32-bit loader (Debian package wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
