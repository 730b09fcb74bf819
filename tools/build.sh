#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the plug-in for every target (Release):
#   build/plugin/qualtrevin_trimmer.so                 Linux x86-64
#   build-windows-x86/plugin/qualtrevin_trimmer.dll    Windows 32-bit (the original target)
#   build-windows-x64/plugin/qualtrevin_trimmer.dll    Windows 64-bit
# plus the tests, benchmarks and plughost of each build where they apply.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
require_toolchains

jobs=$(nproc)
configure() { # folder, extra CMake arguments...
    local folder=$1
    shift
    cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

echo "== Linux x86-64"
configure build
cmake --build build -j "$jobs"
echo "== Windows x86 (32-bit)"
configure build-windows-x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
cmake --build build-windows-x86 -j "$jobs"
echo "== Windows x64"
configure build-windows-x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
cmake --build build-windows-x64 -j "$jobs"

echo
for library in build/plugin/qualtrevin_trimmer.so build-windows-x86/plugin/qualtrevin_trimmer.dll \
    build-windows-x64/plugin/qualtrevin_trimmer.dll; do
    printf '  %-50s %s\n' "$library" "$(file -b "$library" | cut -d, -f1-2)"
done
