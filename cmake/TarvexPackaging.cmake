# Desktop integration and the Debian package.
set(TARVEX_INSTALLED_EXEC "${CMAKE_INSTALL_FULL_BINDIR}/NimboClient")
configure_file(${CMAKE_SOURCE_DIR}/packaging/nimboclient.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/nimboclient.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/nimboclient.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/res/skin/128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME nimboclient.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimboclient)
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Tarvex launcher developers <launcher@tarvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop launcher of the Tarvex game portal")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The shortcuts the launcher writes name its installed path, fixed at configure time.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginewidgets6, libqt6webenginecore6-bin, libcurl4, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/packaging/postinst;${CMAKE_SOURCE_DIR}/packaging/postrm")
include(CPack)
