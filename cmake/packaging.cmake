# Installation layout and the Debian package (scripts/package builds it with CPack).
#
# /usr/bin                              lapiro-manager, lapiro-install (and further tools)
# /usr/share/lapiro-manager/Help        the help pages, read when a stock has none of its own
# /usr/share/applications               lapiro-manager.desktop
# /usr/share/icons/hicolor/*/apps       the program's icon, SVG and PNG sizes
# /usr/share/metainfo                   AppStream metainfo
# /usr/share/man/man1, /usr/share/doc   manual pages, copyright and changelog

install(TARGETS lapiro-manager lapiro-install lapiro-coi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help pages are made by the installer itself, so the package carries exactly the pages a
# new stock would get. Built by the target lapiro_packaged_help (scripts/package builds it).
set(LAPIRO_PACKAGED_HOME ${CMAKE_BINARY_DIR}/packaged-home)
add_custom_target(lapiro_packaged_help
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${LAPIRO_PACKAGED_HOME}
  COMMAND $<TARGET_FILE:lapiro-install> --home ${LAPIRO_PACKAGED_HOME}
          --config-dir ${LAPIRO_PACKAGED_HOME}/config > /dev/null
  DEPENDS lapiro-install
  COMMENT "Help pages for the package")
install(DIRECTORY ${LAPIRO_PACKAGED_HOME}/Help DESTINATION ${CMAKE_INSTALL_DATADIR}/lapiro-manager
        OPTIONAL)

install(FILES ${CMAKE_SOURCE_DIR}/data/lapiro-manager.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# AppStream wants the file named after the component id it holds.
install(FILES ${CMAKE_SOURCE_DIR}/data/de.lapiro_manager.LapiroManager.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/lapiro-manager.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/lapiro-manager-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME lapiro-manager.png)
endforeach()

# Manual pages and the documents every Debian package carries, compressed as Debian wants them.
set(LAPIRO_DOC_DIR ${CMAKE_BINARY_DIR}/packaged-doc)
file(MAKE_DIRECTORY ${LAPIRO_DOC_DIR})
foreach(page lapiro-manager.1 lapiro-install.1 lapiro-coi.1)
  add_custom_command(OUTPUT ${LAPIRO_DOC_DIR}/${page}.gz
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/man/${page} > ${LAPIRO_DOC_DIR}/${page}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/data/man/${page})
  list(APPEND LAPIRO_DOC_FILES ${LAPIRO_DOC_DIR}/${page}.gz)
  install(FILES ${LAPIRO_DOC_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
endforeach()
add_custom_command(OUTPUT ${LAPIRO_DOC_DIR}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/changelog > ${LAPIRO_DOC_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/data/changelog)
add_custom_target(lapiro_packaged_doc DEPENDS ${LAPIRO_DOC_FILES} ${LAPIRO_DOC_DIR}/changelog.gz)
add_dependencies(lapiro_packaged_help lapiro_packaged_doc)
install(FILES ${LAPIRO_DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lapiro-manager OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lapiro-manager)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lapiro-manager)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lapiro Manager")
set(CPACK_PACKAGE_CONTACT "Lapiro Manager <team@lapiro-manager.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zuchtbuch für Rassekaninchen")
set(CPACK_PACKAGE_DESCRIPTION
    "Lapiro Manager verwaltet den Zuchtbestand eines Züchters von\n\
Rassekaninchen: Tiere mit Tätowierung, Rasse, Farbe und Eltern,\n\
Stammbäume über fünf Generationen, Erbformeln und Inzuchtgrad, Würfe\n\
und Jungtiere, Ausstellungen, Gesundheit, Adressen und Kassenbuch.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries the binaries link (found by shlibdeps): the printouts' font, which no
# binary links. Qt's X11 and Wayland platform plugins come with libqt6gui6, and the window
# icon is made of PNG sizes, so neither qt6-qpa-plugins nor an SVG image plugin is needed.
# Recommended: German texts on Qt's own buttons, and xdg-open for the desktop's text editor.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.lapiro-manager.de/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
