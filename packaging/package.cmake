# package.cmake -- what the Debian package installs beyond the program and its install
# folder (menu entry, icons, metainfo, man page, copyright, changelog), and CPack's DEB
# settings. Included by the top-level CMakeLists.txt with the desktop program.

set(QUARNEL_HOMEPAGE "https://quarnel.org" CACHE STRING "The project's home page")
set(QUARNEL_MAINTAINER "Vorn Games <packages@quarnel.org>" CACHE STRING "Package maintainer")
set(QUARNEL_RELEASE_DATE "2026-12-07")
set(QUARNEL_RELEASE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")

set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
# The desktop entry and the metainfo carry every language's translation: msgfmt merges the
# .po files of po/ into the configured templates.
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel.desktop.in
               ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel.metainfo.xml.in
               ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.metainfo.xml @ONLY)
add_custom_command(
  OUTPUT ${PACKAGING_OUT}/${QUARNEL_APP_ID}.desktop ${PACKAGING_OUT}/${QUARNEL_APP_ID}.metainfo.xml
  COMMAND ${MSGFMT} --desktop -d ${CMAKE_SOURCE_DIR}/po
          --template ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.desktop
          -o ${PACKAGING_OUT}/${QUARNEL_APP_ID}.desktop
  COMMAND ${MSGFMT} --xml -d ${CMAKE_SOURCE_DIR}/po
          --template ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.metainfo.xml
          -o ${PACKAGING_OUT}/${QUARNEL_APP_ID}.metainfo.xml
  DEPENDS ${QUARNEL_PO_FILES} ${CMAKE_SOURCE_DIR}/po/LINGUAS
          ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.desktop
          ${PACKAGING_OUT}/template/${QUARNEL_APP_ID}.metainfo.xml
  COMMENT "Translating the desktop entry and the metainfo")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel.6.in ${PACKAGING_OUT}/quarnel.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel-deck.6.in ${PACKAGING_OUT}/quarnel-deck.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel-cards.6.in ${PACKAGING_OUT}/quarnel-cards.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quarnel-journal.6.in ${PACKAGING_OUT}/quarnel-journal.6
               @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright ${PACKAGING_OUT}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PACKAGING_OUT}/changelog @ONLY)

# Debian keeps man pages and changelogs gzipped, without a time stamp in the header.
find_program(GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${PACKAGING_OUT}/quarnel.6.gz ${PACKAGING_OUT}/quarnel-deck.6.gz
         ${PACKAGING_OUT}/quarnel-cards.6.gz ${PACKAGING_OUT}/quarnel-journal.6.gz
         ${PACKAGING_OUT}/changelog.gz
  COMMAND ${GZIP} -9nkf ${PACKAGING_OUT}/quarnel.6 ${PACKAGING_OUT}/quarnel-deck.6
          ${PACKAGING_OUT}/quarnel-cards.6 ${PACKAGING_OUT}/quarnel-journal.6
          ${PACKAGING_OUT}/changelog
  DEPENDS ${PACKAGING_OUT}/quarnel.6 ${PACKAGING_OUT}/quarnel-deck.6
          ${PACKAGING_OUT}/quarnel-cards.6 ${PACKAGING_OUT}/quarnel-journal.6
          ${PACKAGING_OUT}/changelog
  COMMENT "Compressing the man page and the changelog")
add_custom_target(packaging_files ALL
                  DEPENDS ${PACKAGING_OUT}/quarnel.6.gz ${PACKAGING_OUT}/quarnel-deck.6.gz
                          ${PACKAGING_OUT}/quarnel-cards.6.gz ${PACKAGING_OUT}/quarnel-journal.6.gz
                          ${PACKAGING_OUT}/changelog.gz
                          ${PACKAGING_OUT}/${QUARNEL_APP_ID}.desktop
                          ${PACKAGING_OUT}/${QUARNEL_APP_ID}.metainfo.xml)

install(FILES ${PACKAGING_OUT}/${QUARNEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_OUT}/${QUARNEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${PACKAGING_OUT}/quarnel.6.gz ${PACKAGING_OUT}/quarnel-deck.6.gz
        ${PACKAGING_OUT}/quarnel-cards.6.gz ${PACKAGING_OUT}/quarnel-journal.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PACKAGING_OUT}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The journal's format, which quarnel-journal's man page points to.
install(FILES ${CMAKE_SOURCE_DIR}/docs/journal.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PACKAGING_OUT}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# [SECTION] CPack: quarnel_<version>_<arch>.deb
# Packaging installs what the package holds; it does not build the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUARNEL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # quarnel_1.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUARNEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUARNEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # the dependencies of the binary, from dpkg-shlibdeps
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "tarot readings on a small touch screen\n"
       "Quarnel lays out tarot readings: choose one of six readings, shuffle the\n"
       "78-card deck, turn the cards of the spread and read each card's upright or\n"
       "reversed meaning. It shows a 240 x 320 portrait touch screen in a window,\n"
       "and can be used with the mouse, a touch screen or the keyboard. It speaks\n"
       "English, Spanish, Portuguese, French, Italian and German. It keeps a journal\n"
       "of the readings, which quarnel-journal lists, searches and counts, and where\n"
       "readings drawn from your own deck can be logged. quarnel-cards looks any card\n"
       "up in the terminal, draws the card of the day and writes a deck's printable\n"
       "guidebook.")
include(CPack)
