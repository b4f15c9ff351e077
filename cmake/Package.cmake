# The Debian package: `cpack -G DEB` in the build folder. Its library
# dependencies are read from the program itself (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME quillery)
set(CPACK_PACKAGE_VENDOR Brakvel)
set(CPACK_PACKAGE_CONTACT "Brakvel <quillery@brakvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for small web sites, published over FTP")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillery keeps a small web site in one folder: a table of contents shown as a tree, "
    "a WYSIWYG page editor and publishing to an FTP server that sends only what changed.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://brakvel.example/quillery)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs at run time that no library link shows: Qt's own
# Russian texts for the standard buttons, and the fonts pages are shown in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation2")
include(CPack)
