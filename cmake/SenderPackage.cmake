# The Debian package of tidemark-send, made by CPack from the sender-only release build
# (TIDEMARK_SENDER_RELEASE, see scripts/package): the program in /usr/bin, stripped, and the
# licence as the package's copyright file.

install(TARGETS tidemark-send RUNTIME DESTINATION bin)
install(FILES LICENSE DESTINATION share/doc/tidemark-send RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidemark-send)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tidemark developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sends one-line messages to a Tidemark receiver")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
