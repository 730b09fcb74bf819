#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole test suite. Every stage must pass for the run to pass:
#   1. Linux x86-64, Release: unit, host-boundary, audio-path and plughost tests; the toolkit's
#      X11 back end and the editor-enabled library under Xvfb servers of their own
#      (tools/with-xvfb.sh)
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   3. Windows x86 (32-bit): built and checked statically (exports, imports, SSE2-only
#      arithmetic, record layouts as compile-time assertions); this kernel cannot run 32-bit
#      programs
#   4. Windows x64: the same test programs, run under wine64, and plughost.exe run on the
#      Windows DLLs (info, WAV processing, the editor's picture)
#   5. the libFuzzer targets (clang, sanitizers), 20 s each from the committed seeds
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
require_toolchains
require_wine
require_fuzzing

jobs=$(nproc)
stage() { printf '\n===== %s\n' "$*"; }
build_and_test() { # folder, CMake arguments...
    local folder=$1
    shift
    cmake -S . -B "$folder" "$@" >/dev/null
    cmake --build "$folder" -j "$jobs"
    ctest --test-dir "$folder" --output-on-failure --no-tests=error -j "$jobs"
}

stage "Linux x86-64"
build_and_test build -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_TOOLS=ON -DQT_BUILD_TESTS=ON -DQT_BUILD_BENCH=ON

stage "Linux x86-64 with AddressSanitizer and UndefinedBehaviorSanitizer"
build_and_test build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQT_SANITIZE=ON \
    -DQT_BUILD_BENCH=OFF

stage "Windows x86 (32-bit, static checks)"
build_and_test build-windows-x86 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake

stage "Windows x64 (under wine64)"
export QT_WINEPREFIX=${QT_WINEPREFIX:-$PWD/build-windows-x64/wine-prefix}
# The wine server of the test prefix would linger for a minute after the last program.
trap 'WINEPREFIX=$QT_WINEPREFIX /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true' EXIT
build_and_test build-windows-x64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake

stage "Fuzzing, 20 s per target (clang, AddressSanitizer and UndefinedBehaviorSanitizer)"
tools/fuzz.sh --seconds 20

stage "all stages passed"
