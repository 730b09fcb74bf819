# SPDX-License-Identifier: MIT
# The Debian package: the plug-in in /usr/lib/vst (where Linux hosts look) and plughost in
# /usr/bin. `cpack -G DEB` in a native build folder (or tools/package.sh) makes
# qualtrevin-trimmer_<version>_amd64.deb; its dependencies are read from the binaries.
install(TARGETS qualtrevin_trimmer LIBRARY DESTINATION lib/vst COMPONENT vst EXCLUDE_FROM_ALL)
# cpack packs what is built and does not build the whole tree (tests included) first; the
# package's two targets are built by then (tools/package.sh builds them).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qualtrevin-trimmer)
set(CPACK_PACKAGE_VENDOR Qualtrevin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "8-channel level trimmer VST 2.4 plug-in and the plughost command-line host")
set(CPACK_PACKAGE_CONTACT "Qualtrevin <packages@qualtrevin.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL vst plughost)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME "qualtrevin-trimmer_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Multiplies four stereo pairs by their own gain, -12 to +12 dB. The plug-in library
 needs only the C library; plughost runs any VST 2.4 plug-in offline over audio files and
 validates plug-in libraries (plughost validate).")
set(CPACK_PACKAGE_FILE_NAME "qualtrevin-trimmer_${PROJECT_VERSION}_amd64")
include(CPack)
