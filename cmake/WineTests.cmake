# Registers the tests that run Windows programs under Wine: the Win32 unit tests and the
# end-to-end tests of the real program. Each test process gets its own Wine prefix (and X
# display) under ${TIDEMARK_WINE_ROOT}.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TIDEMARK_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(WINRUN ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/winrun.py
    --root ${TIDEMARK_WINE_ROOT})

add_test(NAME win32.tests
  COMMAND ${WINRUN} --prefix win32-tests --display xvfb --
          ${TIDEMARK_WINDOWS_BIN}/bin/win32_tests.exe --gtest_color=no)
# A test program that dies halfway can still leave with exit code 0 under Wine: the run
# passes only when GoogleTest's summary says so.
set_tests_properties(win32.tests PROPERTIES LABELS win32 TIMEOUT 600
  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
  FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")

# Every end-to-end test starts the real program, which owns TCP port 26112 and the
# single-instance mutex: they run one at a time.
file(GLOB E2E_TESTS CONFIGURE_DEPENDS tests/e2e/test_*.py)
set(E2E_ENVIRONMENT
  TIDEMARK_WINDOWS_BIN=${TIDEMARK_WINDOWS_BIN}/bin
  TIDEMARK_WINE_ROOT=${TIDEMARK_WINE_ROOT}
  TIDEMARK_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts
  TIDEMARK_SEND=${CMAKE_BINARY_DIR}/bin/tidemark-send
  TIDEMARK_MSI=${TIDEMARK_WINDOWS_BIN}/Tidemark-${PROJECT_VERSION}-win64.msi
  TIDEMARK_RELEASE_DIR=${TIDEMARK_WINDOWS_BIN}/release)
foreach(test_file ${E2E_TESTS})
  get_filename_component(test_name ${test_file} NAME_WE)
  string(REGEX REPLACE "^test_" "" test_name ${test_name})
  add_test(NAME e2e.${test_name} COMMAND ${Python3_EXECUTABLE} ${test_file})
  set_tests_properties(e2e.${test_name} PROPERTIES
    LABELS e2e
    RESOURCE_LOCK tidemark_instance
    TIMEOUT 600
    ENVIRONMENT "${E2E_ENVIRONMENT}")
endforeach()
