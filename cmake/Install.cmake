# Installed tree: the executable (its name gives the ini file and the caption), the icon in the sizes the icon
# theme looks for, and a desktop entry so file managers offer "Open with Korvane".
include(GNUInstallDirs)

set(KORVANE_FILE_DESCRIPTION "30秒スキップのできるプレイヤー" CACHE STRING "Comment of the desktop entry")
set(KORVANE_MIME_TYPES "${KORVANE_MIME_TYPE_LIST};")
configure_file(${CMAKE_SOURCE_DIR}/resources/korvane.desktop.in ${CMAKE_BINARY_DIR}/korvane.desktop @ONLY)

if(TARGET Korvane)
  install(PROGRAMS $<TARGET_FILE:Korvane> DESTINATION ${CMAKE_INSTALL_BINDIR})
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
