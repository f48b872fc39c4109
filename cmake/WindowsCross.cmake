# Settings for the MinGW-w64 cross build (see mingw-w64-x86_64.cmake): only the toolkit-free
# parts are built, the suites run under Wine, and GoogleTest comes from its sources.

set(TABRIX_BUILD_APP OFF CACHE BOOL "" FORCE)   # no Qt for MinGW in the package archive
set(TABRIX_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(TABRIX_TEST_SNDFILE OFF CACHE BOOL "" FORCE) # no MinGW build of libsndfile either

# Each test program and `add_test` command runs through Wine, in a prefix inside this build.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix)

# GoogleTest built for the target compiler, before the project's warning flags apply.
set(TABRIX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TABRIX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# CLI11 and nlohmann/json are header-only: the host's copies serve the cross build too, but
# /usr/include as a whole must stay out of it. A folder of links to just those two headers
# trees stands in, found both as packages and as a plain include path.
set(TABRIX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${TABRIX_HOST_HEADERS})
foreach(tree CLI nlohmann)
    if(EXISTS /usr/include/${tree} AND NOT EXISTS ${TABRIX_HOST_HEADERS}/${tree})
        file(CREATE_LINK /usr/include/${tree} ${TABRIX_HOST_HEADERS}/${tree} SYMBOLIC)
    endif()
endforeach()
include_directories(SYSTEM ${TABRIX_HOST_HEADERS})
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/host-packages CACHE PATH "" FORCE)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/host-packages CACHE PATH "" FORCE)

# pugixml from Debian's source package (tools/windows/fetch-pugixml.sh unpacks it), compiled
# with the target compiler.
set(TABRIX_PUGIXML_SOURCE ${CMAKE_BINARY_DIR}/pugixml-source CACHE PATH "pugixml sources for the cross build")
if(NOT EXISTS ${TABRIX_PUGIXML_SOURCE}/src/pugixml.cpp)
    message(FATAL_ERROR "No pugixml sources in ${TABRIX_PUGIXML_SOURCE}: run tools/windows/fetch-pugixml.sh")
endif()
add_library(tabrix_pugixml STATIC ${TABRIX_PUGIXML_SOURCE}/src/pugixml.cpp)
target_include_directories(tabrix_pugixml SYSTEM PUBLIC ${TABRIX_PUGIXML_SOURCE}/src)
add_library(pugixml::static ALIAS tabrix_pugixml)

# `make windows-package`: the window, the command line and a README.txt in one zip that needs
# nothing else, build-win/tabrix-conform-<version>-windows-x64.zip.
function(tabrix_add_windows_zip)
    set(stage ${CMAKE_BINARY_DIR}/windows-zip)
    set(zip ${CMAKE_BINARY_DIR}/tabrix-conform-${PROJECT_VERSION}-windows-x64.zip)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${stage}/README.txt
                   NEWLINE_STYLE CRLF @ONLY)
    add_custom_command(OUTPUT ${zip}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tabrix-conform> $<TARGET_FILE:tabrix> ${stage}
        # Symbols help nobody who unzips the programs; they stay in the build's own copies.
        COMMAND ${CMAKE_STRIP} --strip-unneeded ${stage}/tabrix-conform.exe ${stage}/tabrix.exe
        COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
        COMMAND ${CMAKE_COMMAND} -E chdir ${stage}
                ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
                tabrix-conform.exe tabrix.exe README.txt
        DEPENDS tabrix-conform tabrix ${stage}/README.txt
        COMMENT "Packing ${zip}")
    add_custom_target(windows-zip DEPENDS ${zip})
endfunction()
