# Host configuration (native, Linux): the portable core under the sanitizers, its unit
# tests and fuzz targets, and the Windows cross build whose programs run under Wine.

set(TIDEMARK_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(tidemark_core PRIVATE ${TIDEMARK_SANITIZERS})
target_link_options(tidemark_core PUBLIC ${TIDEMARK_SANITIZERS})

find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS tests/host/*.cpp tests/host/support/*.cpp)
add_executable(host_tests ${HOST_TEST_SOURCES})
target_include_directories(host_tests PRIVATE tests/host)
target_compile_options(host_tests PRIVATE ${TIDEMARK_SANITIZERS})
target_link_libraries(host_tests PRIVATE tidemark_core GTest::gtest GTest::gtest_main Threads::Threads)
tidemark_warnings(host_tests)
gtest_discover_tests(host_tests
  TEST_PREFIX "host."
  PROPERTIES LABELS host
  DISCOVERY_TIMEOUT 60)

if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/CMakeLists.txt)
  add_subdirectory(tests/fuzz)
endif()

# The Windows programs: cross-compiled in a build folder of their own and run under Wine.
option(TIDEMARK_WINDOWS "Cross-build the Windows programs and run their tests under Wine" ON)
if(TIDEMARK_WINDOWS)
  include(ExternalProject)
  set(TIDEMARK_WINDOWS_BIN ${CMAKE_BINARY_DIR}/windows)
  ExternalProject_Add(windows
    SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}
    BINARY_DIR ${TIDEMARK_WINDOWS_BIN}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DGTEST_SOURCE_DIR=/usr/src/googletest
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    # windows-configure: scripts/run builds single programs of the configured folder.
    STEP_TARGETS configure
    USES_TERMINAL_BUILD ON)
  include(cmake/WineTests.cmake)
endif()

# The user guide's examples for servers, run against a stand-in receiver on port 26112 (so
# never beside a test that starts Tidemark); scripts/bootstrap puts the PowerShell grammar
# into the build folder's node_modules, and the test reports itself skipped without it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME host.guide_examples
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tests/host/guide_examples_test.py
          $<TARGET_FILE:tidemark-send> ${CMAKE_BINARY_DIR}/node_modules)
set_tests_properties(host.guide_examples PROPERTIES LABELS host RESOURCE_LOCK tidemark_instance
  TIMEOUT 120 SKIP_RETURN_CODE 77)
