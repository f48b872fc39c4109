# What `make install` and the .deb carry: the window program with its desktop entry and icons,
# and the command line with its man page, whichever of them this build has.
if(TARGET tabrix-conform)
    install(TARGETS tabrix-conform RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/tabrix-conform.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

if(TARGET tabrix)
    install(TARGETS tabrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(manPage ${CMAKE_BINARY_DIR}/tabrix.1.gz)
    add_custom_command(OUTPUT ${manPage}
        COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/tabrix.1 > ${manPage}
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/tabrix.1
        COMMENT "Compressing the man page")
    add_custom_target(man-page ALL DEPENDS ${manPage})
    install(FILES ${manPage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# `make package`: a .deb whose dependencies dpkg-shlibdeps reads off the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabrix-conform)
set(CPACK_PACKAGE_VENDOR "Tabrix Conform")
set(TABRIX_PACKAGE_MAINTAINER "Tabrix Conform developers <tabrix-conform@localhost>"
    CACHE STRING "Maintainer field of the .deb")
set(CPACK_PACKAGE_CONTACT ${TABRIX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Conform a recording project's Broadcast WAV takes into one continuous file")
set(CPACK_PACKAGE_DESCRIPTION
    "Lays every take of a recording project on one timeline, where the most recent recording
wins any overlap, fills gaps with silence, fades between different recordings and writes one
Broadcast WAV file (or a pair of mono files) at 16 or 24 bit whose time reference lines up with
the project's timeline. A desktop window and a command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
