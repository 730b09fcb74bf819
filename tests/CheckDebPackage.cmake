# SPDX-License-Identifier: MIT
# cmake -DBUILD_DIR=<build> -DVERSION=<x.y.z> -DPLUGIN=<built .so> -DSCRATCH=<folder>
#       [-DNEEDS_SOXR=ON] [-DLV2_LIBRARY=<built LV2 .so>] -P CheckDebPackage.cmake
# Makes the Debian package of a build with cpack and checks its name, fields and contents: the
# plug-in (the same bytes as built) in /usr/lib/vst, plughost in /usr/bin, with LV2_LIBRARY the
# LV2 bundle (its library the same bytes as built) in /usr/lib/lv2, nothing else.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake
                        -B ${SCRATCH}
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
set(deb ${SCRATCH}/qualtrevin-trimmer_${VERSION}_amd64.deb)
if(NOT EXISTS ${deb})
    file(GLOB made ${SCRATCH}/*.deb)
    message(FATAL_ERROR "no ${deb}; cpack made: ${made}")
endif()

execute_process(COMMAND dpkg-deb -f ${deb} Package Version Architecture Depends
                OUTPUT_VARIABLE fields RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot read ${deb}")
endif()
foreach(expected "Package: qualtrevin-trimmer" "Version: ${VERSION}" "Architecture: amd64")
    string(FIND "${fields}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${deb} lacks '${expected}':\n${fields}")
    endif()
endforeach()
if(NOT fields MATCHES "Depends:[^\n]*libc6" OR NOT fields MATCHES "Depends:[^\n]*libsndfile1")
    message(FATAL_ERROR "${deb} does not depend on libc6 and libsndfile1:\n${fields}")
endif()
if(NEEDS_SOXR AND NOT fields MATCHES "Depends:[^\n]*libsoxr0")
    message(FATAL_ERROR "${deb} does not depend on libsoxr0, which plughost links:\n${fields}")
endif()

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
string(REGEX MATCHALL "\\./[^\n]*[^/\n]\n" files "${listing}")
set(names "")
foreach(row IN LISTS files)
    string(STRIP "${row}" row)
    list(APPEND names ${row})
endforeach()
list(SORT names)
set(expected ./usr/bin/plughost ./usr/lib/vst/qualtrevin_trimmer.so)
set(bundle ./usr/lib/lv2/qualtrevin_trimmer.lv2)
if(LV2_LIBRARY)
    list(APPEND expected ${bundle}/manifest.ttl ${bundle}/qualtrevin_trimmer.so
         ${bundle}/qualtrevin_trimmer.ttl)
    list(SORT expected)
endif()
if(NOT "${names}" STREQUAL "${expected}")
    message(FATAL_ERROR "${deb} holds ${names}")
endif()

execute_process(COMMAND dpkg-deb -x ${deb} ${SCRATCH}/root RESULT_VARIABLE rc)
foreach(pair "${PLUGIN}=vst/qualtrevin_trimmer.so"
             "${LV2_LIBRARY}=lv2/qualtrevin_trimmer.lv2/qualtrevin_trimmer.so")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 built_file)
    list(GET pair 1 packaged_file)
    if(built_file)
        file(SHA256 ${built_file} built)
        file(SHA256 ${SCRATCH}/root/usr/lib/${packaged_file} packaged)
        if(NOT built STREQUAL packaged)
            message(FATAL_ERROR "the packaged ${packaged_file} differs from the built one")
        endif()
    endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "${deb}: ${names}")
