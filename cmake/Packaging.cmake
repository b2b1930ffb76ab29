# Installation into the usual FHS places, and a Debian package built by CPack.
include(GNUInstallDirs)

set(TARVIK_APP_ID org.tarvik.Tarvik)
set(TARVIK_ICON_SIZES 16 32 48 256)

install(TARGETS tarvik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# AudioOutputLoader looks for it there, relative to the program.
install(TARGETS tarvik-audio LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/${TARVIK_PLUGIN_SUBFOLDER})
install(FILES data/${TARVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(data/${TARVIK_APP_ID}.metainfo.xml ${PROJECT_BINARY_DIR}/${TARVIK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TARVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(data/tarvik.1 ${PROJECT_BINARY_DIR}/tarvik.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tarvik.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

foreach(size ${TARVIK_ICON_SIZES})
    install(FILES data/icons/tarvik-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tarvik.png)
endforeach()
install(FILES data/icons/tarvik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_CONTACT "The Tarvik developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
set(CPACK_STRIP_FILES ON)
include(CPack)
