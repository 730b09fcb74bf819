# SPDX-License-Identifier: MIT
# Shared checks of the build scripts: a missing tool stops the script with the package to
# install, never with a silent skip.

missing_tool() { # what, package
    echo "error: $1 is missing; install the Debian package $2 (./tools/setup.sh installs everything)" >&2
    exit 1
}

require_toolchains() {
    command -v cmake >/dev/null || missing_tool cmake cmake
    command -v g++ >/dev/null || missing_tool g++ g++
    command -v pkg-config >/dev/null || missing_tool pkg-config pkg-config
    [[ -d /usr/src/googletest ]] || missing_tool "GoogleTest sources" googletest
    pkg-config --exists sndfile || missing_tool libsndfile libsndfile1-dev
    pkg-config --exists soxr || missing_tool libsoxr libsoxr-dev
    pkg-config --exists fftw3 || missing_tool FFTW libfftw3-dev
    [[ -f /usr/include/benchmark/benchmark.h ]] || missing_tool "Google Benchmark" libbenchmark-dev
    pkg-config --exists lv2 || missing_tool "the LV2 headers" lv2-dev
    pkg-config --exists lilv-0 || missing_tool lilv liblilv-dev
    command -v lv2apply >/dev/null || missing_tool lv2apply lilv-utils
    command -v i686-w64-mingw32-g++-posix >/dev/null ||
        missing_tool "the 32-bit Windows compiler" g++-mingw-w64-i686
    command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
        missing_tool "the 64-bit Windows compiler" g++-mingw-w64-x86-64
    command -v file >/dev/null || missing_tool file file
}

require_wine() {
    [[ -x /usr/lib/wine/wine64 ]] || missing_tool "wine64 (/usr/lib/wine/wine64)" wine64
}

require_fuzzing() {
    command -v clang++-14 >/dev/null || missing_tool clang++-14 clang-14
    compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
        missing_tool "the libFuzzer runtime" libclang-rt-14-dev
}
