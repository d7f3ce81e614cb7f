# The Windows release packages, made in the Windows build folder: the ZIP (CPack) and, where
# wixl is found, the per-user Windows Installer package (packaging/tidemark.wxs). Both hold
# the programs without their debugging sections (the tests run the unstripped ones in bin/),
# the licence, the user README and the user guide.

set(TIDEMARK_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(release_programs)
foreach(program tidemark tidemark-send)
  set(release_program ${TIDEMARK_RELEASE_DIR}/${program}.exe)
  if(CMAKE_STRIP)
    set(copy_command ${CMAKE_STRIP} -o ${release_program} $<TARGET_FILE:${program}>)
  else()
    set(copy_command ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${release_program})
  endif()
  add_custom_command(OUTPUT ${release_program}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TIDEMARK_RELEASE_DIR}
    COMMAND ${copy_command}
    DEPENDS ${program}
    COMMENT "Stripping ${program}.exe for the release")
  list(APPEND release_programs ${release_program})
endforeach()
add_custom_target(release_programs ALL DEPENDS ${release_programs})

install(PROGRAMS ${release_programs} DESTINATION .)
install(FILES docs/release-readme.md DESTINATION . RENAME README.md)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES docs/using.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tidemark)
set(CPACK_PACKAGE_VENDOR "Tidemark developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tidemark-${PROJECT_VERSION}-win64)
include(CPack)

find_program(TIDEMARK_WIXL wixl)
if(TIDEMARK_WIXL)
  set(msi ${CMAKE_BINARY_DIR}/Tidemark-${PROJECT_VERSION}-win64.msi)
  set(wxs ${CMAKE_CURRENT_SOURCE_DIR}/packaging/tidemark.wxs)
  add_custom_command(OUTPUT ${msi}
    COMMAND ${TIDEMARK_WIXL} --arch x64 -D Version=${PROJECT_VERSION}
            -D ReleaseDir=${TIDEMARK_RELEASE_DIR} -D SourceDir=${CMAKE_CURRENT_SOURCE_DIR}
            -o ${msi} ${wxs}
    DEPENDS ${wxs} ${release_programs} LICENSE docs/release-readme.md docs/using.md
            res/tidemark.ico
    COMMENT "Building the Windows Installer package")
  add_custom_target(msi ALL DEPENDS ${msi})
endif()
