# po.cmake -- the desktop program's message catalogs, one quarnel.mo a language compiled from
# po/LANG.po (the languages in po/LINGUAS) into the build's locale folder, where the program
# finds them before it is installed. Included by the top-level CMakeLists.txt with the
# desktop program; packaging/package.cmake merges the same .po files into the desktop entry
# and the metainfo.

find_program(MSGFMT msgfmt REQUIRED) # Debian's gettext
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/LINGUAS QUARNEL_LINGUAS)
set(QUARNEL_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
set(QUARNEL_PO_FILES)
set(catalogs)
foreach(language ${QUARNEL_LINGUAS})
  set(po ${CMAKE_CURRENT_LIST_DIR}/${language}.po)
  set(mo ${QUARNEL_LOCALE_DIR}/${language}/LC_MESSAGES/quarnel.mo)
  add_custom_command(
    OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUARNEL_LOCALE_DIR}/${language}/LC_MESSAGES
    COMMAND ${MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling the ${language} messages")
  list(APPEND catalogs ${mo})
  list(APPEND QUARNEL_PO_FILES ${po})
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(message_catalogs ALL DEPENDS ${catalogs})
