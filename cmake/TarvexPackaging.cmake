# Desktop integration and the Debian package.
set(TARVEX_INSTALLED_EXEC "${CMAKE_INSTALL_FULL_BINDIR}/NimboClient")
configure_file(${CMAKE_SOURCE_DIR}/packaging/nimboclient.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/nimboclient.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/nimboclient.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/res/skin/128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME nimboclient.png)
# Software centres list the launcher by its AppStream entry.
set(TARVEX_METAINFO example.tarvex.NimboClient.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${TARVEX_METAINFO} ${CMAKE_BINARY_DIR}/packaging/${TARVEX_METAINFO} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TARVEX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimboclient)
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Tarvex launcher developers <launcher@tarvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop launcher of the Tarvex game portal")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "NimboClient shows the Tarvex game portal in an embedded Chromium browser\n"
  "(Qt WebEngine). With a one-time login token left for it, it asks the portal\n"
  "for the player's game and opens it: a web game in a game window of its own,\n"
  "or a native client game, downloaded and installed first when missing, then\n"
  "started with a desktop shortcut. Windows client games run through wine.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The shortcuts the launcher writes name its installed path, fixed at configure time.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# A launcher of web and client games that contains no game itself.
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Libraries the binaries link are found by dpkg-shlibdeps; listed by hand is only what it
# cannot see: libcurl, loaded by the first transfer, libcrypto (libssl3), loaded by the
# first installer checksum, and the programs the launcher runs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libssl3, xdg-utils")
# Windows client games and their installers run through wine; web games need none.
# Without XWayland, the launcher runs as a native Wayland client.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, qt6-wayland, locales-all, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/packaging/postinst;${CMAKE_SOURCE_DIR}/packaging/postrm")

# Debian's documentation files, compressed as Debian policy asks (gzip -9n).
set(TARVEX_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
function(tarvex_gzip_file source target)
  configure_file(${source} ${CMAKE_BINARY_DIR}/packaging/${target} @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/${target} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
tarvex_gzip_file(${CMAKE_SOURCE_DIR}/packaging/changelog.Debian.in changelog.Debian)
tarvex_gzip_file(${CMAKE_SOURCE_DIR}/packaging/NimboClient.1 NimboClient.1)
tarvex_gzip_file(${CMAKE_SOURCE_DIR}/packaging/nimbo-game.1 nimbo-game.1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${TARVEX_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/NimboClient.1.gz ${CMAKE_BINARY_DIR}/packaging/nimbo-game.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# lintian's warnings that do not apply here, each with its reason.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${CPACK_PACKAGE_NAME})
include(CPack)
