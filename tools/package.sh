#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the packages people install, into dist/:
#   qualtrevin-trimmer_<version>_amd64.deb   the Linux plug-in in /usr/lib/vst, its LV2 bundle in
#                                            /usr/lib/lv2, plughost in /usr/bin (cpack, from a
#                                            Release build in build/)
#   qualtrevin-trimmer_<version>_windows.zip  x86/ and x64/ qualtrevin_trimmer.dll and plughost.exe
#                                            and a read-me (from build-windows-x86/ and
#                                            build-windows-x64/)
# and checks what each one holds.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
require_toolchains

jobs=$(nproc)
version=$(sed -n 's/^project(qualtrevin_trimmer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p dist

# ---- Debian package ----------------------------------------------------------------------------
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs" --target qualtrevin_trimmer qualtrevin_trimmer_lv2 plughost
deb=qualtrevin-trimmer_${version}_amd64.deb
rm -rf build/package && cpack -G DEB --config build/CPackConfig.cmake -B build/package >/dev/null
cp "build/package/$deb" dist/
listing=$(dpkg-deb -c "dist/$deb" | awk '{print $6}' | grep -v '/$' | sort | tr '\n' ' ')
bundle=./usr/lib/lv2/qualtrevin_trimmer.lv2
[[ $listing == "./usr/bin/plughost $bundle/manifest.ttl $bundle/qualtrevin_trimmer.so \
$bundle/qualtrevin_trimmer.ttl ./usr/lib/vst/qualtrevin_trimmer.so " ]] ||
    { echo "package.sh: $deb holds: $listing" >&2; exit 1; }
echo "dist/$deb: $listing(depends: $(dpkg-deb -f "dist/$deb" Depends))"

# ---- Windows zip -------------------------------------------------------------------------------
stage=build/package/windows
rm -rf "$stage" && mkdir -p "$stage/x86" "$stage/x64"
for arch in x86 x64; do
    triplet=$([[ $arch == x86 ]] && echo i686 || echo x86_64)
    cmake -S . -B "build-windows-$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$triplet.cmake" >/dev/null
    cmake --build "build-windows-$arch" -j "$jobs" --target qualtrevin_trimmer plughost
    cp "build-windows-$arch/plugin/qualtrevin_trimmer.dll" "build-windows-$arch/bin/plughost.exe" \
        "$stage/$arch/"
done
cat >"$stage/README.txt" <<TEXT
Qualtrevin multi-channel level trimmer ${version}, VST 2.4 plug-in for Windows

x86/qualtrevin_trimmer.dll   for 32-bit hosts
x64/qualtrevin_trimmer.dll   for 64-bit hosts
x86/plughost.exe, x64/plughost.exe
                             the command-line host for 32- and 64-bit plug-ins: runs a
                             plug-in over WAV files, shows its editor, validates it
                             (plughost.exe --help)

Copy the library that matches your host into the host's VST plug-in folder and let the host
scan it again. The libraries and programs need no other files: the C++ runtime is linked in.

Eight inputs and outputs taken as four stereo pairs; each pair has its own gain,
"level stereo 1" to "level stereo 4", from -12 to +12 dB in steps of 0.1 dB.
TEXT
sed -i 's/$/\r/' "$stage/README.txt"
zip=qualtrevin-trimmer_${version}_windows.zip
rm -f "dist/$zip"
(cd "$stage" && cmake -E tar cf "$OLDPWD/dist/$zip" --format=zip README.txt \
    x86/qualtrevin_trimmer.dll x86/plughost.exe x64/qualtrevin_trimmer.dll x64/plughost.exe)
contents=$(cmake -E tar tf "dist/$zip" | sort | tr '\n' ' ')
expected="README.txt x64/plughost.exe x64/qualtrevin_trimmer.dll x86/plughost.exe \
x86/qualtrevin_trimmer.dll "
[[ $contents == "$expected" ]] || { echo "package.sh: $zip holds: $contents" >&2; exit 1; }
for arch in x86 x64; do
    kind=$([[ $arch == x86 ]] && echo 'Intel 80386' || echo 'x86-64')
    for file in qualtrevin_trimmer.dll plughost.exe; do
        file -b "$stage/$arch/$file" | grep -q "$kind" ||
            { echo "package.sh: $arch/$file is not built for $kind" >&2; exit 1; }
    done
done
echo "dist/$zip: $contents"
