# tidemark-send, the companion sender: one code base for POSIX sockets and Winsock, built by
# the host configuration (build/bin/tidemark-send) and by the Windows one (tidemark-send.exe).
# Everything but its entry is a library, so that the host tests reach the encoder.

file(GLOB SENDER_SOURCES CONFIGURE_DEPENDS send/*.cpp)
set(SENDER_ENTRY ${CMAKE_CURRENT_SOURCE_DIR}/send/SendMain.cpp)
list(REMOVE_ITEM SENDER_SOURCES ${SENDER_ENTRY})
add_library(tidemark_send_core STATIC ${SENDER_SOURCES})
target_link_libraries(tidemark_send_core PUBLIC tidemark_core)
if(WIN32)
  target_compile_definitions(tidemark_send_core PUBLIC ${TIDEMARK_WIN32_DEFINITIONS})
  target_link_libraries(tidemark_send_core PUBLIC ws2_32 shell32)
else()
  target_compile_options(tidemark_send_core PRIVATE ${TIDEMARK_SANITIZERS})
endif()
tidemark_warnings(tidemark_send_core)

add_executable(tidemark-send ${SENDER_ENTRY})
if(WIN32)
  target_sources(tidemark-send PRIVATE send/tidemark-send.rc)
  include(${CMAKE_CURRENT_LIST_DIR}/Manifest.cmake)
  tidemark_embed_manifest(tidemark-send)
endif()
target_link_libraries(tidemark-send PRIVATE tidemark_send_core)
set_target_properties(tidemark-send PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
tidemark_warnings(tidemark-send)

# The release build for Linux gets the hardening that Debian builds its programs with.
if(TIDEMARK_SENDER_RELEASE AND NOT WIN32)
  foreach(target tidemark_core tidemark_send_core tidemark-send)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_compile_options(${target} PRIVATE -fstack-protector-strong -D_FORTIFY_SOURCE=2)
  endforeach()
  target_link_options(tidemark-send PRIVATE -pie -Wl,-z,relro,-z,now)
endif()

if(TARGET host_tests)
  target_link_libraries(host_tests PRIVATE tidemark_send_core)
  # The Debian package as scripts/package makes it: lintian finds nothing to object to,
  # its manual page renders without a warning and names only files it holds, and its
  # changelog begins with this version.
  add_test(NAME host.sender_package
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/host/sender_package_test.sh
            ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/sender-release)
  # A reset means "not shown": tried again, reported, or for a cut long line delivered.
  add_test(NAME host.sender_reset
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tests/host/sender_reset_test.py
            $<TARGET_FILE:tidemark-send>)
  set_tests_properties(host.sender_reset PROPERTIES LABELS host TIMEOUT 60)
  # Many desks on loopback addresses with port 26112, in network and user namespaces of its
  # own (no root needed).
  add_test(NAME host.sender_fanout
    COMMAND unshare -rn ${Python3_EXECUTABLE}
            ${CMAKE_CURRENT_SOURCE_DIR}/tests/host/sender_fanout_test.py
            $<TARGET_FILE:tidemark-send> ${CMAKE_CURRENT_SOURCE_DIR}/tests/support)
  set_tests_properties(host.sender_fanout PROPERTIES LABELS host TIMEOUT 120)
  # It compiles: alone, so that its load cannot upset the timing of the tests beside it.
  set_tests_properties(host.sender_package PROPERTIES LABELS host TIMEOUT 600 RUN_SERIAL TRUE)
endif()
