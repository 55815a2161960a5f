# Installed tree: the executable in a folder of its own (its name gives the ini file and the caption)
# with the full program it starts beside it, the command in bin/ a link to it, the icon in the sizes
# the icon theme looks for, a desktop entry so file managers offer "Open with Korvane", the AppStream
# metadata for software centres, the manual page and the copyright and change log that Debian
# packages carry.
include(GNUInstallDirs)

set(KORVANE_FILE_DESCRIPTION "30秒スキップのできるプレイヤー" CACHE STRING "Comment of the desktop entry")
set(KORVANE_MIME_TYPES "${KORVANE_MIME_TYPE_LIST};")
configure_file(${CMAKE_SOURCE_DIR}/resources/korvane.desktop.in ${CMAKE_BINARY_DIR}/korvane.desktop @ONLY)

set(korvane_staged ${CMAKE_BINARY_DIR}/install)
file(MAKE_DIRECTORY ${korvane_staged})
if(TARGET Korvane)
  install(TARGETS Korvane korvane_program RUNTIME DESTINATION ${KORVANE_APP_INSTALL_DIR})
  file(RELATIVE_PATH korvane_link_target /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${KORVANE_APP_INSTALL_DIR}/Korvane)
  file(CREATE_LINK ${korvane_link_target} ${korvane_staged}/korvane SYMBOLIC)
  install(FILES ${korvane_staged}/korvane DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_BINARY_DIR}/korvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/korvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME korvane.svg)

find_program(KORVANE_CONVERT convert)
if(KORVANE_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/korvane.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND ${KORVANE_CONVERT} -background none ${CMAKE_SOURCE_DIR}/resources/korvane.svg -resize ${size}x${size} ${png}
      DEPENDS ${CMAKE_SOURCE_DIR}/resources/korvane.svg VERBATIM)
    list(APPEND korvane_icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(korvane_icons ALL DEPENDS ${korvane_icon_pngs})
endif()

# AppStream metadata, named after its reverse-DNS id.
set(KORVANE_APPSTREAM_ID example.korvane.Korvane)
set(KORVANE_APPSTREAM_MEDIATYPES "")
foreach(type ${KORVANE_MIME_TYPE_LIST})
  string(APPEND KORVANE_APPSTREAM_MEDIATYPES "    <mediatype>${type}</mediatype>\n")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/resources/korvane.metainfo.xml.in
  ${korvane_staged}/${KORVANE_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${korvane_staged}/${KORVANE_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The copyright line of the version block; the change log's one entry is this release.
set(KORVANE_MAINTAINER "Korvane developers <developers@korvane.example>")
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/VersionBlock.txt KORVANE_LEGAL_COPYRIGHT REGEX "^LegalCopyright=" LIMIT_COUNT 1)
string(REPLACE "LegalCopyright=" "" KORVANE_LEGAL_COPYRIGHT "${KORVANE_LEGAL_COPYRIGHT}")
configure_file(${CMAKE_SOURCE_DIR}/resources/copyright.in ${korvane_staged}/copyright @ONLY)
execute_process(COMMAND date -u -R -d ${KORVANE_RELEASE_DATE}
  OUTPUT_VARIABLE KORVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_SOURCE_DIR}/resources/changelog.in ${korvane_staged}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/korvane.1.in ${korvane_staged}/korvane.1 @ONLY)

# Debian keeps manual pages and change logs compressed, without a time stamp.
foreach(file korvane.1 changelog)
  add_custom_command(OUTPUT ${korvane_staged}/${file}.gz
    COMMAND sh -c "gzip -9n -c ${file} > ${file}.gz"
    WORKING_DIRECTORY ${korvane_staged}
    DEPENDS ${korvane_staged}/${file} VERBATIM)
endforeach()
add_custom_target(korvane_docs ALL DEPENDS ${korvane_staged}/korvane.1.gz ${korvane_staged}/changelog.gz)
install(FILES ${korvane_staged}/korvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${korvane_staged}/copyright ${korvane_staged}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
