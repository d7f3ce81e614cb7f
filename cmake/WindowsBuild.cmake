# Windows configuration (MinGW-w64 cross build on Linux, or MinGW/MSVC on Windows):
# the framework layer, the Win32 glue, tidemark.exe, the probe and the Win32 tests.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# ANSI ("A") functions throughout: UNICODE is never defined.
set(TIDEMARK_WIN32_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MSVC)
  list(APPEND TIDEMARK_WIN32_DEFINITIONS _CRT_SECURE_NO_WARNINGS _WINSOCK_DEPRECATED_NO_WARNINGS)
endif()

file(GLOB FRAMEWORK_SOURCES CONFIGURE_DEPENDS framework/*.cpp)
# The program's entry is linked into the program itself: in a static library the C
# runtime's reference to WinMain would come too late to pull it in.
set(FRAMEWORK_ENTRY ${CMAKE_CURRENT_SOURCE_DIR}/framework/WinMain.cpp)
list(REMOVE_ITEM FRAMEWORK_SOURCES ${FRAMEWORK_ENTRY})
add_library(tidemark_framework STATIC ${FRAMEWORK_SOURCES})
target_include_directories(tidemark_framework PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(tidemark_framework PUBLIC ${TIDEMARK_WIN32_DEFINITIONS})
target_link_libraries(tidemark_framework PUBLIC comctl32 shell32 gdi32 user32 kernel32)
tidemark_warnings(tidemark_framework)

file(GLOB GLUE_SOURCES CONFIGURE_DEPENDS
  net/win32/*.cpp text/win32/*.cpp info/win32/*.cpp controls/win32/*.cpp)
add_library(tidemark_glue STATIC ${GLUE_SOURCES})
target_link_libraries(tidemark_glue PUBLIC tidemark_core tidemark_framework ws2_32 version)
tidemark_warnings(tidemark_glue)

file(GLOB APP_SOURCES CONFIGURE_DEPENDS app/win32/*.cpp)
add_executable(tidemark WIN32 ${APP_SOURCES} ${FRAMEWORK_ENTRY} res/tidemark.rc)
target_link_libraries(tidemark PRIVATE tidemark_glue)
tidemark_warnings(tidemark)
include(${CMAKE_CURRENT_LIST_DIR}/Manifest.cmake)
tidemark_embed_manifest(tidemark)

# The probe: a console program that end-to-end tests use to look at and drive the
# running program from outside, as a person would.
file(GLOB PROBE_SOURCES CONFIGURE_DEPENDS tests/support/probe/*.cpp)
if(PROBE_SOURCES)
  add_executable(probe ${PROBE_SOURCES})
  target_compile_definitions(probe PRIVATE ${TIDEMARK_WIN32_DEFINITIONS})
  target_link_libraries(probe PRIVATE shell32 user32 gdi32 kernel32)
  tidemark_warnings(probe)
endif()

set(GTEST_SOURCE_DIR "" CACHE PATH "GoogleTest sources, for the Win32 tests")
if(GTEST_SOURCE_DIR AND EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)

  file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp tests/win32/*.rc)
  # The recording message list and the listener runner are portable: the host tests' copies
  # serve here too.
  add_executable(win32_tests ${WIN32_TEST_SOURCES} tests/host/support/RecordingMessageList.cpp
                             tests/host/support/ListenerRunner.cpp)
  target_include_directories(win32_tests PRIVATE tests/win32 tests/host)
  target_link_libraries(win32_tests PRIVATE tidemark_glue gtest gtest_main)
  tidemark_warnings(win32_tests)
  # The framework and the controls are tested with the common controls the program uses.
  tidemark_embed_manifest(win32_tests)
  add_dependencies(win32_tests tidemark)
endif()
