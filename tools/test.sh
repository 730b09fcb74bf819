#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole test suite. Every stage must pass for the run to pass:
#   1. Linux x86-64, Release: unit, host-boundary, audio-path and plughost tests; the toolkit's
#      X11 back end and the editor-enabled library under Xvfb servers of their own
#      (tools/with-xvfb.sh)
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   3. Windows x86 (32-bit): checked statically (exports, imports, SSE2-only arithmetic, record
#      layouts as compile-time assertions), and the test programs of stage 4 built for x86 and
#      run under wine's 32-bit loader. Whether this machine runs 32-bit Windows programs is
#      found out by running a tiny one; where it cannot (a kernel without 32-bit support, no
#      wine32), one line says so and the stage passes on its static checks.
#   4. Windows x64: the same test programs, run under wine64, and plughost.exe run on the
#      Windows DLLs (info, WAV processing, the editor's picture, validate)
#   5. the libFuzzer targets (clang, sanitizers), 20 s each from the committed seeds
# Each Windows stage has a wine prefix of its own (tools/wine-run.sh); both are made while
# stage 1 builds. Every stage ends with its elapsed and CPU seconds, the run with a table.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
require_toolchains
require_wine
require_fuzzing

jobs=$(nproc)
prefix_x86=$PWD/build-windows-x86/wine-prefix
prefix_x64=${QT_WINEPREFIX:-$PWD/build-windows-x64/wine-prefix}
probe_result=build-windows-x86/wine-probe/result
probe_job=""
prepare_job=""
# Stops what still runs in the background and the prefixes' wine servers, which would
# otherwise linger for a minute after the last program.
finish() {
    for job in $probe_job $prepare_job; do kill "$job" 2>/dev/null || true; done
    for prefix in "$prefix_x86" "$prefix_x64"; do
        WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    done
}
trap finish EXIT

# CPU seconds of this script and the programs it has waited for.
cpu_seconds() {
    local stat
    read -ra stat </proc/$$/stat
    echo $(((stat[13] + stat[14] + stat[15] + stat[16]) / $(getconf CLK_TCK)))
}
summary=()
current=""
stage_end() {
    [[ -n $current ]] || return 0
    local line
    line=$(printf '%5d s elapsed, %5d s CPU: %s' $((SECONDS - started)) \
        $(($(cpu_seconds) - started_cpu)) "$current")
    summary+=("$line")
    printf '===== %s\n' "$line"
}
stage() {
    stage_end
    current=$*
    started=$SECONDS
    started_cpu=$(cpu_seconds)
    printf '\n===== %s\n' "$*"
}
build_and_test() { # folder, CMake arguments...
    local folder=$1
    shift
    cmake -S . -B "$folder" "$@" >/dev/null
    cmake --build "$folder" -j "$jobs"
    ctest --test-dir "$folder" --output-on-failure --no-tests=error -j "$jobs"
}

# Whether 32-bit Windows programs run here: "runs", else the reason. The tiny program answers
# its pointer width; running it makes stage 3's prefix.
probe_32bit() {
    if [[ ! -x /usr/lib/wine/wine ]]; then
        echo "wine32 (i386) is not installed (tools/setup.sh installs it)"
        return
    fi
    local answer
    if ! answer=$(timeout 60 /usr/lib/wine/wine --version 2>&1); then
        answer=${answer%%$'\n'*}
        echo "this machine does not run 32-bit programs (wine32: ${answer:-no answer})"
        return
    fi
    local probe=build-windows-x86/wine-probe/width.exe
    printf 'int main(void) { return (int)sizeof(void*) * 8; }\n' |
        i686-w64-mingw32-gcc -x c - -o "$probe" 2>/dev/null ||
        { echo "the 32-bit probe program did not build"; return; }
    local status=0
    QT_WINEPREFIX=$prefix_x86 timeout -k 10 300 tools/wine-run.sh "$probe" >/dev/null 2>&1 ||
        status=$?
    if ((status == 32)); then
        echo runs
    else
        echo "a 32-bit Windows program did not run under wine (exit status $status)"
    fi
}
mkdir -p "$(dirname "$probe_result")"
probe_32bit >"$probe_result" 2>/dev/null &
probe_job=$!
QT_WINEPREFIX=$prefix_x64 tools/wine-run.sh --prepare >/dev/null 2>&1 &
prepare_job=$!

stage "Linux x86-64"
build_and_test build -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_TOOLS=ON -DQT_BUILD_TESTS=ON -DQT_BUILD_BENCH=ON

stage "Linux x86-64 with AddressSanitizer and UndefinedBehaviorSanitizer"
build_and_test build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQT_SANITIZE=ON \
    -DQT_BUILD_BENCH=OFF

stage "Windows x86 (32-bit, under wine's 32-bit loader where it runs)"
wait "$probe_job" || true
probe_job=""
x86=(build-windows-x86 -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake)
probe=$(head -n 1 "$probe_result")
if [[ $probe == runs ]]; then
    QT_WINEPREFIX=$prefix_x86 build_and_test "${x86[@]}" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/tools/wine-run.sh"
else
    echo "32-bit tests skipped: ${probe:-the probe of 32-bit programs failed}; static checks only"
    build_and_test "${x86[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR=
fi

stage "Windows x64 (under wine64)"
wait "$prepare_job" || true
prepare_job=""
QT_WINEPREFIX=$prefix_x64 build_and_test build-windows-x64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/tools/wine-run.sh"

stage "Fuzzing, 20 s per target (clang, AddressSanitizer and UndefinedBehaviorSanitizer)"
tools/fuzz.sh --seconds 20

stage_end
printf '\n===== all stages passed\n'
printf '%s\n' "${summary[@]}"
