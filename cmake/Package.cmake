# The Debian package of the installed tree (scripts/package.sh runs it): installed under /usr,
# stripped, its library dependencies worked out by dpkg-shlibdeps from the executables.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media player for skimming quickly through many media files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvane plays the media files it finds in the files and folders it is
given, one after another, while single key presses jump back or forward by
10, 30 or 60 seconds, to the start or to 10 seconds before the end, to the
previous or next file, and rename the file being played or move it to the
trash. Folders are searched in the background, and a filter leaves out
hidden files, chosen names and extensions, and files below a size.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://korvane.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no linker dependency names them: Qt's X11 platform plugin, without which
# no window opens, and (recommended) the SVG reader for the window icon and the font for the
# Japanese captions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
