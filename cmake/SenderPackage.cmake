# The Debian package of tidemark-send, made by CPack from the sender-only release build
# (TIDEMARK_SENDER_RELEASE, see scripts/package): the program in /usr/bin, stripped, its
# manual page and the user guide, and the package's copyright (machine-readable) and
# changelog, the way Debian's policy and lintian expect them.

# The homepage is the maker's web server that the program's own links name.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/info/HomepageUrl.cpp TIDEMARK_HOMEPAGE_LINE
     REGEX "kHomepageHost\\[\\] = ")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" TIDEMARK_HOMEPAGE_HOST "${TIDEMARK_HOMEPAGE_LINE}")
set(TIDEMARK_HOMEPAGE "http://${TIDEMARK_HOMEPAGE_HOST}/")
set(TIDEMARK_MAINTAINER "Tidemark developers <tidemark@${TIDEMARK_HOMEPAGE_HOST}>")

set(SENDER_PACKAGE_FILES ${CMAKE_BINARY_DIR}/sender-package)
file(MAKE_DIRECTORY ${SENDER_PACKAGE_FILES})

# Debian wants the manual page, the changelog and the guide compressed with gzip -9 and
# without a time stamp inside (-n), so that rebuilding gives the same bytes. The changelog
# is CHANGELOG.md in Debian's format, each release dated by its day.
configure_file(send/tidemark-send.1 ${SENDER_PACKAGE_FILES}/tidemark-send.1 @ONLY)
configure_file(docs/using.md ${SENDER_PACKAGE_FILES}/using.md COPYONLY)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${SENDER_PACKAGE_FILES}/changelog
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian_changelog.py
          ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md tidemark-send "${TIDEMARK_MAINTAINER}"
          ${SENDER_PACKAGE_FILES}/changelog
  DEPENDS CHANGELOG.md cmake/debian_changelog.py
  VERBATIM)
set(SENDER_DOCUMENTS tidemark-send.1 changelog using.md)
list(TRANSFORM SENDER_DOCUMENTS PREPEND ${SENDER_PACKAGE_FILES}/
     OUTPUT_VARIABLE SENDER_UNCOMPRESSED)
list(TRANSFORM SENDER_UNCOMPRESSED APPEND .gz OUTPUT_VARIABLE SENDER_COMPRESSED)
add_custom_command(OUTPUT ${SENDER_COMPRESSED}
  COMMAND gzip -9 -n -f -k ${SENDER_DOCUMENTS}
  WORKING_DIRECTORY ${SENDER_PACKAGE_FILES}
  DEPENDS ${SENDER_UNCOMPRESSED})
add_custom_target(sender_package_files ALL DEPENDS ${SENDER_COMPRESSED})

# The licence, as the machine-readable copyright format has it: each line indented by a
# blank, an empty line as " .".
file(READ LICENSE SENDER_LICENSE)
string(REGEX REPLACE "\n+$" "" SENDER_LICENSE "${SENDER_LICENSE}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" SENDER_COPYRIGHT_LINE "${SENDER_LICENSE}")
set(SENDER_COPYRIGHT_HOLDER "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n+" "" SENDER_LICENSE_TEXT "${SENDER_LICENSE}")
string(REGEX REPLACE "\n\n" "\n.\n" SENDER_LICENSE_TEXT "${SENDER_LICENSE_TEXT}")
string(REGEX REPLACE "\n" "\n " SENDER_LICENSE_TEXT "${SENDER_LICENSE_TEXT}")
file(WRITE ${SENDER_PACKAGE_FILES}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tidemark
Upstream-Contact: ${TIDEMARK_MAINTAINER}
Source: ${TIDEMARK_HOMEPAGE}

Files: *
Copyright: ${SENDER_COPYRIGHT_HOLDER}
License: Expat

License: Expat
 ${SENDER_LICENSE_TEXT}
")

install(TARGETS tidemark-send RUNTIME DESTINATION bin)
install(FILES ${SENDER_PACKAGE_FILES}/tidemark-send.1.gz DESTINATION share/man/man1)
install(FILES ${SENDER_PACKAGE_FILES}/copyright ${SENDER_PACKAGE_FILES}/changelog.gz
              ${SENDER_PACKAGE_FILES}/using.md.gz DESTINATION share/doc/tidemark-send)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidemark-send)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TIDEMARK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TIDEMARK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TIDEMARK_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "send one-line messages to Tidemark desktop receivers")
set(CPACK_PACKAGE_DESCRIPTION
"tidemark-send delivers short text messages to Tidemark, a small receiver
for Windows desktops that shows every line it gets in a window on top of
the others. It sends a message given on the command line, or each line of
standard input, to one or several receivers at once, waits its turn while
a receiver is busy or starting, can keep undelivered lines until a
receiver is back, and tells by its exit status whether every message
arrived. Text is read as UTF-8.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
