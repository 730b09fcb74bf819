#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building and testing need on Debian 12: compilers, CMake, GoogleTest, Google
# Benchmark, libsndfile and libsoxr (plughost's files and sample-rate conversion), FFTW
# (benchmarks only), mingw-w64 cross compilers, wine64 and wine32 for Windows tests, cairo, Xlib,
# fontconfig and libjpeg with an Xvfb server for the toolkit's Linux back end and its window
# tests, the LV2 headers, lilv and its tools (lv2apply) for the LV2 bundle and its tests, clang
# with its libFuzzer runtime for the fuzz targets, and a German locale (tests check that number
# texts ignore the locale).
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config file
    googletest libgtest-dev libbenchmark-dev
    libsndfile1-dev libsoxr-dev libfftw3-dev
    locales
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine64 wine32:i386 fonts-liberation
    libcairo2-dev libx11-dev libfontconfig-dev libjpeg62-turbo-dev xvfb xauth
    lv2-dev liblilv-dev lilv-utils
    clang-14 libclang-rt-14-dev
)

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

# wine32 comes from the i386 architecture; apt learns of its packages with the update below.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (for wine32)"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "setup: generating the de_DE.UTF-8 locale"
    "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
echo "setup: everything is installed"
