# The Windows release packages, made in the Windows build folder: the ZIP (CPack) and, where
# wixl is found, the per-user Windows Installer package (packaging/tidemark.wxs). What they
# hold is gathered in release/ first, under the names the user sees: the programs without
# their debugging sections (the tests run the unstripped ones in bin/), the licence, the
# user README and the user guide. wixl looks for the files it names in the current folder
# (first) and beside its source, so it runs in that folder, with its source and the icon
# gathered there too.

set(TIDEMARK_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(release_files)
foreach(program tidemark tidemark-send)
  set(release_file ${TIDEMARK_RELEASE_DIR}/${program}.exe)
  if(CMAKE_STRIP)
    set(copy_command ${CMAKE_STRIP} -o ${release_file} $<TARGET_FILE:${program}>)
  else()
    set(copy_command ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${release_file})
  endif()
  add_custom_command(OUTPUT ${release_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TIDEMARK_RELEASE_DIR}
    COMMAND ${copy_command}
    DEPENDS ${program}
    COMMENT "Stripping ${program}.exe for the release")
  list(APPEND release_files ${release_file})
endforeach()
foreach(source_and_name LICENSE:LICENSE.txt docs/release-readme.md:README.md
        docs/using.md:using.md res/tidemark.ico:tidemark.ico packaging/tidemark.wxs:tidemark.wxs)
  string(REPLACE ":" ";" source_and_name ${source_and_name})
  list(GET source_and_name 0 source)
  list(GET source_and_name 1 name)
  add_custom_command(OUTPUT ${TIDEMARK_RELEASE_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source}
            ${TIDEMARK_RELEASE_DIR}/${name}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source})
  list(APPEND release_files ${TIDEMARK_RELEASE_DIR}/${name})
endforeach()
add_custom_target(release_files ALL DEPENDS ${release_files})

install(PROGRAMS ${TIDEMARK_RELEASE_DIR}/tidemark.exe ${TIDEMARK_RELEASE_DIR}/tidemark-send.exe
        DESTINATION .)
install(FILES ${TIDEMARK_RELEASE_DIR}/LICENSE.txt ${TIDEMARK_RELEASE_DIR}/README.md
              ${TIDEMARK_RELEASE_DIR}/using.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tidemark)
set(CPACK_PACKAGE_VENDOR "Tidemark developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tidemark-${PROJECT_VERSION}-win64)
include(CPack)

find_program(TIDEMARK_WIXL wixl)
if(TIDEMARK_WIXL)
  set(msi ${CMAKE_BINARY_DIR}/Tidemark-${PROJECT_VERSION}-win64.msi)
  add_custom_command(OUTPUT ${msi}
    COMMAND ${TIDEMARK_WIXL} --arch x64 -D Version=${PROJECT_VERSION} -o ${msi}
            tidemark.wxs
    WORKING_DIRECTORY ${TIDEMARK_RELEASE_DIR}
    DEPENDS ${release_files}
    COMMENT "Building the Windows Installer package")
  add_custom_target(msi ALL DEPENDS ${msi})
endif()
