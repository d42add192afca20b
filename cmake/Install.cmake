# What `cmake --install` lays out under the prefix, and the Debian package
# CPack makes of it (scripts/package.sh). An installed program keeps the
# user's files in the XDG folders (app/settings/AppPaths.h); what comes with
# it lies in share/baltero/.
include(GNUInstallDirs)

set(BALTERO_APP_ID "example.baltero.Baltero" CACHE STRING "Reverse-DNS name of the desktop entry and of the AppStream component")
string(TIMESTAMP BALTERO_RELEASE_DATE "%Y-%m-%d" UTC)

install(TARGETS Baltero baltero-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The server's engine, the progress chart and printing, loaded by the program from this folder.
install(TARGETS baltero-pg baltero-chart baltero-print LIBRARY DESTINATION ${BALTERO_MODULE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/questionario-esempio.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/baltero)
# The user guide the build makes beside the program (docs/).
install(FILES "${BALTERO_USER_GUIDE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/baltero)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/baltero)

# The menu entry, the icon in the theme (the SVG and PNGs drawn from it) and
# the software centre's description.
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/baltero.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${BALTERO_APP_ID}.desktop)
install(FILES ${CMAKE_SOURCE_DIR}/resources/pictures/program-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME baltero.svg)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/icons/baltero-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME baltero.png)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/baltero.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${BALTERO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${BALTERO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package. Its dependencies are read from the libraries the
# program and its modules link (dpkg-shlibdeps), plus what is loaded
# at run time: Qt's platform plugins and Qt's own Italian texts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME baltero)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BALTERO_RIGHTS_HOLDER}")
set(CPACK_PACKAGE_CONTACT "${BALTERO_RIGHTS_HOLDER} <${BALTERO_MAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "questionari di osservazione dello sviluppo per la scuola dell'infanzia")
set(CPACK_PACKAGE_DESCRIPTION "Baltero tiene l'anagrafica dei bambini e degli educatori, un questionario di
osservazione diviso in aree e fasi e le compilazioni di ogni bambino, con
punteggi calcolati durante la compilazione e relazioni in HTML.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BALTERO_WEB_SITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# Opening the user guide and the reports goes through the desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
