# The Windows release packages, made in the Windows build folder: the ZIP (CPack) and, where
# wixl is found, the per-user and the per-machine Windows Installer packages
# (packaging/tidemark.wxs). What they hold is gathered in release/ first, under the names
# the user sees: the programs without their debugging sections (the tests run the
# unstripped ones in bin/), the licence, the user README, the user guide and the list of
# changes. wixl looks for the files it names in the current folder (first) and beside its
# source, so it runs in that folder, with its source and the icon gathered there too.

set(TIDEMARK_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)

# The installer packages' custom actions (end a running Tidemark before files change, tidy
# the PATH, add and remove the per-machine package's firewall rule): a DLL that the packages
# carry in their Binary table and Windows Installer loads; it is not installed.
add_library(installer_actions MODULE packaging/actions/InstallerActions.cpp
            packaging/actions/FirewallRule.cpp packaging/actions/WindowsFirewall.cpp)
set_target_properties(installer_actions PROPERTIES PREFIX "" OUTPUT_NAME installer-actions)
target_compile_definitions(installer_actions PRIVATE ${TIDEMARK_WIN32_DEFINITIONS})
target_link_libraries(installer_actions PRIVATE msi ole32 oleaut32 ws2_32)
# The firewall rule is tested with a stand-in for the firewall.
if(TARGET win32_tests)
  target_sources(win32_tests PRIVATE packaging/actions/FirewallRule.cpp)
endif()
# The names a running Tidemark is known by, and its controls' ids.
target_include_directories(installer_actions PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
if(NOT MSVC)
  # Self-contained, and small: the C++ library's exception support, linked statically, would
  # be most of the package's size.
  target_compile_options(installer_actions PRIVATE -fno-exceptions -fno-rtti)
  target_link_options(installer_actions PRIVATE -static -static-libgcc -static-libstdc++)
endif()
tidemark_warnings(installer_actions)
set(release_files)
foreach(target_and_name tidemark:tidemark.exe tidemark-send:tidemark-send.exe
        installer_actions:installer-actions.dll)
  string(REPLACE ":" ";" target_and_name ${target_and_name})
  list(GET target_and_name 0 program)
  list(GET target_and_name 1 name)
  set(release_file ${TIDEMARK_RELEASE_DIR}/${name})
  if(CMAKE_STRIP)
    set(copy_command ${CMAKE_STRIP} -o ${release_file} $<TARGET_FILE:${program}>)
  else()
    set(copy_command ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${release_file})
  endif()
  add_custom_command(OUTPUT ${release_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TIDEMARK_RELEASE_DIR}
    COMMAND ${copy_command}
    DEPENDS ${program}
    COMMENT "Stripping ${name} for the release")
  list(APPEND release_files ${release_file})
endforeach()
foreach(source_and_name LICENSE:LICENSE.txt docs/release-readme.md:README.md
        docs/using.md:using.md CHANGELOG.md:CHANGELOG.md res/tidemark.ico:tidemark.ico
        packaging/tidemark.wxs:tidemark.wxs)
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
              ${TIDEMARK_RELEASE_DIR}/using.md ${TIDEMARK_RELEASE_DIR}/CHANGELOG.md
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tidemark)
set(CPACK_PACKAGE_VENDOR "Tidemark developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tidemark-${PROJECT_VERSION}-win64)
include(CPack)

# The installer packages' version has the three fields that Windows Installer compares; the
# rest of each package is made by packaging/build-msi (wixl, then msibuild for what wixl
# cannot write): the per-user one and, for administrators and deployment tools, the
# per-machine one.
find_program(TIDEMARK_WIXL wixl)
find_program(TIDEMARK_MSIBUILD msibuild)
if(TIDEMARK_WIXL AND TIDEMARK_MSIBUILD)
  set(msi_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
  set(msi_packages)
  foreach(scope user machine)
    set(suffix "")
    if(scope STREQUAL "machine")
      set(suffix -machine)
    endif()
    set(msi ${CMAKE_BINARY_DIR}/Tidemark-${PROJECT_VERSION}-win64${suffix}.msi)
    add_custom_command(OUTPUT ${msi}
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/packaging/build-msi ${msi_version} ${msi} ${scope}
      WORKING_DIRECTORY ${TIDEMARK_RELEASE_DIR}
      DEPENDS ${release_files} packaging/build-msi
      COMMENT "Building the ${scope} Windows Installer package")
    list(APPEND msi_packages ${msi})
  endforeach()
  add_custom_target(installer_package ALL DEPENDS ${msi_packages})
endif()
