# SPDX-License-Identifier: MIT
# The Debian package: the plug-in in /usr/lib/vst (where Linux hosts look), its LV2 bundle in
# /usr/lib/lv2 (where LV2 hosts look) and plughost in /usr/bin. `cpack -G DEB` in a native build
# folder (or tools/package.sh) makes qualtrevin-trimmer_<version>_amd64.deb; its dependencies
# are read from the binaries.
install(TARGETS qualtrevin_trimmer LIBRARY DESTINATION lib/vst COMPONENT vst EXCLUDE_FROM_ALL)
set(CPACK_COMPONENTS_ALL vst plughost)
if(TARGET qualtrevin_trimmer_lv2)
    install(TARGETS qualtrevin_trimmer_lv2
            LIBRARY DESTINATION lib/lv2/qualtrevin_trimmer.lv2 COMPONENT lv2bundle EXCLUDE_FROM_ALL)
    install(FILES ${QT_LV2_BUNDLE_DIR}/manifest.ttl ${QT_LV2_BUNDLE_DIR}/qualtrevin_trimmer.ttl
            DESTINATION lib/lv2/qualtrevin_trimmer.lv2 COMPONENT lv2bundle EXCLUDE_FROM_ALL)
    list(APPEND CPACK_COMPONENTS_ALL lv2bundle)
endif()
# cpack packs what is built and does not build the whole tree (tests included) first; the
# package's two targets are built by then (tools/package.sh builds them).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qualtrevin-trimmer)
set(CPACK_PACKAGE_VENDOR Qualtrevin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "8-channel level trimmer VST 2.4 and LV2 plug-in and the plughost command-line host")
set(CPACK_PACKAGE_CONTACT "Qualtrevin <packages@qualtrevin.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME "qualtrevin-trimmer_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Multiplies four stereo pairs by their own gain, -12 to +12 dB. The plug-in
 libraries (VST 2.4, and LV2 as the bundle qualtrevin_trimmer.lv2) need only the C
 library; plughost runs any VST 2.4 plug-in offline over audio files and validates
 plug-in libraries (plughost validate).")
set(CPACK_PACKAGE_FILE_NAME "qualtrevin-trimmer_${PROJECT_VERSION}_amd64")
include(CPack)
