# The release archive (ZIP, made by CPack in the Windows build folder): the receiver, the
# sender, the README and the user guide it links to.

install(TARGETS tidemark tidemark-send RUNTIME DESTINATION .)
install(FILES README.md DESTINATION .)
install(FILES docs/using.md DESTINATION docs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tidemark)
set(CPACK_PACKAGE_VENDOR Tidemark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tidemark-${PROJECT_VERSION}-win64)
include(CPack)
